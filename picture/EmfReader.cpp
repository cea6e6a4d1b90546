#include "picture/EmfReader.h"

#include "picture/DibImage.h"
#include "picture/GdiPlayer.h"
#include "picture/RecordReader.h"

#include <QList>

namespace picture {
namespace {

constexpr std::uint32_t emfSignature = 0x464D4520; // " EMF"
constexpr std::size_t minimumHeaderSize = 88;
constexpr std::uint32_t stockObjectFlag = 0x80000000;
constexpr unsigned etoOpaque = 2, etoClipped = 4, etoGlyphIndex = 0x10, etoNoRect = 0x100, etoSmallChars = 0x200,
                   etoPdy = 0x2000;
constexpr unsigned psTypeMask = 0x000F0000;
constexpr std::uint32_t dibPaletteColours = 1;
constexpr std::uint32_t emfPlusIdentifier = 0x2B464D45; // "EMF+"
constexpr unsigned acSourceAlpha = 1;

namespace emr {
enum : std::uint32_t {
    header = 1, polyBezier = 2, polygon = 3, polyline = 4, polyBezierTo = 5, polylineTo = 6, polyPolyline = 7,
    polyPolygon = 8, setWindowExtEx = 9, setWindowOrgEx = 10, setViewportExtEx = 11, setViewportOrgEx = 12,
    eof = 14, setPixelV = 15, setMapMode = 17, setBkMode = 18, setPolyFillMode = 19, setTextAlign = 22,
    setRop2 = 20, setTextColor = 24, setBkColor = 25, offsetClipRgn = 26, moveToEx = 27, excludeClipRect = 29,
    intersectClipRect = 30, scaleViewportExtEx = 31, scaleWindowExtEx = 32, saveDC = 33, restoreDC = 34,
    setWorldTransform = 35, modifyWorldTransform = 36, selectObject = 37, createPen = 38,
    createBrushIndirect = 39, deleteObject = 40, ellipse = 42, rectangle = 43, roundRect = 44, arc = 45,
    chord = 46, pie = 47, selectPalette = 48, createPalette = 49, lineTo = 54, arcTo = 55, polyDraw = 56, beginPath = 59,
    endPath = 60, closeFigure = 61, comment = 70, fillPath = 62, strokeAndFillPath = 63, strokePath = 64,
    selectClipPath = 67, abortPath = 68, extSelectClipRgn = 75, bitBlt = 76, stretchBlt = 77,
    setDiBitsToDevice = 80, stretchDiBits = 81, extCreateFontIndirectW = 82, extTextOutA = 83,
    extTextOutW = 84, polyBezier16 = 85, polygon16 = 86, polyline16 = 87, polyBezierTo16 = 88,
    polylineTo16 = 89, polyPolyline16 = 90, polyPolygon16 = 91, polyDraw16 = 92, createMonoBrush = 93,
    createDibPatternBrushPt = 94, extCreatePen = 95, smallTextOut = 108, alphaBlend = 114,
};
}

QPointF pointL(RecordReader &r)
{
    const double x = r.i32();
    return QPointF(x, r.i32());
}

QRectF rectL(RecordReader &r) // left, top, right, bottom
{
    const double left = r.i32(), top = r.i32(), right = r.i32(), bottom = r.i32();
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QSizeF sizeL(RecordReader &r)
{
    const double cx = r.i32();
    return QSizeF(cx, r.i32());
}

QTransform xform(RecordReader &r)
{
    const double m11 = r.f32(), m12 = r.f32(), m21 = r.f32(), m22 = r.f32(), dx = r.f32(), dy = r.f32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

// Points are held several times over while drawn (as read, mapped, cut to the output).
constexpr std::int64_t bytesPerPoint = 4 * sizeof(QPointF);

QPolygonF points(const GdiPlayer &player, RecordReader &r, std::size_t count, bool shortPoints)
{
    r.span(r.position(), count, shortPoints ? 4 : 8);
    player.requireMemory(std::int64_t(count) * bytesPerPoint);
    QPolygonF result;
    result.reserve(qsizetype(count));
    for (std::size_t i = 0; i < count; ++i) {
        if (shortPoints) {
            const double x = r.i16();
            result << QPointF(x, r.i16());
        } else {
            result << pointL(r);
        }
    }
    return result;
}

// Where a record keeps its bitmap, and how its colours are given.
struct BitmapPlace {
    std::size_t headerOffset = 0, headerLength = 0, bitsOffset = 0, bitsLength = 0;
    std::uint32_t usage = 0;
};

BitmapPlace bitmapPlace(RecordReader &r, std::uint32_t usage)
{
    BitmapPlace place;
    place.headerOffset = r.u32();
    place.headerLength = r.u32();
    place.bitsOffset = r.u32();
    place.bitsLength = r.u32();
    place.usage = usage;
    return place;
}

enum class Alpha { Opaque, Premultiplied };

// A decoded bitmap and the copy of it that drawing makes, at four bytes a pixel.
constexpr std::int64_t bytesPerDecodedPixel = 8;

// The bitmap, rows top-down; `bottomUp` tells how they were stored.
QImage bitmapAt(const GdiPlayer &player, RecordReader &r, const BitmapPlace &place, bool &bottomUp,
                Alpha alpha = Alpha::Opaque)
{
    const unsigned char *header = r.span(place.headerOffset, place.headerLength);
    const unsigned char *bits = r.span(place.bitsOffset, place.bitsLength);
    bottomUp = dibIsBottomUp(header, place.headerLength);
    player.requireMemory(dibPixelCount(header, place.headerLength, place.bitsLength) * bytesPerDecodedPixel);
    if (alpha == Alpha::Premultiplied)
        return dibToPremultipliedImage(header, place.headerLength, bits, place.bitsLength);
    return dibToImage(header, place.headerLength, bits, place.bitsLength, player.palette(),
                      place.usage == dibPaletteColours);
}

void drawBitmap(GdiPlayer &player, RecordReader &r, const QRectF &target, const QRectF &source, unsigned rop,
                const BitmapPlace &place, SourceRows rows)
{
    bool bottomUp = false;
    const QImage image = bitmapAt(player, r, place, bottomUp);
    if (!image.isNull())
        player.drawImage(target, image, dibSourceRect(source, image.height(), bottomUp, rows), rop);
}

// BITBLT, STRETCHBLT and ALPHABLEND share their layout; the last two add a source size.
void blit(GdiPlayer &player, RecordReader &r, std::uint32_t type)
{
    r.skip(16); // bounds
    const QPointF destination = pointL(r);
    const QSizeF destinationSize = sizeL(r);
    const unsigned rop = r.u32(); // for ALPHABLEND, the blend function
    const QPointF sourceOrigin = pointL(r);
    r.skip(24 + 4); // source transform, background colour
    const std::uint32_t usage = r.u32();
    const BitmapPlace place = bitmapPlace(r, usage);
    QSizeF sourceSize = destinationSize;
    if (type != emr::bitBlt)
        sourceSize = sizeL(r);
    const QRectF target(destination, destinationSize);
    if (place.headerLength == 0) {
        if (type != emr::alphaBlend)
            player.patternFill(target, rop);
        return;
    }
    if (type != emr::alphaBlend) {
        drawBitmap(player, r, target, QRectF(sourceOrigin, sourceSize), rop, place, SourceRows::FromTop);
        return;
    }
    const int constantAlpha = int((rop >> 16) & 0xFF);
    const bool perPixel = (rop >> 24) & acSourceAlpha;
    bool bottomUp = false;
    const QImage image = bitmapAt(player, r, place, bottomUp, perPixel ? Alpha::Premultiplied : Alpha::Opaque);
    if (!image.isNull())
        player.alphaBlend(target, image, QRectF(sourceOrigin, sourceSize), constantAlpha);
}

void textOut(GdiPlayer &player, const RecordReader &r, std::size_t offString, std::size_t count, bool wide,
             const QPointF &reference, const QList<double> &advances, unsigned options, const QRectF &box)
{
    const QRectF opaque = options & etoOpaque ? box : QRectF(), clip = options & etoClipped ? box : QRectF();
    if (wide) {
        const unsigned char *units = r.span(offString, count, 2);
        player.textOut(reference, QString::fromUtf16(reinterpret_cast<const char16_t *>(units), qsizetype(count)),
                       advances, opaque, clip);
    } else {
        const unsigned char *bytes = r.span(offString, count);
        player.textOut(reference, QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(count)), advances, opaque, clip);
    }
}

void text(GdiPlayer &player, RecordReader &r, bool wide)
{
    r.skip(16 + 4 + 8); // bounds, graphics mode, scales
    const QPointF reference = pointL(r);
    const std::size_t count = r.u32();
    const std::size_t offString = r.u32();
    const unsigned options = r.u32();
    const QRectF box = rectL(r).normalized();
    const std::size_t offDx = r.u32();
    if (options & etoGlyphIndex)
        return; // glyph numbers of a font we do not have
    QList<double> advances;
    const std::size_t step = options & etoPdy ? 8 : 4;
    if (offDx != 0 && offDx <= r.length() && count <= (r.length() - offDx) / step) {
        RecordReader dx = r;
        dx.seek(offDx);
        for (std::size_t i = 0; i < count; ++i) {
            advances << dx.i32();
            if (step == 8)
                dx.skip(4);
        }
    }
    textOut(player, r, offString, count, wide, reference, advances, options, box);
}

// EMR_SMALLTEXTOUT: a string without spacing, its box left out when ETO_NO_RECT is set
// and its characters one byte each when ETO_SMALL_CHARS is set.
void smallText(GdiPlayer &player, RecordReader &r)
{
    const QPointF reference = pointL(r);
    const std::size_t count = r.u32();
    const unsigned options = r.u32();
    r.skip(4 + 8); // graphics mode, scales
    const QRectF box = options & etoNoRect ? QRectF() : rectL(r).normalized();
    if (options & etoGlyphIndex)
        return;
    textOut(player, r, r.position(), count, !(options & etoSmallChars), reference, {}, options, box);
}

void play(GdiPlayer &player, std::uint32_t type, RecordReader &r)
{
    switch (type) {
    case emr::polyBezier: case emr::polygon: case emr::polyline: case emr::polyBezierTo: case emr::polylineTo:
    case emr::polyBezier16: case emr::polygon16: case emr::polyline16: case emr::polyBezierTo16: case emr::polylineTo16: {
        const bool shortPoints = type >= emr::polyBezier16;
        const std::uint32_t kind = shortPoints ? type - emr::polyBezier16 + emr::polyBezier : type;
        r.skip(16);
        const QPolygonF shape = points(player, r, r.u32(), shortPoints);
        switch (kind) {
        case emr::polyBezier: player.polyBezier(shape); break;
        case emr::polygon: player.polygon(shape); break;
        case emr::polyline: player.polyline(shape); break;
        case emr::polyBezierTo: player.polyBezierTo(shape); break;
        default: player.polylineTo(shape); break;
        }
        break;
    }
    case emr::polyPolyline: case emr::polyPolygon: case emr::polyPolyline16: case emr::polyPolygon16: {
        const bool shortPoints = type >= emr::polyPolyline16;
        r.skip(16);
        const std::size_t polygonCount = r.u32();
        r.skip(4); // total point count
        player.requireMemory(std::int64_t(r.remaining() / 4) * bytesPerPoint);
        r.span(r.position(), polygonCount, 4);
        QList<std::size_t> sizes;
        for (std::size_t i = 0; i < polygonCount; ++i)
            sizes << r.u32();
        QList<QPolygonF> shapes;
        for (std::size_t size : sizes)
            shapes << points(player, r, size, shortPoints);
        if (type == emr::polyPolygon || type == emr::polyPolygon16)
            player.polyPolygon(shapes);
        else
            player.polyPolyline(shapes);
        break;
    }
    case emr::polyDraw: case emr::polyDraw16: {
        r.skip(16);
        const std::size_t count = r.u32();
        const QPolygonF shape = points(player, r, count, type == emr::polyDraw16);
        const unsigned char *kinds = r.take(count);
        QList<unsigned> types(kinds, kinds + count);
        player.polyDraw(shape, types);
        break;
    }
    case emr::setWindowExtEx: player.setWindowExt(sizeL(r)); break;
    case emr::setWindowOrgEx: player.setWindowOrg(pointL(r)); break;
    case emr::setViewportExtEx: player.setViewportExt(sizeL(r)); break;
    case emr::setViewportOrgEx: player.setViewportOrg(pointL(r)); break;
    case emr::scaleViewportExtEx:
    case emr::scaleWindowExtEx: {
        const double xNum = r.i32(), xDenom = r.i32(), yNum = r.i32(), yDenom = r.i32();
        if (type == emr::scaleWindowExtEx)
            player.scaleWindowExt(xNum, xDenom, yNum, yDenom);
        else
            player.scaleViewportExt(xNum, xDenom, yNum, yDenom);
        break;
    }
    case emr::setPixelV: { const QPointF at = pointL(r); player.setPixel(at, colourFromRef(r.u32())); break; }
    case emr::setMapMode: player.setMapMode(int(r.u32())); break;
    case emr::setBkMode: player.setBackgroundMode(int(r.u32())); break;
    case emr::setPolyFillMode: player.setPolyFillMode(int(r.u32())); break;
    case emr::setTextAlign: player.setTextAlign(r.u32()); break;
    case emr::setRop2: player.setRop2(int(r.u32())); break;
    case emr::setTextColor: player.setTextColour(colourFromRef(r.u32())); break;
    case emr::setBkColor: player.setBackgroundColour(colourFromRef(r.u32())); break;
    case emr::offsetClipRgn: player.offsetClip(pointL(r)); break;
    case emr::moveToEx: player.moveTo(pointL(r)); break;
    case emr::lineTo: player.lineTo(pointL(r)); break;
    case emr::excludeClipRect: player.excludeClipRect(rectL(r)); break;
    case emr::intersectClipRect: player.intersectClipRect(rectL(r)); break;
    case emr::saveDC: player.saveDC(); break;
    case emr::restoreDC: player.restoreDC(r.i32()); break;
    case emr::setWorldTransform: player.setWorldTransform(xform(r)); break;
    case emr::modifyWorldTransform: { const QTransform t = xform(r); player.modifyWorldTransform(t, int(r.u32())); break; }
    case emr::selectObject: {
        const std::uint32_t index = r.u32();
        if (index & stockObjectFlag)
            player.selectStockObject(index & ~stockObjectFlag);
        else
            player.selectObject(index);
        break;
    }
    case emr::deleteObject: player.deleteObject(r.u32()); break;
    case emr::createPen: {
        const std::uint32_t index = r.u32();
        GdiPen pen;
        pen.style = r.u32();
        pen.width = std::abs(double(r.i32()));
        r.skip(4);
        pen.colour = colourFromRef(r.u32());
        player.storeObject(index, pen);
        break;
    }
    case emr::extCreatePen: {
        const std::uint32_t index = r.u32();
        r.skip(16); // pattern bitmap
        GdiPen pen;
        pen.style = r.u32();
        const std::uint32_t width = r.u32();
        const std::uint32_t brushStyle = r.u32();
        pen.colour = colourFromRef(r.u32());
        pen.width = (pen.style & psTypeMask) == gdi::psGeometric ? width : 0;
        if (brushStyle == gdi::bsNull)
            pen.style = gdi::psNull;
        player.storeObject(index, pen);
        break;
    }
    case emr::createBrushIndirect: {
        const std::uint32_t index = r.u32();
        GdiBrush brush;
        brush.style = r.u32();
        brush.colour = colourFromRef(r.u32());
        brush.hatch = r.u32();
        player.storeObject(index, brush);
        break;
    }
    case emr::createMonoBrush:
    case emr::createDibPatternBrushPt: {
        const std::uint32_t index = r.u32();
        const std::uint32_t usage = r.u32();
        const BitmapPlace place = bitmapPlace(r, usage);
        bool bottomUp = false;
        GdiBrush brush;
        brush.style = gdi::bsDibPatternPt;
        brush.pattern = bitmapAt(player, r, place, bottomUp);
        brush.monochrome = type == emr::createMonoBrush;
        player.storeObject(index, brush);
        break;
    }
    case emr::createPalette: {
        const std::uint32_t index = r.u32();
        r.skip(2); // version
        const std::size_t count = r.u16();
        r.span(r.position(), count, 4);
        GdiPalette palette;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char *entry = r.take(4);
            palette.colours << qRgb(entry[0], entry[1], entry[2]);
        }
        player.storeObject(index, palette);
        break;
    }
    case emr::selectPalette: {
        const std::uint32_t index = r.u32();
        if (index & stockObjectFlag)
            player.selectStockPalette();
        else
            player.selectPalette(index);
        break;
    }
    case emr::extCreateFontIndirectW: {
        const std::uint32_t index = r.u32();
        GdiFont font;
        font.height = r.i32();
        r.skip(4); // width
        font.escapement = r.i32();
        r.skip(4); // orientation
        font.weight = r.i32();
        font.italic = r.u8();
        font.underline = r.u8();
        font.strikeOut = r.u8();
        font.charset = r.u8();
        r.skip(4); // precisions, quality, pitch and family
        const auto *face = reinterpret_cast<const char16_t *>(r.take(32, 2));
        qsizetype length = 0;
        while (length < 32 && face[length] != 0)
            ++length;
        font.face = QString::fromUtf16(face, length);
        player.storeObject(index, font);
        break;
    }
    case emr::ellipse: player.ellipse(rectL(r)); break;
    case emr::rectangle: player.rectangle(rectL(r)); break;
    case emr::roundRect: { const QRectF box = rectL(r); player.roundRectangle(box, sizeL(r)); break; }
    case emr::arc: case emr::chord: case emr::pie: case emr::arcTo: {
        const QRectF box = rectL(r);
        const QPointF start = pointL(r), end = pointL(r);
        if (type == emr::arcTo)
            player.arcTo(box, start, end);
        else
            player.arc(box, start, end, type == emr::arc ? ArcKind::Arc : type == emr::chord ? ArcKind::Chord : ArcKind::Pie);
        break;
    }
    case emr::beginPath: player.beginPath(); break;
    case emr::endPath: player.endPath(); break;
    case emr::closeFigure: player.closeFigure(); break;
    case emr::fillPath: player.fillPath(); break;
    case emr::strokeAndFillPath: player.strokeAndFillPath(); break;
    case emr::strokePath: player.strokePath(); break;
    case emr::abortPath: player.abortPath(); break;
    case emr::selectClipPath: player.selectClipPath(int(r.u32())); break;
    case emr::extSelectClipRgn: {
        const std::size_t dataSize = r.u32();
        const int mode = int(r.u32());
        QList<QRectF> rects;
        if (dataSize >= 32) {
            r.skip(8); // header size, type
            const std::size_t count = r.u32();
            r.skip(4 + 16); // size, bounds
            r.span(r.position(), count, 16);
            for (std::size_t i = 0; i < count; ++i)
                rects << rectL(r);
        }
        player.selectClipRegion(rects, mode);
        break;
    }
    case emr::bitBlt: case emr::stretchBlt: case emr::alphaBlend: blit(player, r, type); break;
    case emr::stretchDiBits: {
        r.skip(16);
        const QPointF destination = pointL(r);
        const QPointF sourceOrigin = pointL(r);
        const QSizeF sourceSize = sizeL(r);
        RecordReader usageField = r;
        usageField.skip(16);
        const BitmapPlace place = bitmapPlace(r, usageField.u32());
        r.skip(4); // colour usage
        const unsigned rop = r.u32();
        const QSizeF destinationSize = sizeL(r);
        drawBitmap(player, r, QRectF(destination, destinationSize), QRectF(sourceOrigin, sourceSize), rop, place,
                   SourceRows::FromDibOrigin);
        break;
    }
    case emr::setDiBitsToDevice: {
        r.skip(16);
        const QPointF destination = pointL(r);
        const QPointF sourceOrigin = pointL(r);
        const QSizeF size = sizeL(r);
        RecordReader usageField = r;
        usageField.skip(16);
        const BitmapPlace place = bitmapPlace(r, usageField.u32());
        drawBitmap(player, r, QRectF(destination, size), QRectF(sourceOrigin, size), gdi::srcCopy, place,
                   SourceRows::FromDibOrigin);
        break;
    }
    case emr::extTextOutA: text(player, r, false); break;
    case emr::extTextOutW: text(player, r, true); break;
    case emr::smallTextOut: smallText(player, r); break;
    default: break; // records that do not draw, or seldom seen, are skipped
    }
}

} // namespace

bool looksLikeEmf(const unsigned char *data, std::size_t length)
{
    if (length < minimumHeaderSize)
        return false;
    RecordReader r(data, length, 0);
    const std::uint32_t type = r.u32();
    r.seek(40);
    return type == emr::header && r.u32() == emfSignature;
}

EmfHeader readEmfHeader(const unsigned char *data, std::size_t length)
{
    if (!looksLikeEmf(data, length))
        throw MetafileDamage(QStringLiteral("non è un metafile avanzato."));
    RecordReader r(data, length, 0);
    r.seek(8);
    EmfHeader header;
    header.bounds = rectL(r);
    header.frameHundredthsMm = rectL(r);
    r.seek(56);
    header.handleCount = r.u16();
    r.seek(72);
    header.devicePixels = sizeL(r);
    header.deviceMillimetres = sizeL(r);
    for (std::size_t offset = 0; offset + 16 <= length;) {
        RecordReader record(data + offset, length - offset, offset);
        const std::uint32_t type = record.u32();
        const std::size_t size = record.u32();
        if (size < 8 || size > length - offset || type == emr::eof)
            break;
        if (type == emr::comment && size >= 16) {
            record.skip(4); // data size
            if (record.u32() == emfPlusIdentifier) {
                header.hasEmfPlus = true;
                break;
            }
        }
        offset += size;
    }
    return header;
}

void playEmf(const unsigned char *data, std::size_t length, const EmfHeader &header, GdiPlayer &player)
{
    player.resizeObjectTable(header.handleCount);
    std::size_t offset = 0;
    while (offset < length) {
        RecordReader head(data + offset, length - offset, offset);
        const std::uint32_t type = head.u32();
        const std::size_t size = head.u32();
        if (size < 8 || size > length - offset)
            head.fail();
        if (type == emr::eof)
            return;
        RecordReader record(data + offset, size, offset);
        record.seek(8);
        player.checkBudget();
        play(player, type, record);
        offset += size;
    }
    throw MetafileDamage(QStringLiteral("il file finisce prima del suo ultimo record."));
}

} // namespace picture
