#pragma once
// Little-endian fields of one metafile record, every read checked against the record's end.

#include "picture/MetafileDamage.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <bit>
#include <cstring>

namespace picture {

static_assert(std::endian::native == std::endian::little, "metafile fields are read as little-endian");

class RecordReader {
public:
    RecordReader(const unsigned char *record, std::size_t length, std::size_t fileOffset)
        : m_data(record), m_length(length), m_fileOffset(fileOffset) {}

    std::size_t length() const { return m_length; }
    std::size_t position() const { return m_position; }
    std::size_t remaining() const { return m_length - m_position; }
    void seek(std::size_t position) { require(position, 0); m_position = position; }
    void skip(std::size_t count) { require(m_position, count); m_position += count; }

    std::uint8_t u8() { return take<std::uint8_t>(); }
    std::uint16_t u16() { return take<std::uint16_t>(); }
    std::int16_t i16() { return take<std::int16_t>(); }
    std::uint32_t u32() { return take<std::uint32_t>(); }
    std::int32_t i32() { return take<std::int32_t>(); }
    float f32() { return take<float>(); }

    // A run of `count` items of `itemSize` bytes starting at `position`, checked to lie
    // inside the record; returns its first byte.
    const unsigned char *span(std::size_t position, std::size_t count, std::size_t itemSize = 1) const
    {
        if (itemSize != 0 && count > m_length / itemSize)
            fail();
        require(position, count * itemSize);
        return m_data + position;
    }
    // The same, at the current position, which moves past it.
    const unsigned char *take(std::size_t count, std::size_t itemSize = 1)
    {
        const unsigned char *start = span(m_position, count, itemSize);
        m_position += count * itemSize;
        return start;
    }

    [[noreturn]] void fail() const
    {
        throw MetafileDamage(QStringLiteral("un record al byte %1 va oltre la propria fine.").arg(m_fileOffset));
    }

private:
    template <typename T>
    T take()
    {
        T value;
        std::memcpy(&value, take(sizeof(T)), sizeof(T));
        return value;
    }
    void require(std::size_t position, std::size_t count) const
    {
        if (position > m_length || count > m_length - position)
            fail();
    }

    const unsigned char *m_data;
    std::size_t m_length;
    std::size_t m_fileOffset;
    std::size_t m_position = 0;
};

} // namespace picture
