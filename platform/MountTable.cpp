#include "platform/MountTable.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace platform {

MountTable &MountTable::instance()
{
    // Never destroyed: readers on other threads may outlive static destruction.
    static MountTable *table = new MountTable;
    return *table;
}

MountTable::MountTable()
{
    m_fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
}

MountTable::~MountTable()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MountTable::refreshLocked()
{
    if (m_fd < 0)
        return false;
    // The kernel reports a change once per open file, to whoever polls it first: this
    // poll, or the event loop's for the notifier.
    pollfd marked{m_fd, POLLPRI, 0};
    const bool changedSinceRead = ::poll(&marked, 1, 0) > 0 && (marked.revents & (POLLPRI | POLLERR));
    if (m_read && !changedSinceRead)
        return false;
    QByteArray table;
    char buffer[16384];
    ::lseek(m_fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;)
        table.append(buffer, got);
    const bool differs = !m_read || table != m_text;
    if (differs)
        ++m_generation;
    m_text = std::move(table);
    m_read = true;
    return differs;
}

QByteArray MountTable::text()
{
    bool changedNow = false;
    QByteArray current;
    {
        QMutexLocker locker(&m_lock);
        const bool firstReading = !m_read;
        changedNow = refreshLocked() && !firstReading;
        current = m_text;
    }
    if (changedNow)
        emit changed();
    return current;
}

quint64 MountTable::generation()
{
    text();
    QMutexLocker locker(&m_lock);
    return m_generation;
}

void MountTable::notifyChanges()
{
    QMutexLocker locker(&m_lock);
    if (m_notifier || m_fd < 0)
        return;
    if (!m_read)
        refreshLocked();
    // Lives on the calling thread; the table itself may have been made on a worker.
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception);
    QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier, [this] {
        bool differs = false;
        {
            QMutexLocker locker(&m_lock);
            // The event loop's poll has already taken the kernel's mark: read again.
            QByteArray before = m_text;
            m_read = false;
            refreshLocked();
            differs = m_text != before;
        }
        if (differs)
            emit changed();
    });
}

} // namespace platform
