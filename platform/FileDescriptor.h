#pragma once
// A POSIX file descriptor owned by one object and closed on every path.

#include <QtGlobal>

namespace platform {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    void reset(int fd)
    {
        close();
        m_fd = fd;
    }
    int get() const { return m_fd; }
    // Gives up the descriptor without closing it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    bool valid() const { return m_fd >= 0; }
    // False with errno set when the close reports an error (a write that did not reach the file).
    bool close();

    // All `size` bytes at `offset`, retried over short transfers and EINTR; false with errno
    // set (EIO for an unexpected end of file).
    bool readAt(char *data, qint64 size, qint64 offset) const { return readFullyAt(m_fd, data, size, offset); }
    bool writeAt(const char *data, qint64 size, qint64 offset) const { return writeFullyAt(m_fd, data, size, offset); }

    // The same on any descriptor.
    static bool readFullyAt(int fd, char *data, qint64 size, qint64 offset);
    static bool writeFullyAt(int fd, const char *data, qint64 size, qint64 offset);
    // All `size` bytes at the descriptor's position.
    static bool writeFully(int fd, const char *data, qint64 size);

private:
    int m_fd;
};

} // namespace platform
