#include "platform/FileDescriptor.h"

#include <cerrno>
#include <unistd.h>

namespace platform {

bool FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

bool FileDescriptor::readFullyAt(int fd, char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size_t(size), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = EIO;
            return false;
        }
        data += got;
        size -= got;
        offset += got;
    }
    return true;
}

bool FileDescriptor::writeFullyAt(int fd, const char *data, qint64 size, qint64 offset)
{
    while (size > 0) {
        const ssize_t put = ::pwrite(fd, data, size_t(size), offset);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO;
            return false;
        }
        data += put;
        size -= put;
        offset += put;
    }
    return true;
}

} // namespace platform
