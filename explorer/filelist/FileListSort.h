#pragma once
// Ordering of the file list's rows: folders before files, then by the sort column;
// a descending order reverses both. The parent-folder row stays first in every order.

#include "explorer/filelist/FileListRow.h"

#include <vector>

struct FileListOrder {
    int column = 0; // 0 name, 1 size, 2 type, 3 modified, 4 attributes
    bool descending = true;
};

// Negative when `a` comes before `b` in the order, positive when after, 0 when tied.
int compareFileListRows(const FileListRow &a, const FileListRow &b, const FileListContext &context,
                        const FileListOrder &order);
// Sorts the rows once (stable, in place) and returns, for each new position, the
// row's old position.
std::vector<int> sortFileListRows(std::vector<FileListRow> &rows, const FileListContext &context,
                                  const FileListOrder &order);
