// Pictures made to hurt the readers: short colour tables, RLE streams that end at once,
// headers claiming more pixels than the file holds, JPEGs of hundreds of scans, icons
// of many entries, files too large to read, metafiles of huge polygons and texts. Each
// is drawn or refused within the budget, and a picture no longer wanted stops at once.

#include "HostileMetafiles.h"
#include "RasterFiles.h"
#include "picture/PictureError.h"
#include "picture/PictureLoader.h"
#include "picture/RenderBudget.h"
#include "tests/common/TempFolder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <functional>
#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace {

constexpr qint64 limitMilliseconds = 2000 * picture::buildSlowdown;

struct HostileFile {
    const char *name;
    std::function<QByteArray()> make;
    const char *refusal; // what the message says; null when the picture must be drawn
    friend std::ostream &operator<<(std::ostream &out, const HostileFile &c) { return out << c.name; }
};

class HostilePictureFiles : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostilePictureFiles, AreDrawnOrRefusedWithinTheBudget)
{
    const HostileFile &c = GetParam();
    const QByteArray content = c.make();
    ASSERT_FALSE(content.isEmpty());
    TempFolder folder;
    folder.write(QString::fromLatin1(c.name), content);
    QElapsedTimer timer;
    timer.start();
    QString refusal;
    picture::Picture shown;
    try {
        shown = picture::loadPicture(QString::fromLatin1(c.name), QSize(270, 184));
    } catch (const picture::PictureError &error) {
        refusal = error.message();
    }
    std::cout << "  " << c.name << ": " << content.size() << " bytes, " << timer.elapsed() << " ms, "
              << (refusal.isEmpty() ? "drawn" : refusal.toStdString()) << '\n';
    if (c.refusal)
        EXPECT_THAT(refusal.toStdString(), HasSubstr(c.refusal));
    else
        EXPECT_TRUE(refusal.isEmpty() && !shown.image.isNull()) << refusal.toStdString();
    EXPECT_LT(timer.elapsed(), limitMilliseconds);
}

TEST_P(HostilePictureFiles, StopAtOnceWhenNoLongerWanted)
{
    const HostileFile &c = GetParam();
    TempFolder folder;
    folder.write(QString::fromLatin1(c.name), c.make());
    const picture::RenderBudget closed(picture::RenderBudget::defaultMilliseconds, picture::RenderBudget::defaultBytes,
                                       [] { return false; });
    QElapsedTimer timer;
    timer.start();
    try {
        picture::loadPicture(QString::fromLatin1(c.name), QSize(270, 184), closed);
    } catch (const picture::RenderBudget::Cancelled &) {
    } catch (const picture::PictureError &) {
        // refused before any work: as quick
    }
    EXPECT_LT(timer.elapsed(), 200 * picture::buildSlowdown);
}

