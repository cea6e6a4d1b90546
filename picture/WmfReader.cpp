#include "picture/WmfReader.h"

#include "picture/DibImage.h"
#include "picture/GdiPlayer.h"
#include "picture/PictureLimits.h"
#include "picture/RecordReader.h"

#include <QList>
#include <cstring>
#include <functional>

namespace picture {
namespace {

constexpr std::uint32_t placeableKey = 0x9AC6CDD7;
constexpr std::size_t placeableSize = 22;
constexpr std::size_t headerSize = 18;
constexpr std::size_t recordHeaderSize = 6;
constexpr unsigned etoOpaque = 2, etoClipped = 4;

namespace fn {
enum : std::uint16_t {
    eof = 0x0000, setBkColor = 0x0201, setBkMode = 0x0102, setPolyFillMode = 0x0106, setTextColor = 0x0209,
    setTextAlign = 0x012E, setWindowOrg = 0x020B, setWindowExt = 0x020C, setViewportOrg = 0x020D,
    setViewportExt = 0x020E, offsetWindowOrg = 0x020F, offsetViewportOrg = 0x0211, scaleWindowExt = 0x0410,
    scaleViewportExt = 0x0412, lineTo = 0x0213, moveTo = 0x0214, excludeClipRect = 0x0415,
    intersectClipRect = 0x0416, offsetClipRgn = 0x0220, arc = 0x0817, chord = 0x0830, pie = 0x081A,
    ellipse = 0x0418, rectangle = 0x041B, roundRect = 0x061C, patBlt = 0x061D, saveDC = 0x001E,
    restoreDC = 0x0127, setPixel = 0x041F, textOut = 0x0521, extTextOut = 0x0A32, polygon = 0x0324,
    polyline = 0x0325, polyPolygon = 0x0538, selectObject = 0x012D, deleteObject = 0x01F0,
    createPenIndirect = 0x02FA, createBrushIndirect = 0x02FC, createFontIndirect = 0x02FB,
    createPalette = 0x00F7, createPatternBrush = 0x01F9, createRegion = 0x06FF,
    dibCreatePatternBrush = 0x0142, dibBitBlt = 0x0940, dibStretchBlt = 0x0B41, stretchDib = 0x0F43,
    setDibToDev = 0x0D33, setRop2 = 0x0104, selectPalette = 0x0234, bitBlt = 0x0922, stretchBlt = 0x0B23,
};
}

struct Record {
    std::uint16_t function;
    RecordReader fields;
};

// Calls `visit` for each record up to the end-of-file record.
void forEachRecord(const unsigned char *data, std::size_t length, std::size_t offset,
                   const std::function<void(Record &)> &visit)
{
    while (offset < length) {
        RecordReader head(data + offset, length - offset, offset);
        const std::size_t size = std::size_t(head.u32()) * 2;
        const std::uint16_t function = head.u16();
        if (size < recordHeaderSize || size > length - offset)
            head.fail();
        if (function == fn::eof)
            return;
        Record record{function, RecordReader(data + offset, size, offset)};
        record.fields.seek(recordHeaderSize);
        visit(record);
        offset += size;
    }
    throw MetafileDamage(QStringLiteral("il file finisce prima del suo ultimo record."));
}

QPointF point(RecordReader &r) // stored y first
{
    const double y = r.i16();
    return QPointF(r.i16(), y);
}

QRectF rect(RecordReader &r) // stored bottom, right, top, left
{
    const double bottom = r.i16(), right = r.i16(), top = r.i16(), left = r.i16();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// Points are held several times over while drawn (as read, mapped, cut to the output).
constexpr std::int64_t bytesPerPoint = 4 * sizeof(QPointF);

QPolygonF points(const GdiPlayer &player, RecordReader &r, std::size_t count)
{
    r.span(r.position(), count, 4);
    player.requireMemory(std::int64_t(count) * bytesPerPoint);
    QPolygonF result;
    result.reserve(qsizetype(count));
    for (std::size_t i = 0; i < count; ++i) {
        const double x = r.i16();
        result << QPointF(x, r.i16());
    }
    return result;
}

constexpr std::uint16_t dibPaletteColours = 1;

QByteArray byteText(RecordReader &r, std::size_t length)
{
    const auto *bytes = reinterpret_cast<const char *>(r.take(length));
    if (length % 2)
        r.skip(1);
    return QByteArray(bytes, qsizetype(length));
}

QImage packedDib(const GdiPlayer &player, RecordReader &r, std::uint16_t usage)
{
    const std::size_t remaining = r.remaining();
    const unsigned char *dib = r.take(remaining);
    const bool paletteIndices = usage == dibPaletteColours;
    const std::size_t header = dibHeaderLength(dib, remaining, paletteIndices);
    if (header == 0)
        return QImage();
    // The decoded bitmap and the copy of it that drawing makes, at four bytes a pixel.
    player.requireMemory(dibPixelCount(dib, header, remaining - header) * 8);
    return dibToImage(dib, header, dib + header, remaining - header, player.palette(), paletteIndices);
}

struct PackedBitmap {
    QImage image;
    bool bottomUp = false;
};

PackedBitmap packedBitmap(const GdiPlayer &player, RecordReader &r, std::uint16_t usage = 0)
{
    const unsigned char *dib = r.span(r.position(), r.remaining());
    const bool bottomUp = dibIsBottomUp(dib, r.remaining());
    return {packedDib(player, r, usage), bottomUp};
}

// A device-dependent bitmap of the old records; only the monochrome kind is device
// independent enough to show: its 0 bits take the text colour, its 1 bits the
// background colour.
PackedBitmap oldBitmap(const GdiPlayer &player, RecordReader &r)
{
    r.skip(2); // type
    const int width = r.i16(), height = r.i16(), widthBytes = r.i16();
    const unsigned planes = r.u8(), bitsPerPixel = r.u8();
    if (planes != 1 || bitsPerPixel != 1 || width <= 0 || height <= 0 || widthBytes < (width + 7) / 8
        || qint64(width) * height > maxDecodedPixels)
        return {};
    const unsigned char *bits = r.span(r.position(), std::size_t(height), std::size_t(widthBytes));
    QImage image(width, height, QImage::Format_Mono);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), bits + std::size_t(y) * std::size_t(widthBytes), std::size_t((width + 7) / 8));
    image.setColorTable({player.textColour().rgb(), player.backgroundColour().rgb()});
    return {image, false};
}

void drawBitmap(GdiPlayer &player, const QRectF &target, const PackedBitmap &bitmap, QRectF source, unsigned rop,
                SourceRows rows)
{
    if (bitmap.image.isNull())
        return;
    source = dibSourceRect(source, bitmap.image.height(), bitmap.bottomUp, rows);
    player.drawImage(target, bitmap.image, source, rop);
}

GdiFont font(RecordReader &r)
{
    GdiFont font;
    font.height = r.i16();
    r.skip(2); // width
    font.escapement = r.i16();
    r.skip(2); // orientation
    font.weight = r.i16();
    font.italic = r.u8();
    font.underline = r.u8();
    font.strikeOut = r.u8();
    font.charset = r.u8();
    r.skip(4); // precisions, quality, pitch and family
    const std::size_t faceLength = std::min<std::size_t>(r.remaining(), 32);
    const auto *face = reinterpret_cast<const char *>(r.take(faceLength));
    font.face = QString::fromLatin1(face, qsizetype(qstrnlen(face, uint(faceLength))));
    return font;
}

void blit(GdiPlayer &player, const Record &record, RecordReader &r)
{
    const bool withoutBitmap = record.fields.length() == std::size_t((record.function >> 8) + 3) * 2;
    const bool stretched = record.function == fn::dibStretchBlt || record.function == fn::stretchBlt;
    const unsigned rop = r.u32();
    double sourceHeight = 0, sourceWidth = 0;
    if (stretched) {
        sourceHeight = r.i16();
        sourceWidth = r.i16();
    }
    const double ySource = r.i16(), xSource = r.i16();
    if (withoutBitmap)
        r.skip(2);
    const double height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
    const QRectF target(x, y, width, height);
    if (withoutBitmap) {
        player.patternFill(target, rop);
        return;
    }
    if (!stretched) {
        sourceWidth = width;
        sourceHeight = height;
    }
    const bool old = record.function == fn::bitBlt || record.function == fn::stretchBlt;
    drawBitmap(player, target, old ? oldBitmap(player, r) : packedBitmap(player, r),
               QRectF(xSource, ySource, sourceWidth, sourceHeight), rop, SourceRows::FromTop);
}

void play(GdiPlayer &player, Record &record)
{
    RecordReader &r = record.fields;
    switch (record.function) {
    case fn::setBkColor: player.setBackgroundColour(colourFromRef(r.u32())); break;
    case fn::setBkMode: player.setBackgroundMode(r.u16()); break;
    case fn::setPolyFillMode: player.setPolyFillMode(r.u16()); break;
    case fn::setTextColor: player.setTextColour(colourFromRef(r.u32())); break;
    case fn::setTextAlign: player.setTextAlign(r.u16()); break;
    case fn::setWindowOrg: player.setWindowOrg(point(r)); break;
    case fn::setWindowExt: { const QPointF e = point(r); player.setWindowExt(QSizeF(e.x(), e.y())); break; }
    case fn::setViewportOrg: player.setViewportOrg(point(r)); break;
    case fn::setViewportExt: { const QPointF e = point(r); player.setViewportExt(QSizeF(e.x(), e.y())); break; }
    case fn::offsetWindowOrg: player.offsetWindowOrg(point(r)); break;
    case fn::offsetViewportOrg: player.offsetViewportOrg(point(r)); break;
    case fn::scaleWindowExt:
    case fn::scaleViewportExt: {
        const double yDenom = r.i16(), yNum = r.i16(), xDenom = r.i16(), xNum = r.i16();
        if (record.function == fn::scaleWindowExt)
            player.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        else
            player.scaleViewportExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case fn::lineTo: player.lineTo(point(r)); break;
    case fn::moveTo: player.moveTo(point(r)); break;
    case fn::excludeClipRect: player.excludeClipRect(rect(r)); break;
    case fn::intersectClipRect: player.intersectClipRect(rect(r)); break;
    case fn::offsetClipRgn: player.offsetClip(point(r)); break;
    case fn::arc:
    case fn::chord:
    case fn::pie: {
        const QPointF end = point(r), start = point(r);
        const ArcKind kind = record.function == fn::arc ? ArcKind::Arc : record.function == fn::chord ? ArcKind::Chord : ArcKind::Pie;
        player.arc(rect(r), start, end, kind);
        break;
    }
    case fn::ellipse: player.ellipse(rect(r)); break;
    case fn::rectangle: player.rectangle(rect(r)); break;
    case fn::roundRect: {
        const double height = r.i16(), width = r.i16();
        player.roundRectangle(rect(r), QSizeF(width, height));
        break;
    }
    case fn::patBlt: {
        const unsigned rop = r.u32();
        const double height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        player.patternFill(QRectF(x, y, width, height), rop);
        break;
    }
    case fn::saveDC: player.saveDC(); break;
    case fn::restoreDC: player.restoreDC(r.i16()); break;
    case fn::setPixel: { const QColor colour = colourFromRef(r.u32()); player.setPixel(point(r), colour); break; }
    case fn::textOut: {
        const std::size_t length = r.u16();
        const QByteArray text = byteText(r, length);
        player.textOut(point(r), text, {});
        break;
    }
    case fn::extTextOut: {
        const QPointF reference = point(r);
        const std::size_t length = r.u16();
        const unsigned options = r.u16();
        QRectF box;
        if (options & (etoOpaque | etoClipped)) {
            const double left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
            box = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
        }
        const QByteArray text = byteText(r, length);
        QList<double> advances;
        if (r.remaining() >= length * 2)
            for (std::size_t i = 0; i < length; ++i)
                advances << r.i16();
        player.textOut(reference, text, advances, options & etoOpaque ? box : QRectF(), options & etoClipped ? box : QRectF());
        break;
    }
    case fn::polygon:
    case fn::polyline: {
        const QPolygonF shape = points(player, r, r.u16());
        if (record.function == fn::polygon)
            player.polygon(shape);
        else
            player.polyline(shape);
        break;
    }
    case fn::polyPolygon: {
        const std::size_t count = r.u16();
        player.requireMemory(std::int64_t(r.remaining() / 4) * bytesPerPoint);
        r.span(r.position(), count, 2);
        QList<std::size_t> sizes;
        for (std::size_t i = 0; i < count; ++i)
            sizes << r.u16();
        QList<QPolygonF> polygons;
        for (std::size_t size : sizes)
            polygons << points(player, r, size);
        player.polyPolygon(polygons);
        break;
    }
    case fn::selectObject: player.selectObject(r.u16()); break;
    case fn::deleteObject: player.deleteObject(r.u16()); break;
    case fn::createPenIndirect: {
        GdiPen pen;
        pen.style = r.u16();
        pen.width = std::abs(double(r.i16()));
        r.skip(2);
        pen.colour = colourFromRef(r.u32());
        player.storeObjectInFreeSlot(pen);
        break;
    }
    case fn::createBrushIndirect: {
        GdiBrush brush;
        brush.style = r.u16();
        brush.colour = colourFromRef(r.u32());
        brush.hatch = r.u16();
        player.storeObjectInFreeSlot(brush);
        break;
    }
    case fn::createFontIndirect: player.storeObjectInFreeSlot(font(r)); break;
    case fn::dibCreatePatternBrush: {
        GdiBrush brush;
        brush.style = r.u16();
        const std::uint16_t usage = r.u16();
        // A pattern brush holds a monochrome bitmap that takes the text and background colours.
        brush.monochrome = brush.style == gdi::bsPattern;
        brush.pattern = packedDib(player, r, brush.monochrome ? 0 : usage);
        player.storeObjectInFreeSlot(brush);
        break;
    }
    case fn::createPalette: {
        r.skip(2); // start
        const std::size_t count = r.u16();
        r.span(r.position(), count, 4);
        GdiPalette palette;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char *entry = r.take(4);
            palette.colours << qRgb(entry[0], entry[1], entry[2]);
        }
        player.storeObjectInFreeSlot(palette);
        break;
    }
    case fn::selectPalette: player.selectPalette(r.u16()); break;
    case fn::setRop2: player.setRop2(r.u16()); break;
    case fn::createPatternBrush:
    case fn::createRegion: player.storeObjectInFreeSlot(GdiPlaceholder()); break;
    case fn::dibBitBlt:
    case fn::dibStretchBlt:
    case fn::bitBlt:
    case fn::stretchBlt: blit(player, record, r); break;
    case fn::stretchDib: {
        const unsigned rop = r.u32();
        const std::uint16_t usage = r.u16();
        const double sourceHeight = r.i16(), sourceWidth = r.i16(), ySource = r.i16(), xSource = r.i16();
        const double height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        drawBitmap(player, QRectF(x, y, width, height), packedBitmap(player, r, usage),
                   QRectF(xSource, ySource, sourceWidth, sourceHeight), rop, SourceRows::FromDibOrigin);
        break;
    }
    case fn::setDibToDev: {
        const std::uint16_t usage = r.u16();
        r.skip(4); // scan count, start scan
        const double yDib = r.i16(), xDib = r.i16(), height = r.i16(), width = r.i16(), y = r.i16(), x = r.i16();
        drawBitmap(player, QRectF(x, y, width, height), packedBitmap(player, r, usage), QRectF(xDib, yDib, width, height), gdi::srcCopy,
                   SourceRows::FromDibOrigin);
        break;
    }
    default: break; // records that do not draw, or seldom seen, are skipped
    }
}

} // namespace

