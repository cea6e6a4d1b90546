#include "platform/FileCopy.h"

#include "platform/ByteRangeCopy.h"

#include "platform/FileSystem.h"
#include "platform/InternalFiles.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <system_error>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

// Smaller files are copied on the caller's thread: a thread would cost more than the copy.
constexpr qint64 backgroundFromBytes = 1 << 20;
// Closes a descriptor on every path.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int close()
    {
        const int result = m_fd >= 0 ? ::close(m_fd) : 0;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// A hidden name beside the target, removed unless kept.
class TemporaryName {
public:
    explicit TemporaryName(const QString &target)
    {
        m_path = nativeFolderOf(target) + QLatin1Char('/')
                 + QString::fromLatin1(internalfiles::partialCopyName(QRandomGenerator::global()->generate()));
    }
    ~TemporaryName()
    {
        if (!m_kept)
            ::unlink(bytes().constData());
    }
    TemporaryName(const TemporaryName &) = delete;
    TemporaryName &operator=(const TemporaryName &) = delete;
    QByteArray bytes() const { return encodeNativeName(m_path); }
    QString path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

CopyStatus failure(int error)
{
    return {CopyOutcome::Failed, error};
}

// Copies the whole source to the target's descriptor, telling `onChunk` of each chunk;
// it stops the copy by returning false. Returns 0, ECANCELED or the system's error.
int transferAll(int in, int out, const std::function<bool(qint64)> &onChunk)
{
    ByteRangeCopy copy;
    copy.afterChunk = [&](qint64 bytes) { return onChunk(bytes) ? 0 : ECANCELED; };
    return copy.run(in, 0, out, CopyToEnd);
}

// Runs transferAll on the caller's thread.
int transferHere(int in, int out, const CopyProgress &onBytes)
{
    return transferAll(in, out, [&](qint64 bytes) { return !onBytes || onBytes(bytes); });
}

// Runs transferAll on a worker thread while the caller's thread reports progress at
// least every copyProgressIntervalMs. The worker stays at most maxChunksAhead chunks
// ahead of what the caller has seen, so a cancel stops it soon.
class BackgroundTransfer {
public:
    int run(int in, int out, const CopyProgress &onBytes)
    {
        std::thread worker;
        try {
            worker = std::thread([&] {
                const int error = transferAll(in, out, [this](qint64 bytes) { return handOver(bytes); });
                std::lock_guard lock(m_mutex);
                m_finished = true;
                m_error = error;
                m_changed.notify_all();
            });
        } catch (const std::system_error &) {
            return transferHere(in, out, onBytes); // no thread to be had
        }
        const int result = follow(onBytes);
        worker.join();
        return result;
    }

private:
    bool handOver(qint64 bytes)
    {
        std::unique_lock lock(m_mutex);
        m_copied += bytes;
        if (++m_unseenChunks >= maxChunksAhead) {
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_unseenChunks < maxChunksAhead || m_cancelled; });
        }
        return !m_cancelled;
    }

    int follow(const CopyProgress &onBytes)
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(copyProgressIntervalMs),
                               [this] { return m_finished || m_unseenChunks >= maxChunksAhead; });
            const qint64 fresh = m_copied - m_reported;
            m_reported = m_copied;
            m_unseenChunks = 0;
            const bool finished = m_finished;
            const int error = m_error;
            lock.unlock();
            m_changed.notify_all();
            if (finished && error != 0)
                return error;
            if (onBytes && !onBytes(fresh)) {
                lock.lock();
                m_cancelled = true;
                m_changed.notify_all();
                return ECANCELED;
            }
            if (finished)
                return 0;
        }
    }

    static constexpr int maxChunksAhead = 8;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qint64 m_copied = 0;
    qint64 m_reported = 0;
    int m_unseenChunks = 0;
    bool m_cancelled = false;
    bool m_finished = false;
    int m_error = 0;
};

// Gives the finished temporary the target's name.
CopyStatus publish(TemporaryName &temporary, const QString &target, bool replace)
{
    if (replace) {
        if (::rename(temporary.bytes().constData(), encodeNativeName(target).constData()) != 0)
            return failure(errno);
    } else {
        const RenameResult result = renameNoReplace(temporary.path(), target);
        if (result == RenameResult::TargetExists)
            return failure(EEXIST);
        if (result != RenameResult::Done)
            return failure(errno);
    }
    temporary.keep();
    return {CopyOutcome::Done, 0};
}

} // namespace

CopyStatus copyFile(const QString &source, const QString &target, bool replace, CopyKind kind, const CopyProgress &onBytes)
{
    Descriptor in(::open(encodeNativeName(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0)
        return failure(errno);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    TemporaryName temporary(target);
    // A copy is created with the source's permission bits less the umask, as cp does. It
    // is locked while it is written: one nobody holds is a killed copy's (InternalFiles.h).
    const mode_t createMode = kind == CopyKind::Copy ? (info.st_mode & 0777) : 0600;
    Descriptor out(internalfiles::createLocked(AT_FDCWD, temporary.bytes(), O_WRONLY, createMode));
    if (!out.valid())
        return failure(errno);

    const int error = info.st_size >= backgroundFromBytes
                          ? BackgroundTransfer().run(in.get(), out.get(), onBytes)
                          : transferHere(in.get(), out.get(), onBytes);
    if (error == ECANCELED)
        return {CopyOutcome::Cancelled, 0};
    if (error != 0)
        return failure(error);

    // a copy shorter than the source, unless the source shrank meanwhile, is a failure
    struct stat copied {}, now {};
    if (::fstat(out.get(), &copied) != 0 || ::fstat(in.get(), &now) != 0)
        return failure(errno);
    if (copied.st_size < std::min(info.st_size, now.st_size))
        return failure(EIO);

    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::futimens(out.get(), times) != 0)
        return failure(errno);
    if (kind == CopyKind::Move) {
        // as a move keeps them where it may; the owner is changed before the mode,
        // which a change of owner would clear
        [[maybe_unused]] const int owned = ::fchown(out.get(), info.st_uid, info.st_gid);
        // a file system that keeps no permissions (a network share) refuses to set them
        if (::fchmod(out.get(), info.st_mode & 07777) != 0 && errno != EOPNOTSUPP && errno != ENOTSUP)
            return failure(errno);
    }
    // the lock lasts (on a second descriptor) until the copy has its name; the close
    // itself reports a write the file system failed to finish
    const Descriptor lock(::fcntl(out.get(), F_DUPFD_CLOEXEC, 0));
    if (!lock.valid() || out.close() != 0)
        return failure(errno);
    return publish(temporary, target, replace);
}

CopyStatus copySymbolicLink(const QString &source, const QString &target, bool replace)
{
    QByteArray destination(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(encodeNativeName(source).constData(), destination.data(), size_t(destination.size()));
    if (length < 0)
        return failure(errno);
    destination.truncate(length);
    TemporaryName temporary(target);
    if (::symlink(destination.constData(), temporary.bytes().constData()) != 0)
        return failure(errno);
    return publish(temporary, target, replace);
}

} // namespace platform
