#include "platform/FolderEntriesWatcher.h"

#include "platform/DrivePaths.h"
#include "platform/InotifyBursts.h"
#include "platform/NativeNames.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {
// Reads and other opens are no changes; a file being written counts once it is closed.
constexpr uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
                                   | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
} // namespace

FolderEntriesWatcher::FolderEntriesWatcher(QObject *parent)
    : QObject(parent)
    , m_events(new InotifyBursts([this](const inotify_event &event) { return takeEvent(event); }, this))
{
    connect(m_events, &InotifyBursts::burstEnded, this, &FolderEntriesWatcher::changed);
}

FolderEntriesWatcher::~FolderEntriesWatcher() = default;

void FolderEntriesWatcher::setFolder(const QString &drivePath)
{
    if (drivePath == m_folder)
        return;
    m_folder = drivePath;
    m_events->removeWatch(m_watch);
    m_watch = -1;
    m_events->forget();
    if (!drivePath.isEmpty())
        m_watch = m_events->addWatch(encodeNativeName(toNativePath(drivePath)), watchedEvents);
}

bool FolderEntriesWatcher::takeEvent(const inotify_event &event)
{
    // Events of a watch given up earlier are left out; an overflow may hide ours.
    const bool ours = event.wd == m_watch || (event.mask & IN_Q_OVERFLOW);
    if (event.wd == m_watch && (event.mask & IN_IGNORED)) // the folder is gone
        m_watch = -1;
    return ours;
}

} // namespace platform
