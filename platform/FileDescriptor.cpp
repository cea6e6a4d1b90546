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

namespace {
// Repeats `transfer(data, size, offset)` over short transfers and EINTR; an unexpected 0 is EIO.
template <typename Data, typename Transfer>
bool transferFully(Data *data, qint64 size, qint64 offset, Transfer transfer)
{
    while (size > 0) {
        const ssize_t done = transfer(data, size_t(size), offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            if (done == 0)
                errno = EIO;
            return false;
        }
        data += done;
        size -= done;
        offset += done;
    }
    return true;
}
} // namespace

bool FileDescriptor::readFullyAt(int fd, char *data, qint64 size, qint64 offset)
{
    return transferFully(data, size, offset, [fd](char *at, size_t length, qint64 from) {
        return ::pread(fd, at, length, off_t(from));
    });
}

bool FileDescriptor::writeFullyAt(int fd, const char *data, qint64 size, qint64 offset)
{
    return transferFully(data, size, offset, [fd](const char *at, size_t length, qint64 to) {
        return ::pwrite(fd, at, length, off_t(to));
    });
}

bool FileDescriptor::writeFully(int fd, const char *data, qint64 size)
{
    return transferFully(data, size, 0, [fd](const char *at, size_t length, qint64) { return ::write(fd, at, length); });
}

} // namespace platform
