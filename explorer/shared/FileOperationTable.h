#pragma once
// The operations of the explorer's paste and drag, shared by the file list and the
// folder tree: a table of shell operation codes and the two indexes into it.

#include "explorer/shared/ShellFileOp.h"

// Indexes into the table.
inline constexpr int opCopy = 0;
inline constexpr int opDelete = 1;
inline constexpr int opMove = 2;
inline constexpr int opRename = 3;
inline constexpr int FileOperationTable[4] = {FO_COPY, FO_DELETE, FO_MOVE, FO_RENAME};

// The operation of the next paste: copy at start, set by a cut (move) or a copy in
// any explorer control and by a drop (copy); -1 only while a cut or copy collects.
extern int PasteOperation;
// The operation of a drag from the file list onto the tree: copy when Ctrl was held
// at the mouse press, move otherwise.
extern int DragOperation;
