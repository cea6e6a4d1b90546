#include "picture/DibImage.h"

#include "picture/PictureLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace picture {
namespace {

constexpr std::size_t coreHeaderSize = 12;   // BITMAPCOREHEADER
constexpr std::size_t infoHeaderSize = 40;   // BITMAPINFOHEADER and its successors
constexpr std::uint32_t biBitfields = 3;
constexpr std::size_t fileHeaderSize = 14;

std::uint32_t u32At(const unsigned char *p) { std::uint32_t v; std::memcpy(&v, p, 4); return v; }
std::int32_t i32At(const unsigned char *p) { std::int32_t v; std::memcpy(&v, p, 4); return v; }
std::uint16_t u16At(const unsigned char *p) { std::uint16_t v; std::memcpy(&v, p, 2); return v; }
std::int16_t i16At(const unsigned char *p) { std::int16_t v; std::memcpy(&v, p, 2); return v; }

struct DibHeader {
    std::size_t headerSize = 0;
    qint64 width = 0;
    qint64 height = 0;   // negative: top-down rows
    unsigned bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
};

bool readHeader(const unsigned char *dib, std::size_t length, DibHeader &header)
{
    if (length < 4)
        return false;
    header.headerSize = u32At(dib);
    if (header.headerSize == coreHeaderSize && length >= coreHeaderSize) {
        header.width = u16At(dib + 4);
        header.height = i16At(dib + 6);
        header.bitCount = u16At(dib + 10);
        return true;
    }
    if (header.headerSize < infoHeaderSize || header.headerSize > length)
        return false;
    header.width = i32At(dib + 4);
    header.height = i32At(dib + 8);
    header.bitCount = u16At(dib + 14);
    header.compression = u32At(dib + 16);
    header.coloursUsed = u32At(dib + 32);
    return true;
}

// The colours of the default palette: the twenty that are always there, at both ends.
QRgb defaultPaletteColour(unsigned index)
{
    static constexpr QRgb low[10] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                     0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0};
    static constexpr QRgb high[10] = {0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                      0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    if (index < 10)
        return low[index];
    if (index >= 246 && index < 256)
        return high[index - 246];
    return 0;
}

// For a bitmap that takes its colours from a palette, its header followed by a colour
// table of those colours; empty when the bitmap has colours of its own.
QByteArray withPaletteColours(const unsigned char *header, std::size_t headerLength, const DibHeader &parsed,
                              const QList<QRgb> &palette, bool paletteIndices)
{
    if (parsed.headerSize < infoHeaderSize || parsed.bitCount == 0 || parsed.bitCount > 8 || parsed.compression == biBitfields)
        return QByteArray();
    const std::size_t entries = parsed.coloursUsed != 0 && parsed.coloursUsed <= 256 ? parsed.coloursUsed
                                                                                     : std::size_t(1) << parsed.bitCount;
    const bool tableMissing = headerLength < parsed.headerSize + entries * 4;
    if (!paletteIndices && !tableMissing)
        return QByteArray();
    const auto colourAt = [&](std::size_t index) -> QRgb {
        if (palette.isEmpty())
            return defaultPaletteColour(unsigned(index));
        return index < std::size_t(palette.size()) ? palette[qsizetype(index)] : palette.last();
    };
    QByteArray result(qsizetype(parsed.headerSize + entries * 4), '\0');
    auto *out = reinterpret_cast<unsigned char *>(result.data());
    std::memcpy(out, header, parsed.headerSize);
    const std::uint32_t used = std::uint32_t(entries);
    std::memcpy(out + 32, &used, 4);
    for (std::size_t i = 0; i < entries; ++i) {
        std::size_t index = i;
        if (paletteIndices && parsed.headerSize + i * 2 + 2 <= headerLength)
            index = u16At(header + parsed.headerSize + i * 2);
        const QRgb colour = colourAt(index);
        unsigned char *entry = out + parsed.headerSize + i * 4;
        entry[0] = qBlue(colour);
        entry[1] = qGreen(colour);
        entry[2] = qRed(colour);
    }
    return result;
}

} // namespace

