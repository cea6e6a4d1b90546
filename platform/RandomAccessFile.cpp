#include "platform/RandomAccessFile.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QByteArray RandomAccessFile::nativeName(const QString &fileName)
{
    return encodeNativeName(toNativePath(fileName));
}

RandomAccessFile::RandomAccessFile(const QString &fileName, Mode mode)
{
    const QByteArray native = nativeName(fileName);
    if (native.isEmpty()) {
        m_openError = ENOENT;
        return;
    }
    const int flags = (mode == ReadOnly ? O_RDONLY : O_WRONLY) | O_CLOEXEC;
    do {
        m_fd = ::open(native.constData(), flags);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0)
        m_openError = errno;
}

RandomAccessFile::~RandomAccessFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 RandomAccessFile::size() const
{
    struct stat info {};
    if (m_size < 0 && m_fd >= 0 && ::fstat(m_fd, &info) == 0)
        m_size = info.st_size;
    return m_size;
}

QByteArray RandomAccessFile::readAt(qint64 offset, qint64 length) const
{
    const qint64 available = size() - offset;
    if (offset < 0 || length <= 0 || available <= 0)
        return QByteArray();
    QByteArray bytes(qsizetype(std::min(length, available)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, size_t(bytes.size() - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

bool RandomAccessFile::writeAt(qint64 offset, const QByteArray &bytes)
{
    m_size = -1;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(m_fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO;
            return false;
        }
        done += put;
    }
    return true;
}

} // namespace platform