INSTANTIATE_TEST_SUITE_P(Made, HostilePictureFiles, ::testing::Values(
    HostileFile{"short-table.bmp", [] {
        QByteArray indices;
        for (int i = 0; i < 64; ++i)
            indices += char(i * 4);
        return raster::bmpFile(8, 8, 8, 0, {qRgb(255, 0, 0)}, indices);
    }, nullptr},
    HostileFile{"header-only.bmp", [] { return raster::bmpFile(5790, 5790, 32, 0, {}, QByteArray(64, '\0')); }, "pixel"},
    HostileFile{"many-scans.jpg", [] { return raster::manyScanJpeg(64); }, "scansioni"},
    HostileFile{"huge-progressive.jpg", raster::hugeProgressiveJpeg, ""},
    HostileFile{"many-entries.ico", [] { return raster::iconFile(150, 1200); }, nullptr},
    HostileFile{"huge-entry.ico", [] { return raster::iconFile(150, 5000); }, nullptr},
    HostileFile{"huge-png-sides.ico", [] {
        QByteArray icon = raster::iconFile(3, 16);
        const qsizetype header = icon.indexOf("IHDR");
        qToBigEndian<std::uint32_t>(0xC4000000, icon.data() + header + 4);
        qToBigEndian<std::uint32_t>(0xC4000000, icon.data() + header + 8);
        return icon;
    }, "troppo grande"},
    HostileFile{"header-only-entry.ico", [] {
        const QByteArray bitmap = raster::u32(40) + raster::u32(5790) + raster::u32(2 * 5790) + raster::u16(1)
                                + raster::u16(32) + QByteArray(24, '\0');
        return raster::u16(0) + raster::u16(1) + raster::u16(1) + QByteArray(4, '\0') + raster::u16(1) + raster::u16(32)
             + raster::u32(std::uint32_t(bitmap.size())) + raster::u32(22) + bitmap;
    }, "nessuna immagine"},
    HostileFile{"zigzag.emf", [] { return hostile::zigzagPolygon(EmfWriter(400), 400, 60000); }, ""},
    HostileFile{"zigzag.wmf", [] { return hostile::zigzagPolygon(WmfWriter(), 48, 60000); }, ""},
    HostileFile{"long-text.emf", [] { return hostile::longText(3'300'000); }, "richiede più di"}),
    [](const auto &info) {
        std::string name = info.param.name;
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

TEST(HostilePictureFiles, IndexedBitmapGetsAColourForEveryIndex)
{
    QByteArray indices;
    for (int i = 0; i < 64; ++i)
        indices += char(i * 4);
    TempFolder folder;
    folder.write(QStringLiteral("t.bmp"), raster::bmpFile(8, 8, 8, 0, {qRgb(255, 0, 0)}, indices));
    const QImage image = picture::loadPicture(QStringLiteral("t.bmp"), QSize(270, 184)).image;
    if (image.format() == QImage::Format_Indexed8) {
        EXPECT_EQ(image.colorCount(), 256);
    }
    // Drawn scaled, as the preview draws it.
    QImage page(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, 100, 100), image);
    painter.end();
    EXPECT_EQ(image.pixel(0, 7), qRgb(255, 0, 0)); // index 0, bottom-up
    EXPECT_EQ(image.pixel(1, 7), qRgb(0, 0, 0));
}

struct RleCase {
    const char *name;
    int bitCount;
    QByteArray stream;
    QList<QPoint> painted; // (x, y) top-down, colour 1; every other pixel colour 0
    friend std::ostream &operator<<(std::ostream &out, const RleCase &c) { return out << c.name; }
};

class RleBitmaps : public ::testing::TestWithParam<RleCase> {};

TEST_P(RleBitmaps, PaintWhatTheRunsSayAndColourZeroElsewhere)
{
    const RleCase &c = GetParam();
    TempFolder folder;
    folder.write(QStringLiteral("t.bmp"),
                 raster::bmpFile(8, 8, c.bitCount, c.bitCount == 8 ? 1 : 2, {qRgb(0, 128, 0), qRgb(0, 0, 255)}, c.stream));
    const QImage image = picture::loadPicture(QStringLiteral("t.bmp"), QSize()).image;
    ASSERT_EQ(image.size(), QSize(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(image.pixel(x, y), c.painted.contains(QPoint(x, y)) ? qRgb(0, 0, 255) : qRgb(0, 128, 0))
                << x << ',' << y;
}

INSTANTIATE_TEST_SUITE_P(Streams, RleBitmaps, ::testing::Values(
    RleCase{"EndsAtOnce8", 8, QByteArray("\0\1", 2), {}},
    RleCase{"Empty8", 8, QByteArray(), {}},
    RleCase{"EndsAtOnce4", 4, QByteArray("\0\1", 2), {}},
    // Bottom row: two pixels of colour 1, then a jump of one column and one row, one more.
    RleCase{"RunAndDelta8", 8, QByteArray("\2\1\0\2\1\1\1\1\0\1", 10), {QPoint(0, 7), QPoint(1, 7), QPoint(3, 6)}},
    // A run longer than the row is cut at its end.
    RleCase{"RunPastTheRow8", 8, QByteArray("\xFF\1\0\1", 4), {QPoint(0, 7), QPoint(1, 7), QPoint(2, 7), QPoint(3, 7),
                                                                 QPoint(4, 7), QPoint(5, 7), QPoint(6, 7), QPoint(7, 7)}},
    RleCase{"AbsoluteCut4", 4, QByteArray("\0\4\x10", 3), {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HostilePictureFiles, OversizedFileIsRefusedBeforeItIsRead)
{
    TempFolder folder;
    const QString name = folder.write(QStringLiteral("big.jpg"), QByteArray("\xFF\xD8\xFF", 3));
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    if (!file.resize(qint64(900) << 20))
        GTEST_SKIP() << "the temporary folder cannot hold a sparse file of 900 MB";
    file.close();
    QElapsedTimer timer;
    timer.start();
    try {
        picture::loadPicture(QStringLiteral("big.jpg"), QSize(270, 184));
        ADD_FAILURE() << "a 900 MB file was read";
    } catch (const picture::PictureError &error) {
        EXPECT_THAT(error.message().toStdString(), HasSubstr("troppo grande"));
    }
    EXPECT_LT(timer.elapsed(), 200 * picture::buildSlowdown);
}

} // namespace
