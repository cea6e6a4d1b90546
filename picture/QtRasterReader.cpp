#include "picture/QtRasterReader.h"

#include "picture/DibImage.h"
#include "picture/FileBytes.h"
#include "picture/PictureError.h"
#include "picture/PictureLimits.h"
#include "picture/RenderBudget.h"

#include <QBuffer>
#include <QImageReader>
#include <cstring>

namespace picture {
namespace {

constexpr std::size_t bmpFileHeaderSize = 14;
constexpr std::size_t iconDirectorySize = 6;
constexpr std::size_t iconEntrySize = 16;
constexpr std::size_t pngSizeEnd = 24; // signature, IHDR length and type, width, height
// The decoded image and the copy that shrinking it makes, at four bytes a pixel.
constexpr std::int64_t bytesPerDecodedPixel = 8;

std::uint32_t u32At(const unsigned char *p) { std::uint32_t v; std::memcpy(&v, p, 4); return v; }
std::uint16_t u16At(const unsigned char *p) { std::uint16_t v; std::memcpy(&v, p, 2); return v; }
std::uint32_t bigEndian32At(const unsigned char *p) { return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

PictureError failure(const QString &fileName, const QByteArray &format, const QString &why)
{
    return PictureError::forFile(fileName, QStringLiteral("non è un'immagine %1 leggibile (%2).")
                                               .arg(QString::fromLatin1(format.toUpper()), why));
}

void requireDecodable(const QString &fileName, qint64 width, qint64 height, const RenderBudget &budget)
{
    if (width * height > maxDecodedPixels)
        throw PictureError::forFile(fileName, QStringLiteral("l'immagine è troppo grande (%1 x %2 pixel; se ne mostrano al massimo %3 megapixel).")
                                                  .arg(width).arg(height).arg(maxDecodedPixels / 1'000'000));
    budget.check();
    budget.requireMemory(width * height * bytesPerDecodedPixel);
}

Picture readBmp(const QString &fileName, const unsigned char *data, std::size_t size, const RenderBudget &budget)
{
    if (size < bmpFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M')
        throw failure(fileName, "bmp", QStringLiteral("manca l'intestazione"));
    const unsigned char *dib = data + bmpFileHeaderSize;
    const std::size_t length = size - bmpFileHeaderSize;
    const std::size_t headerLength = dibHeaderLength(dib, length);
    if (headerLength == 0)
        throw failure(fileName, "bmp", QStringLiteral("intestazione danneggiata"));
    const std::size_t offset = u32At(data + 10);
    const std::size_t bitsAt = offset >= bmpFileHeaderSize + headerLength && offset <= size ? offset - bmpFileHeaderSize
                                                                                           : headerLength;
    const qint64 width = std::abs(qint64(std::int32_t(u32At(dib + 4))));
    const qint64 height = std::abs(qint64(u32At(dib) == 12 ? std::int16_t(u16At(dib + 6)) : std::int32_t(u32At(dib + 8))));
    // Too large is said first: its bytes could not be there anyway.
    if (dibPixelCount(dib, headerLength, length - bitsAt) == 0 && width * height <= maxDecodedPixels)
        throw failure(fileName, "bmp", QStringLiteral("i pixel mancano o sono danneggiati"));
    requireDecodable(fileName, width, height, budget);
    QImage image = dibToImage(dib, headerLength, dib + bitsAt, length - bitsAt);
    if (image.isNull())
        throw failure(fileName, "bmp", QStringLiteral("i pixel mancano o sono danneggiati"));
    budget.check();
    return Picture{image, image.size(), false};
}

struct IconEntry {
    std::size_t offset = 0;
    std::size_t length = 0;
    qint64 width = 0;
    qint64 height = 0;
    unsigned bitCount = 0;
    const unsigned char *directoryEntry = nullptr;
};

// Whether the bitmap of an icon entry holds the rows its header claims (its colours
// and then its mask, each as high as half the header's height), and the entry's size
// set to the bitmap's own: Qt's reader allocates by the header and leaves what it
// cannot read as the heap held it.
bool bitmapEntryFits(const unsigned char *image, IconEntry &entry)
{
    if (entry.length < 40 || u32At(image) < 40 || u32At(image) > entry.length)
        return false;
    const qint64 width = std::abs(qint64(std::int32_t(u32At(image + 4))));
    const qint64 height = std::abs(qint64(std::int32_t(u32At(image + 8)))) / 2;
    const unsigned bitCount = u16At(image + 14);
    if (width == 0 || height == 0 || width * height > maxDecodedPixels || bitCount == 0 || bitCount > 32)
        return false;
    const qint64 colours = bitCount <= 8 ? (u32At(image + 32) != 0 && u32At(image + 32) <= 256 ? u32At(image + 32) : 1 << bitCount) : 0;
    const qint64 rows = (width * bitCount + 31) / 32 * 4 * height;
    const qint64 mask = (width + 31) / 32 * 4 * height;
    entry.width = width;
    entry.height = height;
    return qint64(u32At(image)) + colours * 4 + rows + mask <= qint64(entry.length);
}

// The entries of the icon's directory whose images lie within the file; the size of a
// PNG image is its own, not the directory's.
QList<IconEntry> iconEntries(const unsigned char *data, std::size_t size)
{
    QList<IconEntry> entries;
    if (size < iconDirectorySize || u16At(data) != 0 || (u16At(data + 2) != 1 && u16At(data + 2) != 2))
        return entries;
    const std::size_t count = u16At(data + 4);
    for (std::size_t i = 0; i < count && iconDirectorySize + (i + 1) * iconEntrySize <= size; ++i) {
        const unsigned char *entry = data + iconDirectorySize + i * iconEntrySize;
        IconEntry parsed;
        parsed.directoryEntry = entry;
        parsed.width = entry[0] == 0 ? 256 : entry[0];
        parsed.height = entry[1] == 0 ? 256 : entry[1];
        parsed.bitCount = u16At(entry + 6);
        parsed.length = u32At(entry + 8);
        parsed.offset = u32At(entry + 12);
        if (parsed.offset > size || parsed.length > size - parsed.offset || parsed.length < 4)
            continue;
        const unsigned char *image = data + parsed.offset;
        if (parsed.length >= pngSizeEnd && std::memcmp(image, "\x89PNG", 4) == 0) {
            // PNG sides are below 2^31: larger ones are damage, and kept there their product fits.
            parsed.width = std::min<qint64>(bigEndian32At(image + 16), 0x7FFFFFFF);
            parsed.height = std::min<qint64>(bigEndian32At(image + 20), 0x7FFFFFFF);
        } else if (!bitmapEntryFits(image, parsed)) {
            continue;
        }
        entries << parsed;
    }
    return entries;
}

Picture readIco(const QString &fileName, const unsigned char *data, std::size_t size, const RenderBudget &budget)
{
    const QList<IconEntry> entries = iconEntries(data, size);
    if (entries.isEmpty())
        throw failure(fileName, "ico", QStringLiteral("nessuna immagine nell'indice"));
    const IconEntry *shown = &entries.first();
    for (const IconEntry &entry : entries)
        if (entry.width * entry.height > shown->width * shown->height
            || (entry.width * entry.height == shown->width * shown->height && entry.bitCount > shown->bitCount))
            shown = &entry;
    requireDecodable(fileName, shown->width, shown->height, budget);

    // An icon of that image alone, so that Qt decodes no other.
    QByteArray single(qsizetype(iconDirectorySize + iconEntrySize), '\0');
    auto *out = reinterpret_cast<unsigned char *>(single.data());
    std::memcpy(out, data, 4);
    out[4] = 1;
    std::memcpy(out + iconDirectorySize, shown->directoryEntry, iconEntrySize);
    const std::uint32_t offset = iconDirectorySize + iconEntrySize;
    std::memcpy(out + iconDirectorySize + 12, &offset, 4);
    single.append(reinterpret_cast<const char *>(data + shown->offset), qsizetype(shown->length));

    QBuffer buffer(&single);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    const QSize claimed = reader.size();
    if (claimed.isValid())
        requireDecodable(fileName, claimed.width(), claimed.height(), budget);
    QImage image;
    if (!reader.read(&image))
        throw failure(fileName, "ico", reader.errorString());
    fillColourTable(image);
    budget.check();
    return Picture{image, image.size(), false};
}

} // namespace

Picture readWithQt(const QString &fileName, const FileBytes &bytes, const QByteArray &format, const RenderBudget &budget)
{
    if (format == "bmp")
        return readBmp(fileName, bytes.data(), std::size_t(bytes.size()), budget);
    return readIco(fileName, bytes.data(), std::size_t(bytes.size()), budget);
}

} // namespace picture
