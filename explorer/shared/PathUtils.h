#pragma once
// Path and text helpers of the explorer controls. Paths are drive paths ("C:\Music\").

#include <QString>

// True when the path names an existing folder.
bool DirExists(const QString &path);
// The path with a trailing "\" (added only when missing); empty stays empty.
QString AddSlash(const QString &path);
// The path with one trailing "\" removed, when it has one.
QString DelSlash(const QString &path);
// AddSlash(folder) + name; empty when either is empty.
QString JoinPath(const QString &folder, const QString &name);
// The text with one NUL appended unless it already ends in one; empty stays empty.
QString DoubleNull(const QString &text);
// True when any character of the text occurs in the character list.
bool HasAnyChar(const QString &text, const QString &characters);
// The file-name part of a path (after its last "\" or drive colon).
QString fileNamePart(const QString &path);
// The folder part of a path, up to and including its last "\" (or drive colon).
QString folderPart(const QString &path);
// The extension of a name or path, from its last "." on; empty when the name has none.
QString extensionPart(const QString &path);
// The file-name part without its extension.
QString FileNameNoExt(const QString &path);
// True when a file or folder of that name exists, after the error dialog
// "\"name\" " + msgExists has been shown. The path may end in "\" or in NUL.
bool TargetExists(const QString &path);
