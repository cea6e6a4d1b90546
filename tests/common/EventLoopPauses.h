#pragma once
// The longest pause of the event loop while it lives, seen by a timer ticking every 20 ms.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

class EventLoopPauses {
public:
    EventLoopPauses()
    {
        m_sinceTick.start();
        QObject::connect(&m_ticker, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
        m_ticker.start(20);
    }
    qint64 longestMs() const { return m_longest; }
    // Forgets the pauses seen so far.
    void restart()
    {
        m_longest = 0;
        m_sinceTick.restart();
    }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};
