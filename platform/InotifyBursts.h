#pragma once
// An inotify instance whose events are taken in bursts: the first event that counts
// begins a burst; from then on the events are read once per interval instead of one by
// one (100 ms, then 250 ms while the burst goes on), and the burst ends when an
// interval passes without one, or once it has lasted a second (a folder that never
// settles ends a burst a second). A folder changing all the time thus wakes the
// program a few times a second.

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

class QSocketNotifier;
struct inotify_event;

namespace platform {

class InotifyBursts : public QObject {
    Q_OBJECT
public:
    // `take` sees every event read (on this object's thread) and tells whether it
    // counts for the burst.
    explicit InotifyBursts(std::function<bool(const ::inotify_event &)> take, QObject *parent = nullptr);
    ~InotifyBursts() override;

    bool isOpen() const { return m_fd >= 0; }
    // The watch descriptor, or -1 when the folder cannot be watched.
    int addWatch(const QByteArray &nativePath, quint32 events);
    void removeWatch(int watch);
    // Drops the burst in progress, if any: it ends unreported.
    void forget();

signals:
    void burstEnded();

private:
    void readEvents();
    void readable();
    void intervalEnded();

    std::function<bool(const ::inotify_event &)> m_take;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_interval;
    QElapsedTimer m_age;
    bool m_eventsSinceCheck = false;
    bool m_checking = false;
};

} // namespace platform
