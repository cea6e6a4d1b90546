#pragma once
// Ordering of the file list's rows: folders before files, then by the sort column;
// a descending order reverses both. The parent-folder row stays first in every order.

#include "explorer/filelist/FileListItem.h"

#include <vector>

struct FileListOrder {
    int column = 0; // 0 name, 1 size, 2 type, 3 modified, 4 attributes
    bool descending = true;
};

// Sorts the rows once (stable) and returns, for each new position, the row's old position.
std::vector<int> sortFileListItems(std::vector<FileListItem> &items, const FileListOrder &order);
