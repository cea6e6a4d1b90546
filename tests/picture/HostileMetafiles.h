#pragma once
// Metafiles made to hurt a renderer: non-finite and overflowing transforms, thousands
// of clip rectangles, polygons far off the page, long dashed and wide paths, a full
// object table, the smallest pen width, and endless pixel work.

#include "EmfWriter.h"
#include "WmfWriter.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

namespace hostile {

inline QByteArray infiniteTransformThenClip()
{
    const float inf = std::numeric_limits<float>::infinity();
    EmfWriter emf;
    emf.setWorldTransform(inf, 0, 0, 1, 0, 0);
    emf.excludeClipRect(5, 5, 20, 20);
    emf.intersectClipRect(0, 0, 40, 40);
    emf.setWorldTransform(1, 0, 0, std::nanf(""), 0, 0);
    emf.excludeClipRect(1, 1, 3, 3);
    emf.rectangle(2, 2, 30, 30);
    return emf.finish();
}

inline QByteArray growingWorldTransform()
{
    EmfWriter emf;
    for (int i = 0; i < 100; ++i)
        emf.modifyWorldTransform(1e10f, 0, 0, 1e10f, 1e30f, 0, 2);
    emf.excludeClipRect(5, 5, 20, 20);
    emf.rectangle(2, 2, 30, 30);
    return emf.finish();
}

inline QByteArray manyClipRegionRects()
{
    QRandomGenerator random(31);
    EmfWriter emf(400);
    QList<QRect> rects;
    for (int i = 0; i < 5000; ++i)
        rects << QRect(random.bounded(400), random.bounded(400), 1 + random.bounded(30), 1 + random.bounded(30));
    emf.clipRegion(rects, 5);
    emf.clipRegion(rects.mid(0, 2500), 3);
    emf.rectangle(0, 0, 399, 399);
    return emf.finish();
}

// `count` small rectangles excluded from the clip one record at a time, then the page filled.
template <typename Writer>
inline QByteArray manyExcludedRects(Writer writer, int side, int count, int largest)
{
    QRandomGenerator random(32);
    for (int i = 0; i < count; ++i) {
        const int x = random.bounded(side), y = random.bounded(side);
        writer.excludeClipRect(x, y, x + 1 + random.bounded(largest), y + 1 + random.bounded(largest));
    }
    writer.rectangle(0, 0, side, side);
    return writer.finish();
}

inline QByteArray farOutPolygons()
{
    QRandomGenerator random(34);
    EmfWriter emf;
    QList<QList<QPoint>> polygons(1);
    for (int i = 0; i < 6596; ++i)
        polygons[0] << QPoint(-32000 + random.bounded(64000), -32000 + random.bounded(64000));
    emf.setWorldTransform(1000, 0, 0, 1000, 0, 0);
    emf.polyPolygon(polygons);
    emf.setWorldTransform(1, 0, 0, 1, 0, 0);
    QList<QPoint> wide;
    for (int i = 0; i < 6000; ++i)
        wide << QPoint(i % 2 ? 2'000'000'000 : -2'000'000'000, i * 300'000 - 900'000'000);
    emf.polygon(wide);
    return emf.finish();
}

// A path of `points` points zigzagging over the page, stroked with `penStyle` at `penWidth`.
inline QByteArray strokedPath(int points, std::uint32_t penStyle, int penWidth)
{
    QRandomGenerator random(35);
    EmfWriter emf(400);
    emf.pen(1, qRgb(0, 0, 0), penWidth, penStyle);
    emf.select(1);
    emf.beginPath();
    emf.moveTo(0, 0);
    QList<QPoint> line;
    for (int i = 0; i < points; ++i)
        line << QPoint(random.bounded(400), random.bounded(400));
    emf.polylineTo(line);
    emf.endPath();
    emf.strokePath();
    return emf.finish();
}

inline QByteArray fullObjectTable()
{
    WmfWriter wmf;
    wmf.setObjectCount(65535);
    for (int i = 0; i < 65535 + 40000; ++i)
        wmf.createPen(0, 1);
    wmf.selectPen(65534);
    wmf.lineTo(40, 40);
    return wmf.finish();
}

inline QByteArray smallestPenWidth()
{
    EmfWriter emf;
    emf.pen(1, qRgb(0, 0, 255), std::numeric_limits<int>::min());
    emf.select(1);
    emf.polyline({QPoint(2, 2), QPoint(40, 40)});
    emf.rectangle(10, 10, 20, 20);
    return emf.finish();
}

// Fifty thousand full-page rectangles combined with the page pixel by pixel: more
// work than any budget allows.
inline QByteArray endlessRasterWork()
{
    EmfWriter emf(400);
    emf.setRop2(6);
    for (int i = 0; i < 50000; ++i)
        emf.rectangle(0, 0, 399, 399);
    return emf.finish();
}

// A line to an arc whose box is a single point: there is no arc to join.
inline QByteArray arcToPointBox()
{
    EmfWriter emf;
    emf.moveTo(2, 2);
    emf.arcTo(QRect(20, 20, 1, 1), QPoint(20, 20), QPoint(20, 20));
    emf.rectangle(2, 2, 10, 10);
    return emf.finish();
}

// One polygon of `count` points zigzagging across the page, filled: every row of the
// page crosses nearly all its edges.
template <typename Writer>
inline QByteArray zigzagPolygon(Writer writer, int side, int count)
{
    QList<QPoint> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points << QPoint(i % 2 ? side - 1 : 0, int(qint64(i) * (side - 1) / count));
    writer.polygon16(points);
    return writer.finish();
}

// One text record of `count` characters.
inline QByteArray longText(int count)
{
    EmfWriter emf;
    emf.text(0, 20, QByteArray(count, 'x'), {});
    return emf.finish();
}

// Bitmaps whose headers claim 5,790 x 5,790 pixels at 32 bits, with no pixels.
inline QByteArray headerOnlyBitmaps()
{
    EmfWriter emf;
    EmfWriter::Bitmap bitmap {5790, 5790, 32, {}, {}, 0};
    emf.stretchDiBits(0, 0, 48, 48, bitmap, 0x00CC0020);
    emf.rectangle(2, 2, 10, 10);
    return emf.finish();
}

// An 8 x 8, 8-bit bitmap with a one-colour table whose pixels run up to index 255,
// drawn scaled.
inline QByteArray shortColourTable()
{
    EmfWriter emf;
    EmfWriter::Bitmap bitmap {8, 8, 8, EmfWriter::colourTable({qRgb(255, 0, 0)}), {}, 0, 1};
    for (int i = 0; i < 64; ++i)
        bitmap.rows += char(i * 4);
    emf.stretchDiBits(0, 0, 47, 41, bitmap, 0x00CC0020);
    return emf.finish();
}

// Every hostile metafile above, by name.
inline QList<std::pair<const char *, std::function<QByteArray()>>> all()
{
    return {
        {"InfiniteTransformThenClip", infiniteTransformThenClip},
        {"GrowingWorldTransform", growingWorldTransform},
        {"ManyClipRegionRects", manyClipRegionRects},
        {"ManyExcludedRects", [] { return manyExcludedRects(EmfWriter(400), 400, 4000, 20); }},
        {"ManyExcludedRectsWmf", [] { return manyExcludedRects(WmfWriter(), 48, 4000, 4); }},
        {"FarOutPolygons", farOutPolygons},
        {"LongDashedPath", [] { return strokedPath(200000, 1, 1); }},
        {"LongWidePath", [] { return strokedPath(20000, 0, 60); }},
        {"FullObjectTable", fullObjectTable},
        {"SmallestPenWidth", smallestPenWidth},
        {"EndlessRasterWork", endlessRasterWork},
        {"ArcToPointBox", arcToPointBox},
        {"ZigzagPolygon", [] { return zigzagPolygon(EmfWriter(400), 400, 60000); }},
        {"ZigzagPolygonWmf", [] { return zigzagPolygon(WmfWriter(), 48, 60000); }},
        {"LongText", [] { return longText(3'300'000); }},
        {"HeaderOnlyBitmaps", headerOnlyBitmaps},
        {"ShortColourTable", shortColourTable},
    };
}

} // namespace hostile
