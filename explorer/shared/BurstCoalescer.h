#pragma once
// Runs an action once for a burst of requests: the first request queues it on the
// context object's thread, the ones that come before it runs are absorbed. Nothing runs
// once the context object is gone.

#include <QObject>
#include <functional>

class BurstCoalescer {
public:
    BurstCoalescer(QObject *context, std::function<void()> action);

    void request();

private:
    QObject *m_context;
    std::function<void()> m_action;
    bool m_pending = false;
};