bool looksLikeWmf(const unsigned char *data, std::size_t length)
{
    if (length < headerSize)
        return false;
    RecordReader r(data, length, 0);
    if (r.u32() == placeableKey)
        return true;
    r.seek(0);
    const std::uint16_t type = r.u16(), size = r.u16();
    return (type == 1 || type == 2) && size == 9;
}

WmfHeader readWmfHeader(const unsigned char *data, std::size_t length)
{
    WmfHeader header;
    RecordReader r(data, length, 0);
    if (r.u32() == placeableKey) {
        header.placeable = true;
        r.skip(2); // handle
        const double left = r.i16(), top = r.i16(), right = r.i16(), bottom = r.i16();
        header.bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
        header.unitsPerInch = r.u16();
        r.seek(placeableSize);
    } else {
        r.seek(0);
    }
    const std::size_t start = r.position();
    const std::uint16_t type = r.u16(), size = r.u16();
    if ((type != 1 && type != 2) || size != 9)
        throw MetafileDamage(QStringLiteral("non è un metafile di Windows."));
    r.seek(start + 10);
    header.objectCount = r.u16();
    header.recordsOffset = start + headerSize;

    QPointF origin;
    forEachRecord(data, length, header.recordsOffset, [&](Record &record) {
        if (!header.firstWindow.isNull())
            return;
        if (record.function == fn::setWindowOrg)
            origin = point(record.fields);
        else if (record.function == fn::setWindowExt) {
            const QPointF extent = point(record.fields);
            header.firstWindow = QRectF(origin, QSizeF(extent.x(), extent.y()));
        }
    });
    return header;
}

void playWmf(const unsigned char *data, std::size_t length, const WmfHeader &header, GdiPlayer &player)
{
    player.resizeObjectTable(header.objectCount);
    forEachRecord(data, length, header.recordsOffset, [&](Record &record) {
        player.checkBudget();
        play(player, record);
    });
}

} // namespace picture
