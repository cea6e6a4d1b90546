#include "platform/HeldFile.h"

#include "platform/DrivePaths.h"
#include "platform/FileRewrite.h"
#include "platform/NativeNames.h"
#include "platform/InternalFiles.h"
#include "platform/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

const int HeldFile::CurrentFolder = AT_FDCWD;

namespace {
// Errors that leave a name readable though not writable here (a folder is then refused
// as no regular file).
bool readableAnyway(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == EOPNOTSUPP || error == ETXTBSY ||
           error == EISDIR;
}

qint64 modifiedOf(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}
} // namespace

QByteArray HeldFile::nativeName(const QString &fileName)
{
    return encodeNativeName(toNativePath(fileName));
}

QString HeldFile::errorText(int error)
{
    static_assert(NotRegularFile == NotRegularFileError);
    if (error == NotRegularFile)
        return QStringLiteral("Not a regular file.");
    return QString::fromLocal8Bit(std::strerror(error));
}

bool HeldFile::open(int folderFd, const QByteArray &nativeName)
{
    m_folderFd = folderFd;
    m_nativeName = nativeName;
    m_fd.reset(-1);
    m_error = 0;
    m_writeError = 0;
    if (folderFd == AT_FDCWD)
        RegionJournal::recover(nativeName); // a save cut short is repaired before the read
    else
        RegionJournal::recover(folderFd, nativeName);
    struct stat info {};
    int fd = openRegularFileAt(folderFd, nativeName, O_RDWR, &info);
    m_readWrite = fd >= 0;
    if (fd < 0 && readableAnyway(errno)) {
        m_writeError = errno;
        fd = openRegularFileAt(folderFd, nativeName, O_RDONLY, &info);
    }
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    m_fd.reset(fd);
    m_size = info.st_size;
    m_modified = modifiedOf(info);
    m_inode = info.st_ino;
    m_device = info.st_dev;
    return true;
}

bool HeldFile::readAt(char *data, qint64 size, qint64 offset) const
{
    return FileDescriptor::readFullyAt(m_fd.get(), data, size, offset);
}

bool HeldFile::unchanged() const
{
    struct stat opened {}, named {};
    return m_fd.valid() && ::fstat(m_fd.get(), &opened) == 0 &&
           ::fstatat(m_folderFd, m_nativeName.constData(), &named, 0) == 0 && named.st_ino == opened.st_ino &&
           named.st_dev == opened.st_dev && opened.st_size == m_size && modifiedOf(opened) == m_modified;
}

void HeldFile::noteStatus()
{
    struct stat info {};
    if (::fstat(m_fd.get(), &info) == 0) {
        m_size = info.st_size;
        m_modified = modifiedOf(info);
        m_inode = info.st_ino;
        m_device = info.st_dev;
    }
}

QByteArray HeldFile::path() const
{
    return openedFilePath(m_fd.get());
}

bool HeldFile::writable()
{
    if (m_readWrite)
        return true;
    if (m_writeError == EOPNOTSUPP) {
        errno = EOPNOTSUPP;
        return false;
    }
    // A read-only file is made writable, as a rename does, and opened again for the write.
    struct stat info {};
    if (::fstat(m_fd.get(), &info) != 0)
        return false;
    if (!(info.st_mode & S_IWUSR) && ::fchmod(m_fd.get(), (info.st_mode & 07777) | S_IWUSR) != 0)
        return false;
    const int fd = openRegularFileAt(AT_FDCWD, "/proc/self/fd/" + QByteArray::number(m_fd.get()), O_RDWR);
    if (fd < 0)
        return false;
    m_fd.reset(fd);
    m_readWrite = true;
    return true;
}

RegionJournal::Result HeldFile::overwrite(qint64 offset, const QByteArray &bytes, const QByteArray &old)
{
    if (!writable())
        return errno == EOPNOTSUPP ? RegionJournal::Result::Unsupported : RegionJournal::Result::Failed;
    const QByteArray named = path();
    if (named.isEmpty()) {
        errno = ENOENT;
        return RegionJournal::Result::Failed;
    }
    internalfiles::removeStaleBeside(named);
    const RegionJournal::Result result = RegionJournal::overwrite(m_fd.get(), named, offset, bytes, old);
    noteStatus();
    return result;
}

bool HeldFile::writeAt(qint64 offset, const QByteArray &bytes)
{
    if (!writable())
        return false;
    const bool written = FileDescriptor::writeFullyAt(m_fd.get(), bytes.constData(), bytes.size(), offset);
    noteStatus();
    return written;
}

bool HeldFile::sync()
{
    return m_fd.valid() && ::fdatasync(m_fd.get()) == 0;
}

int HeldFile::blockSharingAlignment() const
{
    return filerewrite::blockSharingAlignment(path());
}

bool HeldFile::replaceRange(qint64 offset, qint64 oldLength, const QByteArray &bytes)
{
    if (!m_readWrite && m_writeError != EOPNOTSUPP && !writable())
        return false; // a file that may not be written is not replaced either
    const QByteArray named = path();
    if (named.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    internalfiles::removeStaleBeside(named);
    FileDescriptor newFile;
    if (!filerewrite::replaceFileRange(m_fd.get(), named, offset, oldLength, bytes, &newFile))
        return false;
    adopt(newFile);
    return true;
}

void HeldFile::adopt(FileDescriptor &newFile)
{
    const int access = ::fcntl(newFile.get(), F_GETFL) & O_ACCMODE;
    if (access == O_RDWR && m_writeError != EOPNOTSUPP) {
        m_fd.reset(newFile.release());
        m_readWrite = true;
    } else {
        const int fd = openRegularFileAt(AT_FDCWD, openedFilePath(newFile.get()), O_RDONLY);
        if (fd >= 0)
            m_fd.reset(fd);
    }
    noteStatus();
}

} // namespace platform
