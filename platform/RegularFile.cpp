#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int openRegularFile(const QByteArray &nativeName, int access)
{
    return openRegularFileAt(AT_FDCWD, nativeName, access);
}

EntryKind entryKind(const QByteArray &nativePath)
{
    if (nativePath.isEmpty())
        return EntryKind::Missing;
    // stat opens nothing: a FIFO's reader or a device is never started, nothing waits.
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unreachable;
    return S_ISREG(info.st_mode) ? EntryKind::RegularFile : EntryKind::NotRegularFile;
}

QByteArray openedFilePath(int fd)
{
    QByteArray path(4096, Qt::Uninitialized);
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size() || path.at(0) != '/')
        return QByteArray();
    path.truncate(length);
    struct stat named {}, opened {};
    // A removed file's link names it " (deleted)"; the name must still be this file.
    if (::stat(path.constData(), &named) != 0 || ::fstat(fd, &opened) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev)
        return QByteArray();
    return path;
}

int openRegularFileAt(int folderFd, const QByteArray &name, int access, struct stat *opened)
{
    int fd;
    do {
        fd = ::openat(folderFd, name.constData(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat own {};
    struct stat &info = opened ? *opened : own;
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        const int error = known ? NotRegularFileError : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace platform
