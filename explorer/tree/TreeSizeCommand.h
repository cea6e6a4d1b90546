#pragma once
// The folder tree's Tree Size command and its folder total.

#include <QString>

class QWidget;

class TreeSizeCommand {
public:
    // Counts the folder of the selected node (a drive path; node level 0 is the
    // computer, 1 a drive, 2 and more a folder) with a progress window on the tree's
    // window, then shows the size message. Returns the byte total; 0 and no message
    // when the user cancels. The computer's node counts nothing.
    static double run(QWidget *tree, const QString &drivePath, int nodeLevel);
    // The total size in bytes of the regular files below a folder (a drive path),
    // counted before it returns.
    static double folderBytes(const QString &drivePath);
};
