#pragma once
// File information as the explorer controls ask the shell for it: icon indexes in the
// system image list, display names and type names. Files are judged by their name
// alone; drive roots ("C:\") get their drive's icon and name.

#include <QString>

// Index of the path's small icon.
int SmallIconIndex(const QString &path);
// Index of the path's small open-state icon (the open folder for folders).
int OpenIconIndex(const QString &path);

// For listings that already know whether an entry is a folder: no look-up of the path.
struct ShellFileEntry {
    int iconIndex = 0;
    QString typeName;
};
ShellFileEntry shellFileEntry(const QString &name, bool isFolder); // one look-up for both
int fileIconIndex(const QString &name, bool isFolder, bool open = false);
QString fileTypeNameOf(const QString &name, bool isFolder);

// True for "X:" and "X:\".
bool isDriveRoot(const QString &path);
// "File System (C:)" for a drive root, the name for any other path.
QString shellDisplayName(const QString &path);
// A drive's caption in the tree and the list: " (" + letter + ":)  " + the display
// name's text before its first "(" (nothing when the name has no "(" or starts with
// one). The letter is always the third character.
QString driveCaption(QChar letter, const QString &displayName);
int computerIconIndex();
