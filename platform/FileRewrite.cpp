#include "platform/FileRewrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
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

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    void reset(int fd)
    {
        close();
        m_fd = fd;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

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

bool copyByReading(int from, off_t offset, int to)
{
    static thread_local char buffer[1024 * 1024];
    for (;;) {
        if (!stepAllowed(Step::CopyRest))
            return false;
        const ssize_t got = ::pread(from, buffer, sizeof buffer, offset);
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
bool copyRest(int from, off_t offset, int to)
{
    off_t written = ::lseek(to, 0, SEEK_CUR);
    struct statfs fileSystem {};
    const bool sharing = ::fstatfs(from, &fileSystem) == 0 && sharesBlocks(fileSystem);
    for (bool first = true;; first = false) {
        if (!stepAllowed(Step::CopyRest))
            return false;
        const off_t intoBlock = offset % SharedBlockSize;
        const bool aligned = intoBlock == 0 && written % SharedBlockSize == 0;
        const size_t length = intoBlock ? size_t(SharedBlockSize - intoBlock) : sharing && aligned ? SSIZE_MAX : CopyChunk;
        const ssize_t copied = ::copy_file_range(from, &offset, to, nullptr, length, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && first && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return copyByReading(from, offset, to);
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
    Descriptor fd;
};

// Creates name~, name~1, name~2… beside the target, never opening an existing file.
bool createTemporary(const QByteArray &folder, QByteArray base, Temporary &temporary)
{
    for (int number = 0; number <= MaxTemporaryNumber; ++number) {
        if (!stepAllowed(Step::CreateTemporary))
            return false;
        temporary.path = folder + '/' + base + '~' + (number ? QByteArray::number(number) : QByteArray());
        const int fd = ::open(temporary.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            temporary.fd.reset(fd);
            return true;
        }
        if (errno == ENAMETOOLONG && base != ".kestrava") {
            base = ".kestrava"; // a name at the length limit has no room for the mark
            number = -1;
            continue;
        }
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

void syncFolder(const QByteArray &folder)
{
    Descriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

bool fillTemporary(int source, const struct stat &original, const QByteArray &newStart, qint64 oldStartSize,
                   Temporary &temporary)
{
    const int fd = temporary.fd.get();
    if (!stepAllowed(Step::WriteStart) || !writeAll(fd, newStart.constData(), size_t(newStart.size())))
        return false;
    if (!copyRest(source, off_t(oldStartSize), fd))
        return false;
    if (!stepAllowed(Step::CopyPermissions))
        return false;
    if (::fchown(fd, original.st_uid, original.st_gid) != 0) {
        // Only the owner's own groups are open to others than root; the bits still follow.
    }
    if (::fchmod(fd, original.st_mode & 07777) != 0)
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
    char *resolved = ::realpath(nativeName.constData(), nullptr);
    if (!resolved)
        return false;
    const QByteArray target(resolved);
    std::free(resolved);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : target.left(slash);
    const QByteArray base = target.mid(slash + 1);

    Descriptor source(::open(target.constData(), O_RDONLY | O_CLOEXEC));
    struct stat original {};
    if (!source.valid() || ::fstat(source.get(), &original) != 0 || !S_ISREG(original.st_mode) ||
        oldStartSize > original.st_size || oldStartSize < 0)
        return false;

    Temporary temporary;
    if (!createTemporary(folder, base, temporary))
        return false;
    const bool done = fillTemporary(source.get(), original, newStart, oldStartSize, temporary) &&
                      stepAllowed(Step::Rename) && ::rename(temporary.path.constData(), target.constData()) == 0;
    if (!done) {
        const int error = errno;
        temporary.fd.close();
        ::unlink(temporary.path.constData());
        errno = error;
        return false;
    }
    syncFolder(folder);
    return true;
}

} // namespace platform::filerewrite
