#include "platform/InternalFiles.h"

#include "platform/RegionJournal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr char JournalSuffix[] = ".kestrava-journal";
constexpr char TemporaryMark[] = ".kestrava-tmp";
constexpr char PartialPrefix[] = ".kestrava-";
constexpr char PartialSuffix[] = ".part";
constexpr int PartialDigits = 8;
constexpr int MaxNameBytes = 255;
// A partial copy that is a link holds no lock: it is stale when older than this.
constexpr time_t StaleLinkSeconds = 60;
// removeStaleIn looks through a folder again after this long.
constexpr qint64 SweepAgainMs = 5000;

bool isDigits(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isPartialCopyName(QByteArrayView name)
{
    constexpr qsizetype prefix = sizeof PartialPrefix - 1;
    constexpr qsizetype suffix = sizeof PartialSuffix - 1;
    if (name.size() != prefix + PartialDigits + suffix || !name.startsWith(PartialPrefix) || !name.endsWith(PartialSuffix))
        return false;
    const QByteArrayView digits = name.sliced(prefix, PartialDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The name, or a hash of it where the name and the marks would not fit in a file name.
QByteArray fittingBase(const QByteArray &baseName, qsizetype marks)
{
    if (baseName.size() + marks <= MaxNameBytes)
        return baseName;
    return QCryptographicHash::hash(baseName, QCryptographicHash::Sha1).toHex();
}
} // namespace

bool isInternalTemporaryName(const QByteArray &name)
{
    if (!name.startsWith('.'))
        return false;
    if (name.endsWith(JournalSuffix) || isPartialCopyName(name))
        return true;
    const qsizetype mark = name.lastIndexOf(TemporaryMark);
    return mark > 0 && isDigits(QByteArrayView(name).sliced(mark + qsizetype(sizeof TemporaryMark) - 1));
}

bool isInternalTemporaryName(const QString &name)
{
    return name.startsWith(QLatin1Char('.')) && isInternalTemporaryName(name.toUtf8());
}

namespace internalfiles {

QByteArray journalName(const QByteArray &baseName)
{
    return '.' + fittingBase(baseName, 1 + qsizetype(sizeof JournalSuffix) - 1) + JournalSuffix;
}

QByteArray temporaryName(const QByteArray &baseName, int number)
{
    const QByteArray suffix = TemporaryMark + (number > 0 ? QByteArray::number(number) : QByteArray());
    return '.' + fittingBase(baseName, 1 + suffix.size()) + suffix;
}

QByteArray partialCopyName(quint32 number)
{
    return PartialPrefix + QByteArray::number(number, 16).rightJustified(PartialDigits, '0') + PartialSuffix;
}

int createLocked(int folderFd, const QByteArray &name, int access, mode_t mode)
{
    const int fd = ::openat(folderFd, name.constData(), access | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    // A sweep of another process may have taken the new file for a stale one between the
    // open and the lock: then it is gone from the folder and not ours to use.
    struct stat info {};
    int error = 0;
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &info) != 0)
        error = errno;
    else if (info.st_nlink == 0)
        error = EBUSY;
    if (error == 0)
        return fd;
    ::close(fd);
    errno = error;
    return -1;
}

void removeStale(const QByteArray &nativeFolder)
{
    DIR *folder = ::opendir(nativeFolder.constData());
    if (!folder)
        return;
    const int folderFd = ::dirfd(folder);
    while (const dirent *entry = ::readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (!isInternalTemporaryName(name))
            continue;
        if (name.endsWith(JournalSuffix)) {
            RegionJournal::recoverJournal(nativeFolder, name);
            continue;
        }
        const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            struct stat link {};
            if (errno == ELOOP && isPartialCopyName(name) && ::fstatat(folderFd, name.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISLNK(link.st_mode) && link.st_uid == ::geteuid() && ::time(nullptr) - link.st_ctime > StaleLinkSeconds)
                ::unlinkat(folderFd, name.constData(), 0);
            continue;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && info.st_nlink > 0)
            ::unlinkat(folderFd, name.constData(), 0);
        ::close(fd);
    }
    ::closedir(folder);
}

void removeStaleBeside(const QByteArray &nativeName)
{
    char *resolved = ::realpath(nativeName.constData(), nullptr);
    if (!resolved)
        return;
    QByteArray folder(resolved);
    std::free(resolved);
    const qsizetype slash = folder.lastIndexOf('/');
    folder.truncate(std::max<qsizetype>(slash, 1));
    // Files go stale when a process stops in the middle of a save: a folder is looked
    // through at the first save in it of each process, so that a save in a folder of
    // many thousand files does not list it every time.
    static QMutex mutex;
    static QSet<QByteArray> swept;
    {
        const QMutexLocker locker(&mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    removeStale(folder);
}

void removeStaleIn(const QByteArray &nativeFolder)
{
    static QMutex mutex;
    static QHash<QByteArray, qint64> sweptAt;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        const QMutexLocker locker(&mutex);
        const auto last = sweptAt.constFind(nativeFolder);
        if (last != sweptAt.cend() && now - *last < SweepAgainMs && now >= *last)
            return;
        sweptAt.insert(nativeFolder, now);
    }
    removeStale(nativeFolder);
}

} // namespace internalfiles
} // namespace platform
