#include "picture/ObjectSlots.h"

#include <algorithm>

namespace picture {

void ObjectSlots::resize(std::size_t count)
{
    count = std::min(count, maxSlots);
    const std::size_t old = m_size;
    m_size = count;
    m_free.resize((count + 63) / 64, 0);
    m_summary.resize((m_free.size() + 63) / 64, 0);
    for (std::size_t index = old; index < count; ++index)
        setFree(index, true);
    for (std::size_t index = count; index < m_free.size() * 64; ++index)
        setFree(index, false);
}

void ObjectSlots::take(std::size_t index)
{
    if (index < m_size)
        setFree(index, false);
}

void ObjectSlots::release(std::size_t index)
{
    if (index < m_size)
        setFree(index, true);
}

std::size_t ObjectSlots::lowestFree() const
{
    for (std::size_t s = 0; s < m_summary.size(); ++s) {
        if (m_summary[s] == 0)
            continue;
        const std::size_t word = s * 64 + std::size_t(std::countr_zero(m_summary[s]));
        return word * 64 + std::size_t(std::countr_zero(m_free[word]));
    }
    return m_size;
}

void ObjectSlots::setFree(std::size_t index, bool free)
{
    std::uint64_t &word = m_free[index / 64];
    const std::uint64_t bit = std::uint64_t(1) << (index % 64);
    word = free ? word | bit : word & ~bit;
    std::uint64_t &summary = m_summary[index / 64 / 64];
    const std::uint64_t summaryBit = std::uint64_t(1) << (index / 64 % 64);
    summary = word ? summary | summaryBit : summary & ~summaryBit;
}

} // namespace picture
