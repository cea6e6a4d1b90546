#include "picture/DibImage.h"

#include "picture/PictureLimits.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
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

} // namespace

std::size_t dibHeaderLength(const unsigned char *dib, std::size_t length)
{
    DibHeader header;
    if (!readHeader(dib, length, header))
        return 0;
    const std::size_t entrySize = header.headerSize == coreHeaderSize ? 3 : 4;
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

QImage dibToImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits, std::size_t bitsLength)
{
    DibHeader parsed;
    if (!readHeader(header, headerLength, parsed) || parsed.width <= 0 || parsed.height == 0)
        return QImage();
    if (parsed.width * std::llabs(parsed.height) > maxDecodedPixels)
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
    return reader.read();
}

} // namespace picture
