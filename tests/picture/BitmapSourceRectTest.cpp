// Where a bitmap record's source rectangle lies in a bottom-up bitmap: the blits copy
// from a device context and count from the top of the picture as seen; StretchDIBits
// counts from the bitmap's bottom row. An icon whose 32 x 64 monochrome bitmap holds
// the AND mask above an empty half, drawn by its upper half with SRCAND and then its
// colour image with SRCINVERT, must show on white, not in a black box.

#include "EmfWriter.h"
#include "WmfWriter.h"
#include "picture/MetafileRenderer.h"

#include <gmock/gmock.h>

namespace {

constexpr std::uint32_t srcAnd = 0x008800C6, srcInvert = 0x00660046;
constexpr QRgb iconColour = qRgb(0, 160, 0);

// The AND mask (white around a 16 x 16 square in the middle) as the upper half, black
// below it, rows bottom-up as icon resources store them.
EmfWriter::Bitmap stackedMask()
{
    QList<QByteArray> rows;
    for (int y = 0; y < 32; ++y) {
        QByteArray row(32, '1');
        if (y >= 8 && y < 24)
            row.replace(8, 16, QByteArray(16, '0'));
        rows << row;
    }
    for (int y = 0; y < 32; ++y)
        rows << QByteArray(32, '0');
    return EmfWriter::monochrome(rows);
}

// The colour image: the icon's colour in the square, black around it.
EmfWriter::Bitmap iconImage()
{
    EmfWriter::Bitmap image = EmfWriter::filled(32, 32, qRgb(0, 0, 0));
    for (int y = 8; y < 24; ++y) {
        const int stored = 31 - y;
        for (int x = 8; x < 24; ++x)
            image.rows.replace(stored * 96 + x * 3, 3, EmfWriter::bgr(iconColour));
    }
    return image;
}

QByteArray packed(const EmfWriter::Bitmap &bitmap)
{
    return bitmap.info() + bitmap.rows;
}

struct RecordCase {
    const char *name;
    QByteArray (*make)();
    friend std::ostream &operator<<(std::ostream &out, const RecordCase &c) { return out << c.name; }
};

class StackedIcon : public ::testing::TestWithParam<RecordCase> {};

TEST_P(StackedIcon, ShowsOnWhiteWithoutABlackBox)
{
    const QByteArray file = GetParam().make();
    const QImage shown = picture::renderMetafile(reinterpret_cast<const unsigned char *>(file.constData()),
                                                 std::size_t(file.size()), QSize(48, 48), QStringLiteral("icon"))
                             .image.convertToFormat(QImage::Format_RGB32);
    // The icon is drawn at 8,8 - 40,40: its square at 16,16 - 32,32.
    EXPECT_EQ(shown.pixel(24, 24), iconColour);
    for (const QPoint outside : {QPoint(10, 10), QPoint(37, 12), QPoint(12, 37), QPoint(37, 37), QPoint(2, 2)})
        EXPECT_EQ(shown.pixel(outside), qRgb(255, 255, 255)) << outside.x() << "," << outside.y();
}

INSTANTIATE_TEST_SUITE_P(Records, StackedIcon, ::testing::Values(
    RecordCase{"WmfDibStretchBlt", [] {
        WmfWriter wmf;
        wmf.dibStretchBlt(8, 8, 32, 32, packed(stackedMask()), 0, 0, 32, 32, srcAnd);
        wmf.dibStretchBlt(8, 8, 32, 32, packed(iconImage()), 0, 0, 32, 32, srcInvert);
        return wmf.finish();
    }},
    RecordCase{"WmfDibBitBlt", [] {
        WmfWriter wmf;
        wmf.dibBitBlt(8, 8, 32, 32, packed(stackedMask()), 0, 0, srcAnd);
        wmf.dibBitBlt(8, 8, 32, 32, packed(iconImage()), 0, 0, srcInvert);
        return wmf.finish();
    }},
    RecordCase{"WmfStretchDibFromTheBottomRow", [] {
        WmfWriter wmf;
        wmf.stretchDib(8, 8, 32, 32, packed(stackedMask()), 0, 32, 32, 32, srcAnd);
        wmf.stretchDib(8, 8, 32, 32, packed(iconImage()), 0, 0, 32, 32, srcInvert);
        return wmf.finish();
    }},
    RecordCase{"EmfBitBlt", [] {
        EmfWriter emf;
        emf.stretchBlt(8, 8, 32, 32, stackedMask(), QRect(0, 0, 32, 32), srcAnd, false);
        emf.stretchBlt(8, 8, 32, 32, iconImage(), QRect(0, 0, 32, 32), srcInvert, false);
        return emf.finish();
    }},
    RecordCase{"EmfStretchBlt", [] {
        EmfWriter emf;
        emf.stretchBlt(8, 8, 32, 32, stackedMask(), QRect(0, 0, 32, 32), srcAnd);
        emf.stretchBlt(8, 8, 32, 32, iconImage(), QRect(0, 0, 32, 32), srcInvert);
        return emf.finish();
    }},
    RecordCase{"EmfStretchDiBitsFromTheBottomRow", [] {
        // The upper half of a bottom-up bitmap starts 32 rows up from its bottom row.
        EmfWriter emf;
        emf.stretchDiBits(8, 8, 32, 32, stackedMask(), QRect(0, 32, 32, 32), srcAnd);
        emf.stretchDiBits(8, 8, 32, 32, iconImage(), QRect(0, 0, 32, 32), srcInvert);
        return emf.finish();
    }}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
