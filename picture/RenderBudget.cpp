#include "picture/RenderBudget.h"

#include <QLocale>

namespace picture {

RenderBudget::RenderBudget(int milliseconds, std::int64_t bytes, std::function<bool()> stillWanted)
    : m_milliseconds(milliseconds)
    , m_bytes(bytes)
    , m_stillWanted(std::move(stillWanted))
{
    m_started.start();
}

void RenderBudget::check() const
{
    if (m_stillWanted && !m_stillWanted())
        throw Cancelled();
    if (m_started.hasExpired(m_milliseconds))
        throw Exceeded{QStringLiteral("disegnarla richiede più di %1 secondi.")
                           .arg(QLocale(QLocale::Italian).toString(m_milliseconds / 1000.0))};
}

void RenderBudget::requireMemory(std::int64_t bytes) const
{
    if (bytes > m_bytes)
        throw Exceeded{QStringLiteral("disegnarla richiede più di %1 MiB di memoria.").arg(m_bytes >> 20)};
}

} // namespace picture
