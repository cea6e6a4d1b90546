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
constexpr std::uint32_t biRle8 = 1;
constexpr std::uint32_t biRle4 = 2;
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

// The bytes of the pixel rows of an uncompressed bitmap.
qint64 storedRowBytes(const DibHeader &header)
{
    return (header.width * header.bitCount + 31) / 32 * 4;
}

// Whether an uncompressed bitmap holds fewer bytes than its rows need: Qt would leave
// the rows it cannot read as the heap held them.
bool lacksRows(const DibHeader &header, std::size_t bitsLength)
{
    const qint64 row = storedRowBytes(header);
    return (header.compression == 0 || header.compression == biBitfields) && row > 0
        && std::llabs(header.height) > qint64(bitsLength) / row;
}

// An RLE4 or RLE8 bitmap (`header` holding its colour table) as an indexed image of 256
// colours (those the table lacks black). What the runs do not paint is colour 0; runs
// past the end of a row or of the bitmap are cut. Null when the header does not fit
// the compression.
QImage expandedRle(const unsigned char *header, std::size_t headerLength, const DibHeader &parsed,
                   const unsigned char *bits, std::size_t bitsLength)
{
    const bool rle8 = parsed.compression == biRle8;
    if (parsed.headerSize < infoHeaderSize || parsed.bitCount != (rle8 ? 8u : 4u) || parsed.height <= 0)
        return QImage();
    const qint64 width = parsed.width, height = parsed.height;
    QImage image(int(width), int(height), QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    image.fill(0);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    const std::size_t present = std::min<std::size_t>((headerLength - parsed.headerSize) / 4, std::size_t(1) << parsed.bitCount);
    for (std::size_t i = 0; i < present; ++i) {
        const unsigned char *entry = header + parsed.headerSize + i * 4;
        table[qsizetype(i)] = qRgb(entry[2], entry[1], entry[0]);
    }
    image.setColorTable(table);

    // Rows are counted from the bottom, as they are stored.
    qint64 x = 0, y = 0;
    const auto put = [&](unsigned index) {
        if (x < width && y < height)
            image.scanLine(int(height - 1 - y))[x] = static_cast<uchar>(index);
        ++x;
    };
    std::size_t i = 0;
    while (i + 1 < bitsLength && y < height) {
        const unsigned count = bits[i], value = bits[i + 1];
        i += 2;
        if (count > 0) {
            const qint64 shown = std::min<qint64>(count, std::max<qint64>(0, width - x));
            for (qint64 k = 0; k < shown; ++k)
                put(rle8 ? value : k % 2 ? value & 0x0F : value >> 4);
            x += count - shown;
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (i + 1 >= bitsLength)
                break;
            x += bits[i];
            y += bits[i + 1];
            i += 2;
        } else {
            const std::size_t bytes = rle8 ? value : (value + 1) / 2;
            if (i + bytes > bitsLength)
                break;
            for (unsigned k = 0; k < value; ++k)
                put(rle8 ? bits[i + k] : k % 2 ? bits[i + k / 2] & 0x0F : bits[i + k / 2] >> 4);
            i += (bytes + 1) / 2 * 2;
        }
    }
    return image;
}

} // namespace

void fillColourTable(QImage &image)
{
    const int needed = image.format() == QImage::Format_Indexed8 ? 256
                     : image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB ? 2 : 0;
    if (image.colorCount() >= needed)
        return;
    QList<QRgb> table = image.colorTable();
    table.resize(needed, qRgb(0, 0, 0));
    image.setColorTable(table);
}

qint64 dibPixelCount(const unsigned char *header, std::size_t headerLength, std::size_t bitsLength)
{
    DibHeader parsed;
    if (!readHeader(header, headerLength, parsed) || parsed.width <= 0 || parsed.height == 0 || lacksRows(parsed, bitsLength))
        return 0;
    return parsed.width * std::llabs(parsed.height);
}

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
    if (parsed.compression == biRle8 || parsed.compression == biRle4)
        return expandedRle(header, headerLength, parsed, bits, bitsLength);
    if (lacksRows(parsed, bitsLength))
        return QImage();
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
    QImage image = reader.read();
    fillColourTable(image);
    return image;
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
