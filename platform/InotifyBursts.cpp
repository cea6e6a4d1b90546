#include "platform/InotifyBursts.h"

#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {
// A burst ends after this much quiet; one that goes on is looked at less often.
constexpr int quietMilliseconds = 100;
constexpr int ongoingQuietMilliseconds = 250;
constexpr int longestBurstMilliseconds = 1000;
} // namespace

InotifyBursts::InotifyBursts(std::function<bool(const ::inotify_event &)> take, QObject *parent)
    : QObject(parent)
    , m_take(std::move(take))
{
    m_interval.setSingleShot(true);
    connect(&m_interval, &QTimer::timeout, this, &InotifyBursts::intervalEnded);
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &InotifyBursts::readable);
    }
}

InotifyBursts::~InotifyBursts()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

int InotifyBursts::addWatch(const QByteArray &nativePath, quint32 events)
{
    return m_fd < 0 ? -1 : ::inotify_add_watch(m_fd, nativePath.constData(), events);
}

void InotifyBursts::removeWatch(int watch)
{
    if (m_fd >= 0 && watch >= 0)
        ::inotify_rm_watch(m_fd, watch);
}

void InotifyBursts::forget()
{
    m_interval.stop();
    if (m_notifier)
        m_notifier->setEnabled(true);
}

void InotifyBursts::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    bool took = false;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            took = m_take(*event) || took;
        }
    }
    if (!took)
        return;
    m_eventsSinceCheck = true;
    if (!m_interval.isActive() && !m_checking) {
        m_age.start();
        m_interval.start(quietMilliseconds);
    }
}

void InotifyBursts::readable()
{
    readEvents();
    // The rest of the burst is read when the interval ends.
    if (m_interval.isActive())
        m_notifier->setEnabled(false);
}

void InotifyBursts::intervalEnded()
{
    m_eventsSinceCheck = false;
    m_checking = true;
    readEvents();
    m_checking = false;
    if (m_eventsSinceCheck && m_age.elapsed() < longestBurstMilliseconds) {
        m_interval.start(int(qMin<qint64>(ongoingQuietMilliseconds, longestBurstMilliseconds - m_age.elapsed())));
        return;
    }
    m_notifier->setEnabled(true);
    emit burstEnded();
}

} // namespace platform
