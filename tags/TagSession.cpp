#include "tags/TagSession.h"

#include "tags/ID3v2TagPlacement.h"
#include "tags/ID3v2TagReader.h"

#include "platform/FileRewrite.h"
#include "platform/InternalFiles.h"
#include "platform/RandomAccessFile.h"
#include "platform/RegionJournal.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using platform::FileDescriptor;

namespace {
// The first read takes this much of the file's start: most tags and short files whole.
constexpr qint64 FirstReadSize = 64 * 1024;
constexpr qint64 Id3v1Size = 128;

// Errors that leave a name readable though not writable here (a folder is then refused
// as no regular file).
bool readableAnyway(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == EOPNOTSUPP || error == ETXTBSY ||
           error == EISDIR;
}
} // namespace

TagSession::TagSession(int folderFd, const QByteArray &nativeName, const QString &fileName)
    : m_folderFd(folderFd), m_nativeName(nativeName), m_fileName(fileName)
{
    open();
}

TagSession::TagSession(const QString &fileName)
    : m_nativeName(platform::RandomAccessFile::nativeName(fileName)), m_fileName(fileName)
{
    if (m_nativeName.isEmpty())
        m_error = ENOENT;
    else
        open();
}

QString TagSession::errorMessage() const
{
    return QStringLiteral("Impossibile leggere il tag del file \"%1\": %2")
        .arg(m_fileName, platform::RandomAccessFile::errorText(m_error));
}

void TagSession::open()
{
    m_error = 0;
    m_writeError = 0;
    if (m_folderFd == AT_FDCWD)
        platform::RegionJournal::recover(m_nativeName); // a save cut short is repaired before the read
    else
        platform::RegionJournal::recover(m_folderFd, m_nativeName);
    struct stat info {};
    int fd = platform::openRegularFileAt(m_folderFd, m_nativeName, O_RDWR, &info);
    m_readWrite = fd >= 0;
    if (fd < 0 && readableAnyway(errno)) {
        m_writeError = errno;
        fd = platform::openRegularFileAt(m_folderFd, m_nativeName, O_RDONLY, &info);
    }
    if (fd < 0) {
        m_error = errno;
        return;
    }
    m_fd.reset(fd);
    m_size = info.st_size;
    m_modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    m_inode = info.st_ino;
    if (!read())
        m_error = errno ? errno : EIO;
}

bool TagSession::readAt(char *data, qint64 size, qint64 offset)
{
    return FileDescriptor::readFullyAt(m_fd.get(), data, size, offset);
}

bool TagSession::read()
{
    using namespace id3v2;
    m_id3v1.clear();
    m_buffer = QByteArray(qsizetype(std::min(m_size, FirstReadSize)), Qt::Uninitialized);
    if (!readAt(m_buffer.data(), m_buffer.size(), 0))
        return false;
    TagInfo header;
    std::copy_n(m_buffer.cbegin(), std::min<qsizetype>(m_buffer.size(), HeaderSize), header.header.begin());
    header.fileSize = m_size;
    m_id3v2Size = m_buffer.size() >= HeaderSize && hasIdentifier(header) ? GetTagSize(header) : 0;
    const qsizetype had = m_buffer.size();
    if (m_id3v2Size > had) {
        m_buffer.resize(qsizetype(m_id3v2Size));
        if (!readAt(m_buffer.data() + had, m_id3v2Size - had, had))
            return false;
    }
    if (m_size >= Id3v1Size) {
        const qint64 at = m_size - Id3v1Size;
        QByteArray record = at + Id3v1Size <= m_buffer.size() ? m_buffer.sliced(qsizetype(at), Id3v1Size)
                                                              : QByteArray(Id3v1Size, Qt::Uninitialized);
        if (at + Id3v1Size > m_buffer.size() && !readAt(record.data(), Id3v1Size, at))
            return false;
        if (record.startsWith("TAG"))
            m_id3v1 = record;
    }
    m_loaded = m_buffer;
    m_loadedId3v2Size = m_id3v2Size;
    m_loadedId3v1 = m_id3v1;
    parse();
    return true;
}

void TagSession::parse()
{
    using namespace id3v2;
    m_id3v2 = TagInfo();
    std::copy_n(m_buffer.cbegin(), std::min<qsizetype>(m_buffer.size(), HeaderSize), m_id3v2.header.begin());
    m_id3v2.fileSize = m_size;
    const int version = majorVersion(m_id3v2);
    if (m_id3v2Size == 0 || version < 2 || version > 4)
        return;
    qint64 length = m_id3v2Size - HeaderSize;
    if (headerFlags(m_id3v2) & FooterFlag)
        length -= FooterSize;
    // The frames are views into the buffer, which the record keeps alive.
    m_id3v2.buffers.append(m_buffer);
    parseTagBody(QByteArray::fromRawData(m_buffer.constData() + HeaderSize, qsizetype(length)), m_id3v2);
}

void TagSession::noteStatus()
{
    struct stat info {};
    if (::fstat(m_fd.get(), &info) == 0) {
        m_size = info.st_size;
        m_modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        m_inode = info.st_ino;
    }
}

