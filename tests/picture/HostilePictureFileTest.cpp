// Raster pictures made to hurt the readers: short colour tables, RLE streams that end
// at once, headers claiming more pixels than the file holds, JPEGs of a thousand scans,
// icons of many entries, files too large to read. Each is drawn or refused within the
// budget, and a picture no longer wanted stops at once.

#include "picture/PictureError.h"
#include "picture/PictureLoader.h"
#include "picture/RenderBudget.h"
#include "tests/common/TempFolder.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <csetjmp>
#include <cstdio>
#include <functional>
#include <jpeglib.h>
#include <gmock/gmock.h>

using ::testing::HasSubstr;

namespace {

constexpr qint64 limitMilliseconds = 2000 * picture::buildSlowdown;

QByteArray u16(std::uint16_t value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray u32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A BMP file: its BITMAPINFOHEADER, colour table and pixel bytes as given.
QByteArray bmpFile(int width, int height, int bitCount, std::uint32_t compression, const QList<QRgb> &colours,
                   const QByteArray &bits)
{
    QByteArray table;
    for (QRgb colour : colours)
        table += char(qBlue(colour)) + QByteArray(1, char(qGreen(colour))) + char(qRed(colour)) + '\0';
    const QByteArray info = u32(40) + u32(std::uint32_t(width)) + u32(std::uint32_t(height)) + u16(1)
                          + u16(std::uint16_t(bitCount)) + u32(compression) + u32(std::uint32_t(bits.size())) + u32(2835)
                          + u32(2835) + u32(std::uint32_t(colours.size())) + u32(0);
    const std::uint32_t offset = 14 + 40 + std::uint32_t(table.size());
    return "BM" + u32(offset + std::uint32_t(bits.size())) + u32(0) + u32(offset) + info + table + bits;
}

QByteArray pngOf(int side)
{
    QImage image(side, side, QImage::Format_Grayscale8);
    image.fill(128);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return png;
}

// An icon of `count` 16-pixel PNG entries with one of `largest` pixels among them.
QByteArray iconFile(int count, int largest)
{
    QList<QByteArray> images(count, pngOf(16));
    images[count / 2] = pngOf(largest);
    QByteArray directory = u16(0) + u16(1) + u16(std::uint16_t(count));
    QByteArray data;
    std::uint32_t offset = 6 + 16 * std::uint32_t(count);
    for (const QByteArray &image : images) {
        const char side = &image == &images[count / 2] ? 0 : 16;
        directory += QByteArray(1, side) + QByteArray(1, side) + QByteArray(2, '\0') + u16(1) + u16(32)
                   + u32(std::uint32_t(image.size())) + u32(offset);
        offset += std::uint32_t(image.size());
        data += image;
    }
    return directory + data;
}

struct JpegErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// A grey progressive JPEG of `side` pixels whose scans send each coefficient a bit at
// a time: 704 scans, each a pass over every coefficient.
QByteArray manyScanJpeg(int side)
{
    std::vector<jpeg_scan_info> scans;
    for (int coefficient = 0; coefficient < 64; ++coefficient)
        for (int low = 10; low >= 0; --low)
            scans.push_back(jpeg_scan_info{1, {0, 0, 0, 0}, coefficient, coefficient, low == 10 ? 0 : low + 1, low});
    jpeg_compress_struct info {};
    JpegErrors errors {};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr common) { std::longjmp(reinterpret_cast<JpegErrors *>(common->err)->jump, 1); };
    unsigned char *out = nullptr;
    unsigned long size = 0;
    std::vector<unsigned char> row(std::size_t(side), 100);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(out);
        return QByteArray();
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(side);
    info.image_height = JDIMENSION(side);
    info.input_components = 1;
    info.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    info.scan_info = scans.data();
    info.num_scans = int(scans.size());
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray jpeg(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return jpeg;
}

// The same, its frame header claiming 19,000 x 19,000 pixels: the coefficients of a
// progressive picture that size take more than any budget.
QByteArray hugeProgressiveJpeg()
{
    QByteArray jpeg = manyScanJpeg(16);
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    if (frame >= 0) {
        qToBigEndian<std::uint16_t>(19000, jpeg.data() + frame + 5);
        qToBigEndian<std::uint16_t>(19000, jpeg.data() + frame + 7);
    }
    return jpeg;
}

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
        return bmpFile(8, 8, 8, 0, {qRgb(255, 0, 0)}, indices);
    }, nullptr},
    HostileFile{"header-only.bmp", [] { return bmpFile(5790, 5790, 32, 0, {}, QByteArray(64, '\0')); }, "pixel"},
    HostileFile{"many-scans.jpg", [] { return manyScanJpeg(64); }, "scansioni"},
    HostileFile{"huge-progressive.jpg", hugeProgressiveJpeg, ""},
    HostileFile{"many-entries.ico", [] { return iconFile(150, 1200); }, nullptr},
    HostileFile{"huge-entry.ico", [] { return iconFile(150, 5000); }, nullptr}),
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
    folder.write(QStringLiteral("t.bmp"), bmpFile(8, 8, 8, 0, {qRgb(255, 0, 0)}, indices));
    const QImage image = picture::loadPicture(QStringLiteral("t.bmp"), QSize(270, 184)).image;
    if (image.format() == QImage::Format_Indexed8)
        EXPECT_EQ(image.colorCount(), 256);
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
                 bmpFile(8, 8, c.bitCount, c.bitCount == 8 ? 1 : 2, {qRgb(0, 128, 0), qRgb(0, 0, 255)}, c.stream));
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
