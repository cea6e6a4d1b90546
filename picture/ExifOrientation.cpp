#include "picture/ExifOrientation.h"

#include <QTransform>
#include <cstring>

namespace picture {
namespace {

class TiffReader {
public:
    TiffReader(const unsigned char *data, std::size_t length, bool bigEndian)
        : m_data(data), m_length(length), m_bigEndian(bigEndian) {}

    bool has(std::size_t offset, std::size_t count) const { return offset <= m_length && count <= m_length - offset; }
    unsigned u16(std::size_t offset) const
    {
        const unsigned a = m_data[offset], b = m_data[offset + 1];
        return m_bigEndian ? (a << 8 | b) : (b << 8 | a);
    }
    std::size_t u32(std::size_t offset) const
    {
        const std::size_t high = u16(offset), low = u16(offset + 2);
        return m_bigEndian ? (high << 16 | low) : (low << 16 | high);
    }

private:
    const unsigned char *m_data;
    std::size_t m_length;
    bool m_bigEndian;
};

constexpr unsigned orientationTag = 0x0112;
constexpr unsigned typeShort = 3;
constexpr std::size_t entrySize = 12;

} // namespace

int exifOrientation(const unsigned char *segment, std::size_t length)
{
    constexpr char signature[] = "Exif\0";
    constexpr std::size_t signatureLength = 6;
    if (length < signatureLength + 8 || std::memcmp(segment, signature, signatureLength) != 0)
        return 1;
    const unsigned char *tiff = segment + signatureLength;
    const std::size_t tiffLength = length - signatureLength;
    bool bigEndian;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        bigEndian = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else
        return 1;
    const TiffReader reader(tiff, tiffLength, bigEndian);
    if (reader.u16(2) != 42)
        return 1;
    const std::size_t directory = reader.u32(4);
    if (!reader.has(directory, 2))
        return 1;
    const unsigned entries = reader.u16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + i * entrySize;
        if (!reader.has(entry, entrySize))
            return 1;
        if (reader.u16(entry) != orientationTag)
            continue;
        if (reader.u16(entry + 2) != typeShort)
            return 1;
        const unsigned value = reader.u16(entry + 8);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

bool orientationSwapsAxes(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

QImage orientedUpright(const QImage &stored, int orientation)
{
    const auto rotated = [&](int degrees) { return stored.transformed(QTransform().rotate(degrees)); };
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.mirrored(true, true);
    case 4: return stored.mirrored(false, true);
    case 5: return rotated(90).mirrored(true, false);
    case 6: return rotated(90);
    case 7: return rotated(90).mirrored(false, true);
    case 8: return rotated(270);
    default: return stored;
    }
}

} // namespace picture
