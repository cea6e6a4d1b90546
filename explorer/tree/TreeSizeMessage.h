#pragma once
// The message of the tree's size command, in the tree's texts and the user's number
// formats:
//   ===== TREE SIZE =====
//
//   Folder "Music"
//   and all its Sub-Folders
//    =  1,536 Bytes
//        (i.e. 1.50 KB )
// and, when folders could not be read, one more line that says how many.

#include "explorer/shared/ExplorerTypes.h"

#include <QString>
#include <cstdint>

// The label line: msgDrive and the path for a drive (level 1), msgFolderQuote, the name
// and a double quote for a folder (level > 1), nothing for the computer.
QString treeSizeLabel(const QString &nodePath, int nodeLevel);

// "1.536 Bytes" and "1,50 KB" (or MB above 99,999 KB) in the default locale's formats.
QString treeSizeByteText(double bytes);
QString treeSizeText(double bytes);

// The whole message; lines are separated by "\r".
QString treeSizeMessage(const QString &label, double bytes, std::uint64_t unreadableFolders, TLanguage language);
