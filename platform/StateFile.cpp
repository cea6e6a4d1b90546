#include "platform/StateFile.h"

#include "platform/FileDescriptor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

StateFile::StateFile(const QString &name) : m_path(folder() + QLatin1Char('/') + name) {}

QString StateFile::folder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/kestrava");
}

std::optional<QByteArray> StateFile::read(qint64 maxSize) const
{
    FileDescriptor fd(::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd.valid())
        return errno == ENOENT ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return std::nullopt;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return std::nullopt;
    }
    if (info.st_size > maxSize) {
        errno = EFBIG;
        return std::nullopt;
    }
    QByteArray contents(qsizetype(info.st_size), Qt::Uninitialized);
    if (!fd.readAt(contents.data(), contents.size(), 0))
        return std::nullopt;
    return contents;
}

bool StateFile::write(const QByteArray &contents) const
{
    const QString parent = QFileInfo(m_path).absolutePath();
    const QByteArray folderName = QFile::encodeName(parent);
    if (!QDir().mkpath(parent))
        return false;
    const QByteArray target = QFile::encodeName(m_path);
    // A name of this write's own: two processes (the window and the tool) may write at once.
    static std::atomic<unsigned> writes{0};
    const QByteArray temporary = target + ".new-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(++writes);
    FileDescriptor fd(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid())
        return false;
    const bool written = FileDescriptor::writeFully(fd.get(), contents.constData(), contents.size()) &&
                         ::fsync(fd.get()) == 0 && fd.close();
    if (!written || ::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        errno = error;
        return false;
    }
    // The new name reaches the disk with the folder.
    FileDescriptor folderFd(::open(folderName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.valid())
        ::fsync(folderFd.get());
    return true;
}

bool StateFile::lock(FileDescriptor &held) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    held.reset(::open(QFile::encodeName(m_path + QStringLiteral(".lock")).constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat info {};
    if (held.valid() && (::fstat(held.get(), &info) != 0 || !S_ISREG(info.st_mode)))
        held.reset(-1);
    int result = -1;
    while (held.valid() && (result = ::flock(held.get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

bool StateFile::remove() const
{
    return ::unlink(QFile::encodeName(m_path).constData()) == 0 || errno == ENOENT;
}

QString StateFile::setAside() const
{
    const QString aside = m_path + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(aside).constData()) != 0)
        return QString();
    return aside;
}

QStringList StateFile::names(const QString &subfolder)
{
    return QDir(folder() + QLatin1Char('/') + subfolder).entryList(QDir::Files | QDir::System | QDir::Hidden);
}

void StateFile::removeStaleTemporaries() const
{
    const QFileInfo file(m_path);
    const QStringList stale =
        QDir(file.absolutePath()).entryList({file.fileName() + QStringLiteral(".new-*")}, QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : stale)
        ::unlink(QFile::encodeName(file.absolutePath() + QLatin1Char('/') + name).constData());
}

} // namespace platform
