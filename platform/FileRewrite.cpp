#include "platform/FileRewrite.h"

#include "platform/FileDescriptor.h"
#include "platform/InternalFiles.h"
#include "platform/RegularFile.h"

#include <QList>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace platform::filerewrite {

namespace {
constexpr size_t CopyChunk = 8 * 1024 * 1024;
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

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        data += put;
        size -= size_t(put);
    }
    return true;
}

// Copies [offset, end) of `from` (to its end for NoEnd) at the current position of `to`.
constexpr off_t NoEnd = -1;

size_t boundedLength(size_t length, off_t offset, off_t end)
{
    return end == NoEnd ? length : size_t(std::min<off_t>(off_t(std::min<size_t>(length, SSIZE_MAX)), end - offset));
}

bool copyByReading(int from, off_t offset, int to, off_t end)
{
    static thread_local char buffer[1024 * 1024];
    for (;;) {
        if (!stepAllowed(Step::CopyRest))
            return false;
        if (offset == end)
            return true;
        const ssize_t got = ::pread(from, buffer, boundedLength(sizeof buffer, offset, end), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!writeAll(to, buffer, size_t(got)))
            return false;
        offset += got;
    }
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

// Copies from `offset` to the end of `from` at the current position of `to`, in the
// kernel where the file system allows it. The part up to the source's next block
// boundary goes first: when both offsets are then aligned on a file system that shares
// blocks, the rest is shared in one call; otherwise it is copied in chunks, each
// written back to disk while the next one is copied.
bool copyRange(int from, off_t offset, int to, off_t end)
{
    off_t written = ::lseek(to, 0, SEEK_CUR);
    struct statfs fileSystem {};
    const bool sharing = ::fstatfs(from, &fileSystem) == 0 && sharesBlocks(fileSystem);
    for (bool first = true;; first = false) {
        if (!stepAllowed(Step::CopyRest))
            return false;
        if (offset == end)
            return true;
        const off_t intoBlock = offset % SharedBlockSize;
        const bool aligned = intoBlock == 0 && written % SharedBlockSize == 0;
        const size_t length = boundedLength(
            intoBlock ? size_t(SharedBlockSize - intoBlock) : sharing && aligned ? SSIZE_MAX : CopyChunk, offset, end);
        const ssize_t copied = ::copy_file_range(from, &offset, to, nullptr, length, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && first && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return copyByReading(from, offset, to, end);
        if (copied < 0)
            return false;
        if (copied == 0)
            return true;
        ::sync_file_range(to, written, copied, SYNC_FILE_RANGE_WRITE);
        written += copied;
    }
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
        const int fd = internalfiles::createLocked(folderFd, name, O_WRONLY);
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
    if (offset > 0 && !copyRange(source, 0, fd, off_t(offset)))
        return false;
    if (!stepAllowed(Step::WriteStart) || !writeAll(fd, newBytes.constData(), size_t(newBytes.size())))
        return false;
    if (!copyRange(source, off_t(offset + oldLength), fd, NoEnd))
        return false;
    if (!stepAllowed(Step::CopyPermissions))
        return false;
    if (::fchmod(fd, original.st_mode & 07777) != 0 && !notKeptHere(errno))
        return false;
    if (!keepExtendedAttributes(source, fd))
        return false;
    if (!stepAllowed(Step::SyncToDisk) || ::fsync(fd) != 0)
        return false;
    return temporary.fd.close();
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
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = target.mid(slash + 1);

    FileDescriptor source(openRegularFile(target, O_RDONLY));
    struct stat original {};
    if (!source.valid() || ::fstat(source.get(), &original) != 0)
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
    const bool done = fillTemporary(source.get(), original, offset, oldLength, newBytes, temporary) &&
                      stepAllowed(Step::Rename) && ::rename(temporary.path.constData(), target.constData()) == 0;
    if (!done) {
        const int error = errno;
        temporary.fd.close();
        ::unlink(temporary.path.constData());
        errno = error;
        return false;
    }
    ::fsync(folderFd.get());
    return true;
}

} // namespace platform::filerewrite
