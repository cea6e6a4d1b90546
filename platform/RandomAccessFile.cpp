#include "platform/RandomAccessFile.h"

#include "platform/DrivePaths.h"
#include "platform/FileDescriptor.h"
#include "platform/NativeNames.h"
#include "platform/RegionJournal.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <algorithm>
#include <cstring>
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
    RegionJournal::recover(native); // a save cut short is repaired before the file is used
    const int access = mode == ReadOnly ? O_RDONLY : mode == WriteExisting ? O_WRONLY : O_RDWR;
    static_assert(NotRegularFile == NotRegularFileError);
    const int fd = openRegularFile(native, access);
    if (fd < 0)
        m_openError = errno;
    else
        m_fd = fd;
}

QString RandomAccessFile::errorText(int error)
{
    if (error == NotRegularFile)
        return QStringLiteral("Not a regular file.");
    return QString::fromLocal8Bit(std::strerror(error));
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
    const qint64 fileSize = size();
    if (fileSize < 0 && m_readError == 0)
        m_readError = m_fd < 0 ? EBADF : errno ? errno : EIO;
    const qint64 available = fileSize - offset;
    if (offset < 0 || length <= 0 || available <= 0)
        return QByteArray();
    QByteArray bytes(qsizetype(std::min(length, available)), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, size_t(bytes.size() - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && m_readError == 0)
            m_readError = errno;
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
    return FileDescriptor::writeFullyAt(m_fd, bytes.constData(), bytes.size(), offset);
}

} // namespace platform
