#include "platform/FolderEntriesWatcher.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"

#include <QSocketNotifier>
#include <algorithm>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr int quietMilliseconds = 100;
constexpr int longestBurstMilliseconds = 1000;
// Reads and other opens are no changes; a file being written counts once it is closed.
constexpr uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB
                                   | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
} // namespace

FolderEntriesWatcher::FolderEntriesWatcher(QObject *parent)
    : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMilliseconds);
    connect(&m_quiet, &QTimer::timeout, this, &FolderEntriesWatcher::report);
    m_inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotifyFd >= 0) {
        m_notifier = new QSocketNotifier(m_inotifyFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderEntriesWatcher::readNotifications);
    }
}

FolderEntriesWatcher::~FolderEntriesWatcher()
{
    delete m_notifier;
    if (m_inotifyFd >= 0)
        ::close(m_inotifyFd);
}

void FolderEntriesWatcher::setFolder(const QString &drivePath)
{
    if (drivePath == m_folder)
        return;
    m_folder = drivePath;
    if (m_watch >= 0)
        ::inotify_rm_watch(m_inotifyFd, m_watch);
    m_watch = -1;
    m_quiet.stop();
    m_burst.invalidate();
    if (m_inotifyFd >= 0 && !drivePath.isEmpty())
        m_watch = ::inotify_add_watch(m_inotifyFd, encodeNativeName(toNativePath(drivePath)).constData(), watchedEvents);
}

void FolderEntriesWatcher::readNotifications()
{
    alignas(inotify_event) char buffer[16384];
    bool touched = false;
    for (;;) {
        const ssize_t got = ::read(m_inotifyFd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            // Events of a watch given up earlier are left out; an overflow may hide ours.
            if (event->wd == m_watch || (event->mask & IN_Q_OVERFLOW))
                touched = true;
            if (event->wd == m_watch && (event->mask & IN_IGNORED)) // the folder is gone
                m_watch = -1;
        }
    }
    if (!touched)
        return;
    if (!m_burst.isValid())
        m_burst.start();
    // Quiet for a moment, or the burst has lasted long enough: reported.
    const qint64 left = longestBurstMilliseconds - m_burst.elapsed();
    m_quiet.start(int(std::clamp<qint64>(left, 0, quietMilliseconds)));
}

void FolderEntriesWatcher::report()
{
    m_burst.invalidate();
    emit changed();
}

} // namespace platform
