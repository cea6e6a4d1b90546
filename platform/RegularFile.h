#pragma once
// Opening a name only when it is a regular file, without ever blocking on it.

#include <QByteArray>

struct stat;

namespace platform {

// errno of openRegularFile for a name that is a folder, FIFO, device or socket.
inline constexpr int NotRegularFileError = 0x10000;

// Opens the native name with `access` (O_RDONLY, O_WRONLY or O_RDWR; never creating or
// truncating) and O_CLOEXEC. The open does not block (O_NONBLOCK, cleared once the file
// is known to be regular); anything but a regular file is closed again. -1 with errno
// set on failure.
int openRegularFile(const QByteArray &nativeName, int access);
// The same for a name in an open folder (AT_FDCWD for the current one); `opened`, when
// given, receives the file's status.
int openRegularFileAt(int folderFd, const QByteArray &name, int access, struct stat *opened = nullptr);

// What a native path names, links followed (a stat: nothing is opened, nothing waits).
enum class EntryKind { Missing, RegularFile, NotRegularFile, Unreachable };
EntryKind entryKind(const QByteArray &nativePath);

// The path of the file an open descriptor refers to, wherever it has been renamed to;
// empty when it has been removed.
QByteArray openedFilePath(int fd);

} // namespace platform
