// Metafiles made to hurt the renderer: each is drawn or refused with a message within
// the render budget, and never crashes (the ASan+UBSan build runs these too:
// scripts/check-pictures.sh).

#include "HostileMetafiles.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureError.h"
#include "picture/RenderBudget.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <cmath>
#include <functional>
#include <limits>
#include <gmock/gmock.h>

namespace {

constexpr qint64 limitMilliseconds = 2000 * picture::buildSlowdown;
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
    if (c.refusal) {
        EXPECT_THAT(refusal.toStdString(), ::testing::HasSubstr(c.refusal));
    } else {
        EXPECT_TRUE(refusal.isEmpty() && !drawn.image.isNull()) << refusal.toStdString();
    }
    EXPECT_LT(elapsed, limitMilliseconds);
    if (before > 0) {
        EXPECT_LT(peak - before, limitBytes);
    }
}

// The picture must be drawn, except where the work is real and its time depends on
// the machine (either), or it is more than any budget allows (refused).
HostileCase withExpectation(const std::pair<const char *, std::function<QByteArray()>> &made)
{
    const std::string name = made.first;
    const char *refusal = name == "EndlessRasterWork" || name == "LongText" ? "richiede più di"
                        : name == "LongWidePath" || name == "LongDashedPath" || name.starts_with("ZigzagPolygon") ? ""
                                                                                                              : nullptr;
    return HostileCase{made.first, made.second, refusal};
}

std::vector<HostileCase> hostileCases()
{
    std::vector<HostileCase> cases;
    for (const auto &made : hostile::all())
        cases.push_back(withExpectation(made));
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Made, HostileMetafiles, ::testing::ValuesIn(hostileCases()),
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