bool TagSession::current()
{
    if (!loaded()) {
        errno = m_error;
        return false;
    }
    struct stat opened {}, named {};
    if (::fstat(m_fd.get(), &opened) != 0)
        return false;
    const qint64 modified = qint64(opened.st_mtim.tv_sec) * 1000000000 + opened.st_mtim.tv_nsec;
    const bool sameFile = ::fstatat(m_folderFd, m_nativeName.constData(), &named, 0) == 0 &&
                          named.st_ino == opened.st_ino && named.st_dev == opened.st_dev;
    if (sameFile && opened.st_size == m_size && modified == m_modified)
        return true;
    // Another program changed or replaced the file: what it holds now is read again.
    m_fd.reset(-1);
    open();
    if (!loaded()) {
        errno = m_error;
        return false;
    }
    return true;
}

bool TagSession::writable()
{
    if (m_readWrite)
        return true;
    if (m_writeError == EOPNOTSUPP)
        return false;
    // A read-only file is made writable, as a rename does, and opened again for the write.
    const QByteArray path = platform::openedFilePath(m_fd.get());
    struct stat info {};
    if (path.isEmpty() || ::fstat(m_fd.get(), &info) != 0)
        return false;
    if (!(info.st_mode & S_IWUSR) && ::fchmod(m_fd.get(), (info.st_mode & 07777) | S_IWUSR) != 0)
        return false;
    const int fd = platform::openRegularFileAt(AT_FDCWD, "/proc/self/fd/" + QByteArray::number(m_fd.get()), O_RDWR);
    if (fd < 0)
        return false;
    m_fd.reset(fd);
    m_readWrite = true;
    return true;
}

void TagSession::adopt(FileDescriptor &newFile)
{
    const int access = ::fcntl(newFile.get(), F_GETFL) & O_ACCMODE;
    if (access == O_RDWR && m_writeError != EOPNOTSUPP) {
        m_fd.reset(newFile.release());
        m_readWrite = true;
    } else {
        const QByteArray path = platform::openedFilePath(newFile.get());
        const int fd = platform::openRegularFileAt(AT_FDCWD, path, O_RDONLY);
        if (fd >= 0)
            m_fd.reset(fd);
    }
    noteStatus();
}

bool TagSession::writeId3v2(const QByteArray &tag)
{
    using namespace id3v2;
    namespace filerewrite = platform::filerewrite;
    if (!current())
        return false;
    const bool inPlacePossible = writable();
    if (!inPlacePossible && m_writeError != EOPNOTSUPP)
        return false;
    const QByteArray path = platform::openedFilePath(m_fd.get());
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    platform::internalfiles::removeStaleBeside(path);
    const qint64 oldSize = m_id3v2Size;
    m_replacedFile = false;
    // A tag that fits in the old one's space (frames and padding) is written in place,
    // the rest of the space padded; the audio is not touched.
    if (inPlacePossible && oldSize > 0 && tag.size() <= oldSize) {
        const QByteArray inPlace = paddedTag(tag, oldSize);
        if (inPlace.size() == oldSize) {
            const QByteArray old = m_buffer.first(qsizetype(oldSize));
            switch (platform::RegionJournal::overwrite(m_fd.get(), path, 0, inPlace, old)) {
            case platform::RegionJournal::Result::Written:
                m_buffer.replace(0, qsizetype(oldSize), inPlace);
                m_writtenId3v2 = {0, oldSize};
                noteStatus();
                parse();
                return true;
            case platform::RegionJournal::Result::Failed:
                return false;
            case platform::RegionJournal::Result::Unsupported:
                break;
            }
        }
    }
    // Otherwise the file is rewritten, with padding left so that the next change fits.
    // Where the file system can share the audio blocks with the new file instead of
    // copying them, the tag is padded further so the audio keeps its offset within a block.
    const QByteArray grown = paddedTag(tag, tag.size() + paddingForGrowth(tag.size()));
    const QByteArray placed = alignedTag(grown, oldSize, filerewrite::blockSharingAlignment(path));
    FileDescriptor newFile;
    if (!filerewrite::replaceFileRange(m_fd.get(), path, 0, oldSize, placed, &newFile))
        return false;
    adopt(newFile);
    m_buffer.replace(0, qsizetype(oldSize), placed);
    m_id3v2Size = placed.size();
    m_writtenId3v2 = {0, placed.size()};
    m_replacedFile = true;
    parse();
    return true;
}

bool TagSession::writeId3v1(const QByteArray &record)
{
    const bool hadRecord = !m_id3v1.isEmpty();
    if (!current())
        return false;
    // The place is the one the read found; a file whose end changed meanwhile (a tag
    // removed or added) is not written: never a second tag, never audio written over.
    if (hadRecord != !m_id3v1.isEmpty() || record.size() != Id3v1Size) {
        errno = EAGAIN;
        return false;
    }
    const qint64 offset = hadRecord ? m_size - Id3v1Size : m_size;
    bool written;
    if (writable()) {
        written = FileDescriptor::writeFullyAt(m_fd.get(), record.constData(), record.size(), offset);
    } else if (m_writeError == EOPNOTSUPP) {
        // A file system without in-place writes (an SMB share through GVfs): the file is rewritten.
        FileDescriptor newFile;
        const QByteArray path = platform::openedFilePath(m_fd.get());
        written = !path.isEmpty() &&
                  platform::filerewrite::replaceFileRange(m_fd.get(), path, offset, m_size - offset, record, &newFile);
        if (written)
            adopt(newFile);
    } else {
        written = false;
    }
    if (!written)
        return false;
    m_id3v1 = record;
    m_writtenId3v1 = {offset, Id3v1Size};
    noteStatus();
    return true;
}
