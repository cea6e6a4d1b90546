// Metafiles made to hurt the renderer: each is drawn or refused with a message within
// the render budget, and never crashes (the ASan+UBSan build runs these too:
// scripts/check-pictures.sh).

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureError.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <cmath>
#include <functional>
#include <limits>
#include <gmock/gmock.h>

namespace {

constexpr qint64 limitMilliseconds = 2000;
constexpr qint64 limitBytes = qint64(256) << 20;

// The peak resident memory of the process, after `reset` sets it back to the current size.
qint64 peakResidentBytes(bool reset)
{
    if (reset) {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

QByteArray infiniteTransformThenClip()
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

QByteArray growingWorldTransform()
{
    EmfWriter emf;
    for (int i = 0; i < 100; ++i)
        emf.modifyWorldTransform(1e10f, 0, 0, 1e10f, 1e30f, 0, 2);
    emf.excludeClipRect(5, 5, 20, 20);
    emf.rectangle(2, 2, 30, 30);
    return emf.finish();
}

QByteArray manyClipRegionRects()
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

QByteArray manyExcludedRects()
{
    QRandomGenerator random(32);
    EmfWriter emf(400);
    for (int i = 0; i < 4000; ++i) {
        const int x = random.bounded(400), y = random.bounded(400);
        emf.excludeClipRect(x, y, x + 1 + random.bounded(20), y + 1 + random.bounded(20));
    }
    emf.rectangle(0, 0, 399, 399);
    return emf.finish();
}

QByteArray manyExcludedRectsWmf()
{
    QRandomGenerator random(33);
    WmfWriter wmf;
    for (int i = 0; i < 4000; ++i) {
        const int x = random.bounded(48), y = random.bounded(48);
        wmf.excludeClipRect(x, y, x + 1 + random.bounded(4), y + 1 + random.bounded(4));
    }
    wmf.rectangle(0, 0, 48, 48);
    return wmf.finish();
}

QByteArray farOutPolygons()
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
QByteArray strokedPath(int points, std::uint32_t penStyle, int penWidth)
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

QByteArray fullObjectTable()
{
    WmfWriter wmf;
    wmf.setObjectCount(65535);
    for (int i = 0; i < 65535 + 40000; ++i)
        wmf.createPen(0, 1);
    wmf.selectPen(65534);
    wmf.lineTo(40, 40);
    return wmf.finish();
}

QByteArray smallestPenWidth()
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
QByteArray endlessRasterWork()
{
    EmfWriter emf(400);
    emf.setRop2(6);
    for (int i = 0; i < 50000; ++i)
        emf.rectangle(0, 0, 399, 399);
    return emf.finish();
}

struct HostileCase {
    const char *name;
    std::function<QByteArray()> make;
    // What the message says when the picture is refused; null when it must be drawn,
    // empty when either may happen (the work is real, its time depends on the machine).
    const char *refusal;
    friend std::ostream &operator<<(std::ostream &out, const HostileCase &c) { return out << c.name; }
};

class HostileMetafiles : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileMetafiles, AreDrawnOrRefusedWithinTheBudget)
{
    const HostileCase &c = GetParam();
    const QByteArray file = c.make();
    const qint64 before = peakResidentBytes(true);
    QElapsedTimer timer;
    timer.start();
    QString refusal;
    picture::Picture drawn;
    try {
        drawn = picture::renderMetafile(reinterpret_cast<const unsigned char *>(file.constData()), std::size_t(file.size()),
                                        QSize(270, 184), QStringLiteral("hostile"));
    } catch (const picture::PictureError &error) {
        refusal = error.message();
    }
    const qint64 elapsed = timer.elapsed();
    const qint64 peak = peakResidentBytes(false);
    std::cout << "  " << c.name << ": " << file.size() << " bytes, " << elapsed << " ms, peak +"
              << (peak - before) / 1024 << " KiB, " << (refusal.isEmpty() ? "drawn" : refusal.toStdString()) << '\n';
    if (c.refusal)
        EXPECT_THAT(refusal.toStdString(), ::testing::HasSubstr(c.refusal));
    else
        EXPECT_TRUE(refusal.isEmpty() && !drawn.image.isNull()) << refusal.toStdString();
    EXPECT_LT(elapsed, limitMilliseconds);
    if (before > 0)
        EXPECT_LT(peak - before, limitBytes);
}

INSTANTIATE_TEST_SUITE_P(Made, HostileMetafiles, ::testing::Values(
    HostileCase{"InfiniteTransformThenClip", infiniteTransformThenClip, nullptr},
    HostileCase{"GrowingWorldTransform", growingWorldTransform, nullptr},
    HostileCase{"ManyClipRegionRects", manyClipRegionRects, nullptr},
    HostileCase{"ManyExcludedRects", manyExcludedRects, nullptr},
    HostileCase{"ManyExcludedRectsWmf", manyExcludedRectsWmf, nullptr},
    HostileCase{"FarOutPolygons", farOutPolygons, nullptr},
    HostileCase{"LongDashedPath", [] { return strokedPath(200000, 1, 1); }, nullptr},
    HostileCase{"LongWidePath", [] { return strokedPath(20000, 0, 60); }, ""},
    HostileCase{"FullObjectTable", fullObjectTable, nullptr},
    HostileCase{"SmallestPenWidth", smallestPenWidth, nullptr},
    HostileCase{"EndlessRasterWork", endlessRasterWork, "richiede più di"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HostileMetafiles, InfiniteTransformIsIgnoredAsAWholeRecord)
{
    // The drawing after a rejected transform is where the last usable one puts it.
    const float inf = std::numeric_limits<float>::infinity();
    EmfWriter emf;
    emf.setWorldTransform(1, 0, 0, 1, 10, 0);
    emf.setWorldTransform(2, 0, 0, 2, inf, 0);
    emf.modifyWorldTransform(1e38f, 0, 0, 1e38f, 0, 0, 2);
    emf.modifyWorldTransform(1e38f, 0, 0, 1e38f, 0, 0, 2);
    emf.pen(1, qRgb(0, 0, 0), 0, 5);
    emf.select(1);
    emf.solidBrush(2, qRgb(255, 0, 0));
    emf.select(2);
    emf.rectangle(0, 0, 10, 10);
    const QByteArray file = emf.finish();
    const QImage shown = picture::renderMetafile(reinterpret_cast<const unsigned char *>(file.constData()),
                                                 std::size_t(file.size()), QSize(48, 48), QStringLiteral("t.emf"))
                             .image;
    EXPECT_EQ(shown.pixel(15, 5), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 255, 255));
}

TEST(HostileMetafiles, ClipRectanglesKeepThePixelsTheyCover)
{
    EmfWriter emf;
    emf.pen(1, qRgb(0, 0, 0), 0, 5);
    emf.select(1);
    emf.solidBrush(2, qRgb(0, 0, 255));
    emf.select(2);
    emf.intersectClipRect(10, 10, 30, 30);
    emf.excludeClipRect(15, 15, 20, 20);
    emf.rectangle(0, 0, 48, 48);
    const QByteArray file = emf.finish();
    const QImage shown = picture::renderMetafile(reinterpret_cast<const unsigned char *>(file.constData()),
                                                 std::size_t(file.size()), QSize(48, 48), QStringLiteral("t.emf"))
                             .image;
    EXPECT_EQ(shown.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(29, 29), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(30, 30), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(9, 20), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(17, 17), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(14, 17), qRgb(0, 0, 255));
}

} // namespace