std::size_t dibHeaderLength(const unsigned char *dib, std::size_t length, bool paletteIndices)
{
    DibHeader header;
    if (!readHeader(dib, length, header))
        return 0;
    const std::size_t entrySize = paletteIndices ? 2 : header.headerSize == coreHeaderSize ? 3 : 4;
    std::size_t colours = header.coloursUsed;
    if (colours == 0 && header.bitCount <= 8)
        colours = std::size_t(1) << header.bitCount;
    if (colours > 256)
        colours = 256;
    std::size_t masks = 0;
    if (header.headerSize == infoHeaderSize && header.compression == biBitfields)
        masks = 12;
    const std::size_t total = header.headerSize + masks + colours * entrySize;
    return total <= length ? total : 0;
}

bool dibIsBottomUp(const unsigned char *header, std::size_t headerLength)
{
    DibHeader parsed;
    return readHeader(header, headerLength, parsed) && parsed.height > 0;
}

QImage dibToImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits, std::size_t bitsLength,
                  const QList<QRgb> &palette, bool paletteIndices)
{
    DibHeader parsed;
    if (!readHeader(header, headerLength, parsed) || parsed.width <= 0 || parsed.height == 0)
        return QImage();
    if (parsed.width * std::llabs(parsed.height) > maxDecodedPixels)
        return QImage();
    const QByteArray coloured = withPaletteColours(header, headerLength, parsed, palette, paletteIndices);
    if (!coloured.isEmpty()) {
        header = reinterpret_cast<const unsigned char *>(coloured.constData());
        headerLength = std::size_t(coloured.size());
    }
    // Qt reads bitmaps as files: put a file header before the bitmap.
    const std::size_t bitsOffset = fileHeaderSize + headerLength;
    QByteArray file(qsizetype(bitsOffset + bitsLength), '\0');
    auto *out = reinterpret_cast<unsigned char *>(file.data());
    const std::uint32_t fileSize = std::uint32_t(file.size());
    const std::uint32_t offset = std::uint32_t(bitsOffset);
    out[0] = 'B';
    out[1] = 'M';
    std::memcpy(out + 2, &fileSize, 4);
    std::memcpy(out + 10, &offset, 4);
    std::memcpy(out + fileHeaderSize, header, headerLength);
    std::memcpy(out + bitsOffset, bits, bitsLength);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace picture

namespace picture {

QImage dibToPremultipliedImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits,
                               std::size_t bitsLength)
{
    DibHeader parsed;
    if (!readHeader(header, headerLength, parsed) || parsed.width <= 0 || parsed.height == 0)
        return QImage();
    if (parsed.bitCount != 32 || (parsed.compression != 0 && parsed.compression != biBitfields))
        return dibToImage(header, headerLength, bits, bitsLength);
    const qint64 height = std::llabs(parsed.height);
    if (parsed.width * height > maxDecodedPixels || std::size_t(parsed.width * height * 4) > bitsLength)
        return QImage();
    QImage image(int(parsed.width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const std::size_t rowBytes = std::size_t(parsed.width) * 4;
    for (int y = 0; y < image.height(); ++y) {
        const qint64 stored = parsed.height > 0 ? height - 1 - y : y;
        std::memcpy(image.scanLine(y), bits + std::size_t(stored) * rowBytes, rowBytes);
        // Colours above their alpha cannot be premultiplied: clamp them.
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int alpha = qAlpha(line[x]);
            line[x] = qRgba(std::min(qRed(line[x]), alpha), std::min(qGreen(line[x]), alpha),
                            std::min(qBlue(line[x]), alpha), alpha);
        }
    }
    return image;
}

QRectF dibSourceRect(QRectF source, int imageHeight, bool bottomUp, SourceRows rows)
{
    if (bottomUp && rows == SourceRows::FromDibOrigin)
        source.moveTop(imageHeight - source.top() - source.height());
    return source;
}

} // namespace picture
