#include "platform/FileRewrite.h"

#include "platform/ByteRangeCopy.h"
#include "platform/FileDescriptor.h"
#include "platform/InternalFiles.h"
#include "platform/RegularFile.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform::filerewrite {

namespace {
constexpr int MaxTemporaryNumber = 9999;
constexpr int SharedBlockSize = 4096;

std::function<int(Step)> &faultHook()
{
    static std::function<int(Step)> hook;
    return hook;
}

// False with errno set when a test makes this step fail.
bool stepAllowed(Step step)
{
    const int error = faultHook() ? faultHook()(step) : 0;
    if (error != 0)
        errno = error;
    return error == 0;
}

// Whether the file system can share blocks between files (reflinks).
bool sharesBlocks(const struct statfs &info)
{
    constexpr long Bcachefs = 0xca451a4e;
    constexpr long Ocfs2 = 0x7461636f;
    switch (long(info.f_type)) {
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case Bcachefs:
    case Ocfs2:
        return true;
    default:
        return false;
    }
}

// Copies [offset, end) of `from` at the current position of `to`, each chunk handed to
// the disk while the next one is copied; where the file system shares blocks and both
// offsets are aligned, the rest is shared in one call.
bool copyRange(int from, qint64 offset, int to, qint64 end)
{
    if (!stepAllowed(Step::CopyRest))
        return false;
    struct statfs fileSystem {};
    ByteRangeCopy copy;
    copy.shareInOneCall = ::fstatfs(from, &fileSystem) == 0 && sharesBlocks(fileSystem);
    copy.writeBehind = true;
    copy.afterChunk = [](qint64) { return stepAllowed(Step::CopyRest) ? 0 : errno; };
    const int error = copy.run(from, offset, to, end);
    errno = error;
    return error == 0;
}

// Whether `fd` holds, from `at` on, exactly `length` bytes equal to `expected` (or, when
// `expected` is null, to the source's bytes from `sourceAt`).
bool holdsBytes(int fd, qint64 at, qint64 length, const char *expected, int source, qint64 sourceAt)
{
    constexpr qint64 Piece = 1 << 20;
    QByteArray mine(qsizetype(std::min(length, Piece)), Qt::Uninitialized);
    QByteArray theirs(expected ? 0 : mine.size(), Qt::Uninitialized);
    for (qint64 done = 0; done < length;) {
        const qint64 piece = std::min(length - done, Piece);
        if (!FileDescriptor::readFullyAt(fd, mine.data(), piece, at + done))
            return false;
        const char *compared = expected ? expected + done : theirs.constData();
        if (!expected && !FileDescriptor::readFullyAt(source, theirs.data(), piece, sourceAt + done))
            return false;
        if (std::memcmp(mine.constData(), compared, size_t(piece)) != 0) {
            errno = EIO;
            return false;
        }
        done += piece;
    }
    return true;
}

// The new file must be the original's start, the new bytes and the original's rest,
// exactly: anything else (a copy cut short, a source that changed meanwhile) fails.
bool holdsExactly(int fd, int source, const struct stat &original, qint64 offset, qint64 oldLength,
                  const QByteArray &newBytes)
{
    struct stat created {}, now {};
    if (::fstat(fd, &created) != 0 || ::fstat(source, &now) != 0)
        return false;
    const qint64 restAt = offset + oldLength;
    const qint64 rest = qint64(original.st_size) - restAt;
    if (now.st_size != original.st_size || now.st_mtim.tv_sec != original.st_mtim.tv_sec ||
        now.st_mtim.tv_nsec != original.st_mtim.tv_nsec || created.st_size != offset + newBytes.size() + rest) {
        errno = EIO;
        return false;
    }
    return holdsBytes(fd, 0, offset, nullptr, source, 0) &&
           holdsBytes(fd, offset, newBytes.size(), newBytes.constData(), source, 0) &&
           holdsBytes(fd, offset + newBytes.size(), rest, nullptr, source, restAt);
}

struct Temporary {
    QByteArray path;
    FileDescriptor fd;
};

// Creates .NAME.kestrava-tmp, .NAME.kestrava-tmp1… beside the target, never opening an
// existing file, and holds its lock until it is renamed or removed.
bool createTemporary(int folderFd, const QByteArray &folder, const QByteArray &base, Temporary &temporary)
{
    for (int number = 0; number <= MaxTemporaryNumber; ++number) {
        if (!stepAllowed(Step::CreateTemporary))
            return false;
        const QByteArray name = internalfiles::temporaryName(base, number);
        temporary.path = folder + '/' + name;
        const int fd = internalfiles::createLocked(folderFd, name, O_RDWR);
        if (fd >= 0) {
            temporary.fd.reset(fd);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

// File systems that keep no owner, mode or extended attributes (an SMB share through
// GVfs) answer these; there is nothing to keep then.
bool notKeptHere(int error)
{
    return error == EOPNOTSUPP || error == ENOSYS || error == ENOTSUP;
}

// The original's owner and group, or a refusal: a file is never given another owner.
bool keepOwner(int fd, const struct stat &original)
{
    struct stat created {};
    if (::fstat(fd, &created) != 0)
        return false;
    if (created.st_uid == original.st_uid && created.st_gid == original.st_gid)
        return true;
    if (::fchown(fd, original.st_uid, original.st_gid) == 0 || notKeptHere(errno))
        return true;
    errno = EPERM;
    return false;
}

// Extended attributes, POSIX ACLs among them, copied from the original.
bool keepExtendedAttributes(int source, int fd)
{
    ssize_t listSize = ::flistxattr(source, nullptr, 0);
    if (listSize < 0)
        return notKeptHere(errno);
    QByteArray names(listSize, Qt::Uninitialized);
    listSize = ::flistxattr(source, names.data(), size_t(names.size()));
    if (listSize < 0)
        return false;
    names.truncate(listSize);
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t valueSize = ::fgetxattr(source, name.constData(), nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(valueSize, Qt::Uninitialized);
        const ssize_t got = ::fgetxattr(source, name.constData(), value.data(), size_t(value.size()));
        if (got < 0)
            return false;
        value.truncate(got);
        if (::fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) == 0)
            continue;
        // An attribute the system sets itself (a security label) may refuse us but hold the value already.
        const int error = errno;
        QByteArray present(value.size(), Qt::Uninitialized);
        if (::fgetxattr(fd, name.constData(), present.data(), size_t(present.size())) != got || present != value) {
            errno = error;
            return false;
        }
    }
    return true;
}

bool fillTemporary(int source, const struct stat &original, qint64 offset, qint64 oldLength,
                   const QByteArray &newBytes, Temporary &temporary)
{
    const int fd = temporary.fd.get();
    if (offset > 0 && !copyRange(source, 0, fd, offset))
        return false;
    if (!stepAllowed(Step::WriteStart) || !FileDescriptor::writeFully(fd, newBytes.constData(), newBytes.size()))
        return false;
    if (!copyRange(source, offset + oldLength, fd, original.st_size))
        return false;
    if (!holdsExactly(fd, source, original, offset, oldLength, newBytes))
        return false;
    if (!stepAllowed(Step::CopyPermissions))
        return false;
    if (::fchmod(fd, original.st_mode & 07777) != 0 && !notKeptHere(errno))
        return false;
    if (!keepExtendedAttributes(source, fd))
        return false;
    return stepAllowed(Step::SyncToDisk) && ::fsync(fd) == 0;
}
} // namespace

int blockSharingAlignment(const QByteArray &nativeName)
{
    struct statfs info {};
    return ::statfs(nativeName.constData(), &info) == 0 && sharesBlocks(info) ? SharedBlockSize : 0;
}

void setFaultHookForTesting(std::function<int(Step)> hook)
{
    faultHook() = std::move(hook);
}

bool replaceFileStart(const QByteArray &nativeName, const QByteArray &newStart, qint64 oldStartSize)
{
    return replaceFileRange(nativeName, 0, oldStartSize, newStart);
}

bool replaceFileRange(const QByteArray &nativeName, qint64 offset, qint64 oldLength, const QByteArray &newBytes)
{
    char *resolved = ::realpath(nativeName.constData(), nullptr);
    if (!resolved)
        return false;
    const QByteArray target(resolved);
    std::free(resolved);
    FileDescriptor source(openRegularFile(target, O_RDONLY));
    return source.valid() && replaceFileRange(source.get(), target, offset, oldLength, newBytes, nullptr);
}

bool replaceFileRange(int source, const QByteArray &target, qint64 offset, qint64 oldLength,
                      const QByteArray &newBytes, FileDescriptor *newFile)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = target.mid(slash + 1);

    struct stat original {};
    if (::fstat(source, &original) != 0)
        return false;
    if (offset < 0 || oldLength < 0 || offset + oldLength > original.st_size) {
        errno = EINVAL;
        return false;
    }

    FileDescriptor folderFd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Temporary temporary;
    if (!folderFd.valid() || !createTemporary(folderFd.get(), folder, base, temporary))
        return false;
    // The owner is settled first: a file that would change hands is refused before any copying.
    if (!keepOwner(temporary.fd.get(), original)) {
        const int error = errno;
        ::unlink(temporary.path.constData());
        errno = error;
        return false;
    }
    const bool done = fillTemporary(source, original, offset, oldLength, newBytes, temporary) &&
                      (newFile || temporary.fd.close()) && stepAllowed(Step::Rename) && ::rename(temporary.path.constData(), target.constData()) == 0;
    if (!done) {
        const int error = errno;
        temporary.fd.close();
        ::unlink(temporary.path.constData());
        errno = error;
        return false;
    }
    ::fsync(folderFd.get());
    if (newFile)
        newFile->reset(temporary.fd.release());
    return true;
}

} // namespace platform::filerewrite
