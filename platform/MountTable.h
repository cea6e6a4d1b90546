#pragma once
// The process's mount table, read once per change: every reader in the process shares
// one open /proc/self/mountinfo and reads it again only after the kernel has marked it
// changed (a mount came or went). Readers on any thread get the current text; views
// are told of a change through changed(), on the window's thread.

#include <QByteArray>
#include <QMutex>
#include <QObject>

class QSocketNotifier;

namespace platform {

class MountTable : public QObject {
    Q_OBJECT
public:
    static MountTable &instance();

    // The table as it is now: the text kept from the last reading unless the kernel has
    // marked a change since.
    QByteArray text();
    // A number that grows with each change of the table seen; asking it costs a poll.
    quint64 generation();
    // Starts telling changed() as soon as the kernel marks a change, without waiting for
    // the next text(); called from the thread with the event loop that is to be told.
    void notifyChanges();

signals:
    void changed();

private:
    MountTable();
    ~MountTable() override;
    // Reads the table again when the kernel has marked a change or it was never read;
    // true when it did. The lock is held.
    bool refreshLocked();

    QMutex m_lock;
    int m_fd = -1;
    bool m_read = false;
    QByteArray m_text;
    quint64 m_generation = 0;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
