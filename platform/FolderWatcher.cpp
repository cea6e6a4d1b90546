#include "platform/FolderWatcher.h"

#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FindFiles.h"
#include "platform/InotifyBursts.h"
#include "platform/MountTable.h"
#include "platform/NativeNames.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr const char *watchLimitPath = "/proc/sys/fs/inotify/max_user_watches";
constexpr int assumedWatchLimit = 8192; // the kernel's old default

QString nativeFolder(const QString &drivePath)
{
    QString native = toNativePath(drivePath);
    while (native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    return native;
}

// Whether an entry created in or moved into a folder, not marked as a folder by the
// kernel, is a link to a folder.
bool isLinkToFolder(const QString &nativeFolder, const char *name)
{
    const QByteArray path = encodeNativeName(nativeFolder) + '/' + name;
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode) && ::stat(path.constData(), &info) == 0
           && S_ISDIR(info.st_mode);
}
// The roots of the drives in the process's mount table: mounts that are not drives (RAM
// and pseudo file systems, bound folders) are not reported.
QSet<QString> readMountPoints()
{
    QSet<QString> points;
    for (const DriveInfo &volume :
         volumesFromMounts(parseMountInfo(MountTable::instance().text()), isRemovableBlockDevice))
        points.insert(volume.nativeRoot);
    return points;
}
} // namespace

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent)
    , m_events(new InotifyBursts([this](const inotify_event &event) { return takeEvent(event); }, this))
{
    connect(m_events, &InotifyBursts::burstEnded, this, &FolderWatcher::examineTouchedFolders);
    MountTable &mounts = MountTable::instance();
    mounts.notifyChanges();
    m_mountPoints = readMountPoints();
    connect(&mounts, &MountTable::changed, this, &FolderWatcher::examineMountTable);
}

FolderWatcher::~FolderWatcher() = default;

int FolderWatcher::addWatch(const QString &nativePath)
{
    constexpr uint32_t events = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    const int watch = m_events->addWatch(encodeNativeName(nativePath), events);
    if (watch >= 0)
        m_pathsOfWatch.insert(watch, nativePath);
    return watch;
}

void FolderWatcher::removeWatch(const QString &nativePath, int watch)
{
    if (m_pathsOfWatch.remove(watch, nativePath) > 0 && !m_pathsOfWatch.contains(watch))
        m_events->removeWatch(watch);
}

bool FolderWatcher::takeEvent(const inotify_event &event)
{
    bool touched = false;
    if (event.mask & IN_Q_OVERFLOW) {
        // Events were lost: every folder may have changed either way.
        for (const QString &nativePath : m_watched.keys())
            touched = folderTouched(nativePath, SubfolderCreated | SubfolderRemoved) || touched;
        return touched;
    }
    const QStringList paths = m_pathsOfWatch.values(event.wd);
    for (const QString &nativePath : paths) {
        if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))
            touched = folderTouched(nativePath, FolderGone) || touched;
        else if (const int kind = subfolderChange(nativePath, &event))
            touched = folderTouched(nativePath, kind) || touched;
    }
    if (event.mask & IN_IGNORED) // the folder is gone: its watch with it
        m_pathsOfWatch.remove(event.wd);
    return touched;
}

int FolderWatcher::watchBudget()
{
    static const int budget = [] {
        QFile limitFile(QString::fromLatin1(watchLimitPath));
        bool ok = false;
        int limit = 0;
        if (limitFile.open(QIODevice::ReadOnly))
            limit = limitFile.readAll().trimmed().toInt(&ok);
        return qMax(1, (ok && limit > 0 ? limit : assumedWatchLimit) / 4);
    }();
    return budget;
}

void FolderWatcher::setFolders(const QStringList &folders)
{
    QHash<QString, QString> wanted; // native path -> drive path
    const int budget = watchBudget();
    for (qsizetype i = 0; i < folders.size(); ++i) {
        if (wanted.size() >= budget)
            break;
        const QString &folder = folders.at(i);
        const QString native = nativeFolder(folder);
        if (!native.isEmpty())
            wanted.insert(native, folder);
    }
    for (auto it = m_watched.begin(); it != m_watched.end();) {
        if (wanted.contains(it.key())) {
            ++it;
            continue;
        }
        removeWatch(it.key(), it->watch);
        m_touched.remove(it.key());
        it = m_watched.erase(it);
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (m_watched.contains(it.key()))
            continue;
        // Only the kernel's events are kept: nothing is read from the folder.
        WatchedFolder watched{it.value(), addWatch(it.key())};
        if (watched.watch >= 0)
            m_watched.insert(it.key(), watched);
    }
}

QStringList FolderWatcher::folders() const
{
    QStringList result;
    for (const WatchedFolder &watched : m_watched)
        result.append(watched.drivePath);
    return result;
}

int FolderWatcher::subfolderChange(const QString &nativePath, const inotify_event *event)
{
    const bool created = event->mask & (IN_CREATE | IN_MOVED_TO);
    const bool removed = event->mask & (IN_DELETE | IN_MOVED_FROM);
    if (!created && !removed)
        return 0;
    // Files never count; a link to a folder shows as a folder when it comes.
    const bool folder = (event->mask & IN_ISDIR) || (created && event->len > 0 && isLinkToFolder(nativePath, event->name));
    if (!folder)
        return 0;
    return created ? SubfolderCreated : SubfolderRemoved;
}

bool FolderWatcher::folderTouched(const QString &nativePath, int kinds)
{
    if (!m_watched.contains(nativePath))
        return false;
    m_touched[nativePath] |= kinds;
    return true;
}

void FolderWatcher::examineTouchedFolders()
{
    const QHash<QString, int> touched = std::exchange(m_touched, {});
    for (auto it = touched.cbegin(); it != touched.cend(); ++it) {
        auto watched = m_watched.find(it.key());
        if (watched == m_watched.end())
            continue;
        const QString where = watched->drivePath;
        const int kinds = it.value();
        if (kinds & FolderGone) {
            removeWatch(it.key(), watched->watch);
            m_watched.erase(watched);
            emit changed(Change::FolderRemoved, where);
        } else if ((kinds & SubfolderCreated) && (kinds & SubfolderRemoved)) {
            emit changed(Change::FolderRenamed, where);
        } else if (kinds & SubfolderCreated) {
            emit changed(Change::FolderCreated, where);
        } else if (kinds & SubfolderRemoved) {
            emit changed(Change::FolderRemoved, where);
        }
    }
}

void FolderWatcher::examineMountTable()
{
    const QSet<QString> now = readMountPoints();
    const QSet<QString> added = now - m_mountPoints;
    const QSet<QString> removed = m_mountPoints - now;
    m_mountPoints = now;
    for (const QString &point : added)
        emit changed(Change::DriveAdded, toDrivePath(point));
    for (const QString &point : removed)
        emit changed(Change::DriveRemoved, toDrivePath(point));
}

} // namespace platform
