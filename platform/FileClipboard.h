#pragma once
// Files on the desktop's clipboard and in drags, as Linux file managers exchange
// them: text/uri-list, x-special/gnome-copied-files ("copy" or "cut", then one URI a
// line), application/x-kde-cutselection ("1" for a cut) and the paths as plain text.

#include <QStringList>

class QMimeData;

namespace platform {

struct ClipboardFiles {
    QStringList nativePaths;
    bool cut = false;     // an explicit cut ("cut" or the cut flag): a paste moves them
    QStringList refused;  // addresses that name no file of this computer, as given
};

// The data of a file list: every format above.
QMimeData *fileListMimeData(const QStringList &nativePaths, bool cut);
// The local files the data holds, their names byte for byte; none when it holds no file list. Plain text counts
// only when every line is an absolute path of an existing file or folder. Only a
// "cut" in x-special/gnome-copied-files or the cut flag makes a move: a bare URI list
// and plain text are copies. Addresses of another host, relative ones and those
// holding "%00" are refused, never taken for a local path.
ClipboardFiles filesOfMimeData(const QMimeData *data);

void putFilesOnClipboard(const QStringList &nativePaths, bool cut);
// The paths alone, as plain text one a line: each path's own bytes, also where they
// are not UTF-8.
void putPathsAsTextOnClipboard(const QStringList &nativePaths);
ClipboardFiles filesOnClipboard();
bool clipboardHoldsFiles();
// True when another program put the files there (not a cut or copy of ours).
bool clipboardHoldsOtherProgramsFiles();

} // namespace platform
