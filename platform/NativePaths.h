#pragma once
// Questions about native paths answered on their bytes (encodeNativeName), never
// through Qt's file classes, whose own name encoding would turn a name that is not
// valid UTF-8 into another file's name.

#include <QString>
#include <QUrl>

namespace platform {

// "/a/b" -> "/a", "/b" -> "/", "b" -> "." (string only).
QString nativeFolderOf(const QString &native);
// "/a/b" -> "b" (string only).
QString nativeNameOf(const QString &native);
// The process's current folder; empty when it cannot be told (it was removed).
QString nativeCurrentFolder();
// A relative path resolved against `base` (the process's current folder when empty, a
// relative base taken from there too), cleaned.
QString absoluteNativePath(const QString &native, const QString &base = QString());
// The path with every link and "." or ".." resolved; empty when it does not exist.
QString canonicalNativePath(const QString &native);

bool nativeExists(const QString &native);         // links followed
bool isNativeFolder(const QString &native);       // links followed
bool isNativeRegularFile(const QString &native);  // links followed
bool isNativeRegularFileNotLink(const QString &native);
// Whether entries can be made and removed in the folder (a read-only mount refuses also root).
bool isNativeFolderWritable(const QString &native);
// Creates the folder and the missing folders above it; true when it is there.
bool makeNativeFolders(const QString &native);

// A descriptor open for reading (close-on-exec), or -1 with errno set.
int openNativeForReading(const QString &native);

// "file://" addresses of native paths, with every byte of the name kept.
QUrl nativeFileUrl(const QString &native);
// The native path of a "file:" address; empty for other addresses, for one on another
// host (only none or "localhost" is this computer), a relative one, and one holding
// a NUL byte ("%00"), which no file name can.
QString nativePathOfUrl(const QUrl &url);

} // namespace platform
