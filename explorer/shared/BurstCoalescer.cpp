#include "explorer/shared/BurstCoalescer.h"

BurstCoalescer::BurstCoalescer(QObject *context, std::function<void()> action)
    : m_context(context)
    , m_action(std::move(action))
{
}

void BurstCoalescer::request()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(m_context, [this] {
        m_pending = false;
        m_action();
    }, Qt::QueuedConnection);
}
