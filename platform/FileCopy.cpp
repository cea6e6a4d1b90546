#include "platform/FileCopy.h"

#include "platform/FileSystem.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 chunkSize = 1 << 20;

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
        const QString folder = QFileInfo(target).absolutePath();
        m_path = QStringLiteral("%1/.kestrava-%2.part").arg(folder).arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    }
    ~TemporaryName()
    {
        if (!m_kept)
            ::unlink(bytes().constData());
    }
    TemporaryName(const TemporaryName &) = delete;
    TemporaryName &operator=(const TemporaryName &) = delete;
    QByteArray bytes() const { return QFile::encodeName(m_path); }
    QString path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

CopyStatus failure(int error)
{
    return {CopyOutcome::Failed, systemErrorText(error)};
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Reads the whole file back; empty on a read error.
QByteArray digestOf(const QByteArray &path, qint64 &size)
{
    Descriptor in(::open(path.constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    size = 0;
    for (;;) {
        const ssize_t count = ::read(in.get(), buffer.data(), size_t(buffer.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return QByteArray();
        if (count == 0)
            break;
        hash.addData(QByteArrayView(buffer.constData(), count));
        size += count;
    }
    return hash.result();
}

// Gives the finished temporary the target's name.
CopyStatus publish(TemporaryName &temporary, const QString &target, bool replace)
{
    if (replace) {
        if (::rename(temporary.bytes().constData(), QFile::encodeName(target).constData()) != 0)
            return failure(errno);
    } else {
        const RenameResult result = renameNoReplace(temporary.path(), target);
        if (result == RenameResult::TargetExists)
            return failure(EEXIST);
        if (result != RenameResult::Done)
            return failure(errno);
    }
    temporary.keep();
    return {CopyOutcome::Done, QString()};
}

} // namespace

CopyStatus copyFileVerified(const QString &source, const QString &target, bool replace,
                            const std::function<bool(qint64 bytes)> &onBytes)
{
    Descriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0)
        return failure(errno);
    TemporaryName temporary(target);
    Descriptor out(::open(temporary.bytes().constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.valid())
        return failure(errno);

    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const ssize_t count = ::read(in.get(), buffer.data(), size_t(buffer.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return failure(errno);
        if (count == 0)
            break;
        if (!writeAll(out.get(), buffer.constData(), count))
            return failure(errno);
        hash.addData(QByteArrayView(buffer.constData(), count));
        copied += count;
        if (onBytes && !onBytes(count))
            return {CopyOutcome::Cancelled, QString()};
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::fsync(out.get()) != 0 || ::futimens(out.get(), times) != 0)
        return failure(errno);
    // A file system that keeps no permissions (a network share) refuses to set them.
    if (::fchmod(out.get(), info.st_mode & 07777) != 0 && errno != EOPNOTSUPP && errno != ENOTSUP)
        return failure(errno);
    if (out.close() != 0)
        return failure(errno);

    qint64 readBack = 0;
    if (digestOf(temporary.bytes(), readBack) != hash.result() || readBack != copied)
        return {CopyOutcome::Failed, QStringLiteral("The copy differs from the original.")};
    return publish(temporary, target, replace);
}

CopyStatus copySymbolicLink(const QString &source, const QString &target, bool replace)
{
    QByteArray destination(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(QFile::encodeName(source).constData(), destination.data(), size_t(destination.size()));
    if (length < 0)
        return failure(errno);
    destination.truncate(length);
    TemporaryName temporary(target);
    if (::symlink(destination.constData(), temporary.bytes().constData()) != 0)
        return failure(errno);
    return publish(temporary, target, replace);
}

} // namespace platform
