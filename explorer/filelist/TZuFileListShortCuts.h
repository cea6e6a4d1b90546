#pragma once
// The file list's keyboard settings: one shortcut per action (low byte the key code,
// 8192 Shift, 16384 Ctrl, 32768 Alt), Enter and double click to open, and the actions
// whose shortcuts are active.

#include "explorer/shared/ExplorerTypes.h"

using TShortCut = quint16;

struct TZuFileListShortCuts {
    TShortCut scCopy = 16451;      // Ctrl+C
    TShortCut scPaste = 16470;     // Ctrl+V
    TShortCut scCut = 16472;       // Ctrl+X
    TShortCut scOpen = 16463;      // Ctrl+O
    TShortCut scView = 16454;      // Ctrl+F
    TShortCut scNewFolder = 16462; // Ctrl+N
    TShortCut scSelectAll = 16449; // Ctrl+A
    TShortCut scDelete = 46;       // Delete
    TShortCut scBack = 8;          // Backspace
    TShortCut scRename = 113;      // F2
    TShortCut scFindFile = 114;    // F3
    TShortCut scRefresh = 116;     // F5
    bool OpenWithEnter = true;
    bool DblClickToOpen = true;
    TZuListViewActions Actions = allListViewActions;
};
