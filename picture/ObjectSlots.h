#pragma once
// Which slots of a metafile's object table are taken, and the lowest free one, found
// in a few word operations whatever the table's size (up to 65,536 slots).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace picture {

class ObjectSlots {
public:
    static constexpr std::size_t maxSlots = 65536;

    void resize(std::size_t count);
    std::size_t size() const { return m_size; }
    bool isTaken(std::size_t index) const { return index < m_size && !(m_free[index / 64] >> (index % 64) & 1); }
    void take(std::size_t index);
    void release(std::size_t index);
    // The lowest free slot, or size() when every slot is taken.
    std::size_t lowestFree() const;

private:
    void setFree(std::size_t index, bool free);

    std::size_t m_size = 0;
    std::vector<std::uint64_t> m_free;    // a bit a slot, set while free
    std::vector<std::uint64_t> m_summary; // a bit a word of m_free, set while it has a free slot
};

} // namespace picture
