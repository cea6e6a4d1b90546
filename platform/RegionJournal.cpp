#include "platform/RegionJournal.h"

#include "platform/FileDescriptor.h"
#include "platform/InternalFiles.h"
#include "platform/RegularFile.h"

#include <QtEndian>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/vfs.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace platform {

namespace {
constexpr char Magic[] = "KSTJRN01";
constexpr qsizetype MagicSize = 8;
constexpr qint64 MaxJournalSize = qint64(1) << 30;

quint32 checksum(QByteArrayView bytes)
{
    uLong crc = ::crc32(0, nullptr, 0);
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const uInt piece = uInt(std::min<qsizetype>(left, 1 << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef *>(data), piece);
        data += piece;
        left -= piece;
    }
    return quint32(crc);
}

void appendNumber(QByteArray &out, quint64 value)
{
    char bytes[8];
    qToBigEndian(value, bytes);
    out.append(bytes, 8);
}

struct Location {
    QByteArray folder;
    QByteArray base;
};

std::optional<Location> locate(const QByteArray &nativeName)
{
    char *resolved = ::realpath(nativeName.constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    const QByteArray target(resolved);
    std::free(resolved);
    const qsizetype slash = target.lastIndexOf('/');
    return Location{slash <= 0 ? QByteArray("/") : target.left(slash), target.mid(slash + 1)};
}

// Whether flushing a new file on this file system also makes its name in the folder
// durable (ext2/3/4, XFS and Btrfs do: the creation is logged with it), so that the
// folder needs no flush of its own.
bool flushPersistsNewName(int folderFd)
{
    struct statfs info {};
    if (::fstatfs(folderFd, &info) != 0)
        return false;
    switch (long(info.f_type)) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

// What a journal holds.
struct Entry {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 offset = 0;
    quint32 newChecksum = 0;
    QByteArray base;
    QByteArray oldBytes;
};

QByteArray serialised(const Entry &entry)
{
    QByteArray out(Magic, MagicSize);
    appendNumber(out, entry.device);
    appendNumber(out, entry.inode);
    appendNumber(out, quint64(entry.offset));
    appendNumber(out, quint64(entry.oldBytes.size()));
    appendNumber(out, entry.newChecksum);
    appendNumber(out, quint64(entry.base.size()));
    out += entry.base;
    out += entry.oldBytes;
    appendNumber(out, checksum(out));
    return out;
}

// The entry of a complete journal; none for one cut short or damaged.
std::optional<Entry> parsed(const QByteArray &bytes)
{
    constexpr qsizetype Fixed = MagicSize + 6 * 8;
    if (bytes.size() < Fixed + 8 || !bytes.startsWith(QByteArrayView(Magic, MagicSize)))
        return std::nullopt;
    const auto number = [&](qsizetype at) { return qFromBigEndian<quint64>(bytes.constData() + at); };
    Entry entry;
    entry.device = number(MagicSize);
    entry.inode = number(MagicSize + 8);
    entry.offset = qint64(number(MagicSize + 16));
    const quint64 length = number(MagicSize + 24);
    entry.newChecksum = quint32(number(MagicSize + 32));
    const quint64 baseLength = number(MagicSize + 40);
    if (baseLength > 4096 || length > quint64(MaxJournalSize) ||
        quint64(bytes.size()) != quint64(Fixed) + baseLength + length + 8)
        return std::nullopt;
    const qsizetype end = bytes.size() - 8;
    if (number(end) != checksum(QByteArrayView(bytes).first(end)))
        return std::nullopt;
    entry.base = bytes.mid(Fixed, qsizetype(baseLength));
    entry.oldBytes = bytes.mid(Fixed + qsizetype(baseLength), qsizetype(length));
    return entry;
}

// Puts the old bytes back unless the region holds the new ones. False when the file
// could not be repaired (the journal is then kept).
bool applyJournal(int folderFd, const Entry &entry)
{
    FileDescriptor target(::openat(folderFd, entry.base.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!target.valid())
        return errno == ENOENT; // the file is gone: nothing to repair
    if (::fstat(target.get(), &info) != 0)
        return false;
    // Another file under the name (the old one replaced meanwhile): the journal is not its.
    if (!S_ISREG(info.st_mode) || quint64(info.st_dev) != entry.device || quint64(info.st_ino) != entry.inode ||
        entry.offset + entry.oldBytes.size() > info.st_size)
        return true;
    QByteArray region(entry.oldBytes.size(), Qt::Uninitialized);
    if (!target.readAt(region.data(), region.size(), entry.offset))
        return false;
    if (checksum(region) == entry.newChecksum || region == entry.oldBytes)
        return true;
    return target.writeAt(entry.oldBytes.constData(), entry.oldBytes.size(), entry.offset) &&
           ::fdatasync(target.get()) == 0;
}

void recoverIn(int folderFd, const QByteArray &journalName)
{
    FileDescriptor journal(::openat(folderFd, journalName.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!journal.valid())
        return;
    struct stat info {};
    if (::flock(journal.get(), LOCK_EX | LOCK_NB) != 0 || ::fstat(journal.get(), &info) != 0 ||
        !S_ISREG(info.st_mode) || info.st_nlink == 0 || info.st_size > MaxJournalSize + 8192)
        return;
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    if (!journal.readAt(bytes.data(), bytes.size(), 0))
        return;
    // A journal cut short was being written when the save stopped: the file was not touched yet.
    const std::optional<Entry> entry = parsed(bytes);
    if (entry && !applyJournal(folderFd, *entry))
        return;
    if (::unlinkat(folderFd, journalName.constData(), 0) == 0)
        ::fsync(folderFd);
}
} // namespace

void RegionJournal::recover(const QByteArray &nativeName)
{
    const qsizetype slash = nativeName.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : nativeName.left(slash);
    const QByteArray journal = internalfiles::journalName(nativeName.mid(slash + 1));
    struct stat info {};
    if (::fstatat(AT_FDCWD, (folder + '/' + journal).constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        // A symbolic link keeps its journal beside the file it points to.
        struct stat link {};
        if (::lstat(nativeName.constData(), &link) != 0 || !S_ISLNK(link.st_mode))
            return;
        const std::optional<Location> target = locate(nativeName);
        if (target)
            recoverJournal(target->folder, internalfiles::journalName(target->base));
        return;
    }
    recoverJournal(folder, journal);
}

void RegionJournal::recover(int folderFd, const QByteArray &baseName)
{
    const QByteArray journal = internalfiles::journalName(baseName);
    struct stat info {};
    if (::fstatat(folderFd, journal.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        recoverIn(folderFd, journal);
        return;
    }
    // A symbolic link keeps its journal beside the file it points to.
    if (::fstatat(folderFd, baseName.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
        recover("/proc/self/fd/" + QByteArray::number(folderFd) + '/' + baseName);
}

void RegionJournal::recoverJournal(const QByteArray &nativeFolder, const QByteArray &journalName)
{
    FileDescriptor folder(::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        recoverIn(folder.get(), journalName);
}

RegionJournal::Result RegionJournal::overwrite(const QByteArray &nativeName, qint64 offset, const QByteArray &bytes)
{
    const std::optional<Location> location = locate(nativeName);
    if (!location)
        return Result::Failed;
    FileDescriptor target(openRegularFile(location->folder + '/' + location->base, O_RDWR));
    if (!target.valid())
        return errno == EOPNOTSUPP ? Result::Unsupported : Result::Failed;
    struct stat info {};
    if (::fstat(target.get(), &info) != 0)
        return Result::Failed;
    if (offset < 0 || offset + bytes.size() > info.st_size || bytes.size() > MaxJournalSize) {
        errno = EINVAL;
        return Result::Failed;
    }
    QByteArray old(bytes.size(), Qt::Uninitialized);
    if (!target.readAt(old.data(), old.size(), offset))
        return Result::Failed;
    return overwrite(target.get(), location->folder + '/' + location->base, offset, bytes, old);
}

RegionJournal::Result RegionJournal::overwrite(int fd, const QByteArray &nativeName, qint64 offset,
                                               const QByteArray &bytes, const QByteArray &old)
{
    const std::optional<Location> location = locate(nativeName);
    struct stat info {};
    if (!location || ::fstat(fd, &info) != 0)
        return Result::Failed;
    if (offset < 0 || offset + bytes.size() > info.st_size || bytes.size() > MaxJournalSize ||
        old.size() != bytes.size()) {
        errno = EINVAL;
        return Result::Failed;
    }
    // Only the bytes that change are journalled and written.
    qsizetype first = 0;
    qsizetype end = bytes.size();
    while (first < end && old.at(first) == bytes.at(first))
        ++first;
    while (end > first && old.at(end - 1) == bytes.at(end - 1))
        --end;
    if (first == end)
        return Result::Written;
    const QByteArray changed = bytes.sliced(first, end - first);
    offset += first;
    Entry entry{quint64(info.st_dev), quint64(info.st_ino), offset, checksum(changed), location->base,
                old.sliced(first, end - first)};

    FileDescriptor folder(::open(location->folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return Result::Failed;
    const QByteArray journalName = internalfiles::journalName(location->base);
    FileDescriptor journal(internalfiles::createLocked(folder.get(), journalName, O_WRONLY));
    if (!journal.valid())
        return Result::Failed;
    const auto dropJournal = [&]() {
        const int error = errno;
        ::unlinkat(folder.get(), journalName.constData(), 0);
        errno = error;
        return Result::Failed;
    };
    const QByteArray record = serialised(entry);
    if (!journal.writeAt(record.constData(), record.size(), 0) || ::fdatasync(journal.get()) != 0 ||
        (!flushPersistsNewName(folder.get()) && ::fsync(folder.get()) != 0))
        return dropJournal();

    if (!FileDescriptor::writeFullyAt(fd, changed.constData(), changed.size(), offset) || ::fdatasync(fd) != 0) {
        // Put the old bytes back now; where even that fails the journal stays for the next read.
        const int error = errno;
        if (FileDescriptor::writeFullyAt(fd, entry.oldBytes.constData(), entry.oldBytes.size(), offset) &&
            ::fdatasync(fd) == 0)
            ::unlinkat(folder.get(), journalName.constData(), 0);
        errno = error;
        return Result::Failed;
    }
    // The new bytes are on disk: a journal that stays behind is removed at the next read.
    ::unlinkat(folder.get(), journalName.constData(), 0);
    return Result::Written;
}

} // namespace platform
