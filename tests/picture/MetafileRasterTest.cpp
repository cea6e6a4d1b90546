// Raster operations, alpha, mono brushes and palettes in metafiles made to order,
// checked pixel by pixel. The colours are chosen so that each channel shows the
// operation's whole truth table: with pattern 0xF0, source 0xCC and destination 0xAA
// in red, a ternary operation leaves its own index byte; green holds the complements,
// which leave the index with its bits reversed; blue holds zeros.

#include "EmfWriter.h"
#include "PictureTestData.h"
#include "picture/MetafileRenderer.h"
#include "picture/PictureError.h"

#include <gmock/gmock.h>

namespace {

constexpr int side = 48;
constexpr QRgb destination = 0xFFAA5500, pattern = 0xFFF00F00, source = 0xFFCC3300;

QImage render(const QByteArray &emf, const QSize &box = QSize(side, side))
{
    return picture::renderMetafile(reinterpret_cast<const unsigned char *>(emf.constData()), std::size_t(emf.size()),
                                   box, QStringLiteral("made.emf"))
        .image.convertToFormat(QImage::Format_RGB32);
}

unsigned reversedBits(unsigned value, int width)
{
    unsigned result = 0;
    for (int bit = 0; bit < width; ++bit)
        if (value & (1u << bit))
            result |= 1u << (width - 1 - bit);
    return result;
}

// The page painted `destination`, with a brush of colour `pattern` selected.
EmfWriter pageWithPattern()
{
    EmfWriter emf(side);
    emf.select(EmfWriter::nullPen);
    emf.solidBrush(1, destination);
    emf.select(1);
    emf.rectangle(-1, -1, side + 1, side + 1);
    emf.solidBrush(2, pattern);
    emf.select(2);
    return emf;
}

// Every pixel inside `inside` is `expected`, every other one the destination.
void expectOnlyInside(const QImage &image, const QRect &inside, QRgb expected, const char *name)
{
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            wrong += image.pixel(x, y) != (inside.contains(x, y) ? expected : destination);
    EXPECT_EQ(wrong, 0) << name << ": inside " << std::hex << image.pixel(inside.center()) << ", expected " << expected;
}

struct Ternary {
    const char *name;
    std::uint32_t code;
    friend std::ostream &operator<<(std::ostream &out, const Ternary &t) { return out << t.name; }
};

class TernaryOperations : public ::testing::TestWithParam<Ternary> {};

TEST_P(TernaryOperations, FollowTheTruthTable)
{
    const Ternary op = GetParam();
    const unsigned index = (op.code >> 16) & 0xFF;
    const QRgb expected = qRgb(int(index), int(reversedBits(index, 8)), index & 1 ? 255 : 0);
    const QRect area(8, 8, 24, 24);

    EmfWriter withBitmap = pageWithPattern();
    withBitmap.stretchDiBits(area.x(), area.y(), area.width(), area.height(), EmfWriter::filled(2, 2, source), op.code);
    expectOnlyInside(render(withBitmap.finish()), area, expected, op.name);

    if (((index >> 2) ^ index) & 0x33)
        return; // uses the source: needs a bitmap
    EmfWriter withoutBitmap = pageWithPattern();
    withoutBitmap.patBlt(area.x(), area.y(), area.width(), area.height(), op.code);
    expectOnlyInside(render(withoutBitmap.finish()), area, expected, op.name);
}

INSTANTIATE_TEST_SUITE_P(Named, TernaryOperations, ::testing::Values(
    Ternary{"SRCCOPY", 0x00CC0020}, Ternary{"SRCPAINT", 0x00EE0086}, Ternary{"SRCAND", 0x008800C6},
    Ternary{"SRCINVERT", 0x00660046}, Ternary{"SRCERASE", 0x00440328}, Ternary{"NOTSRCCOPY", 0x00330008},
    Ternary{"NOTSRCERASE", 0x001100A6}, Ternary{"MERGECOPY", 0x00C000CA}, Ternary{"MERGEPAINT", 0x00BB0226},
    Ternary{"PATCOPY", 0x00F00021}, Ternary{"PATPAINT", 0x00FB0A09}, Ternary{"PATINVERT", 0x005A0049},
    Ternary{"DSTINVERT", 0x00550009}, Ternary{"BLACKNESS", 0x00000042}, Ternary{"WHITENESS", 0x00FF0062},
    Ternary{"DSTCOPY", 0x00AA0029}, Ternary{"PSDPxax", 0x00B8074A}, Ternary{"DSna", 0x00220326}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(BinaryModes, AllSixteenFollowTheirTruthTables)
{
    // The drawing colour is 0xCC in red and 0x33 in green over 0xAA and 0x55: bit
    // 2 * drawn + page of (mode - 1) comes out, red in order, green reversed.
    const QRect area(8, 8, 32, 32);
    for (int mode = 1; mode <= 16; ++mode) {
        const unsigned table = unsigned(mode - 1);
        EmfWriter emf = pageWithPattern();
        emf.solidBrush(3, source);
        emf.select(3);
        emf.setRop2(mode);
        emf.rectangle(area.left(), area.top(), area.right() + 1, area.bottom() + 1);
        emf.setRop2(13);
        const QRgb expected = qRgb(int(table * 0x11), int(reversedBits(table, 4) * 0x11), table & 1 ? 255 : 0);
        expectOnlyInside(render(emf.finish()), area, expected, qPrintable(QStringLiteral("mode %1").arg(mode)));
    }
}

// The files that came out black: an icon drawn as a mask and an image, a spreadsheet
// preview that ORs black over its page, an alpha-blended icon, a mono-brush fill.
TEST(BlackBoxes, IconMaskThenImageShowsTheIconOnThePage)
{
    EmfWriter emf(side);
    const auto mask = EmfWriter::monochrome({"1111", "1001", "1001", "1111"});
    EmfWriter::Bitmap image = EmfWriter::filled(4, 4, qRgb(0, 0, 0));
    image.rows = EmfWriter::filled(4, 1, qRgb(0, 0, 0)).rows + EmfWriter::filled(4, 2, qRgb(255, 0, 0)).rows
               + EmfWriter::filled(4, 1, qRgb(0, 0, 0)).rows;
    // Red only where the mask is clear: the two middle columns of the two middle rows.
    for (int row = 1; row <= 2; ++row)
        for (int column : {0, 3})
            std::memset(image.rows.data() + row * 12 + column * 3, 0, 3);
    emf.stretchDiBits(0, 0, side, side, mask, 0x008800C6);
    emf.stretchDiBits(0, 0, side, side, image, 0x00660046);
    const QImage shown = render(emf.finish());
    EXPECT_EQ(shown.pixel(24, 24), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(24, 4), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(4, 24), qRgb(255, 255, 255));
}

TEST(BlackBoxes, BlackBitmapOredOverThePageChangesNothing)
{
    EmfWriter emf(side);
    emf.select(EmfWriter::nullPen);
    emf.solidBrush(1, qRgb(0, 0, 255));
    emf.select(1);
    emf.rectangle(10, 10, 30, 30);
    const QByteArray before = EmfWriter(emf).finish();
    emf.stretchDiBits(0, 0, side, side, EmfWriter::filled(1, 1, qRgb(0, 0, 0)), 0x00EE0086);
    EXPECT_EQ(render(emf.finish()), render(before));
    EXPECT_EQ(render(before).pixel(40, 40), qRgb(255, 255, 255));
}

TEST(BlackBoxes, AlphaBlendKeepsPerPixelAndConstantAlpha)
{
    // Left pixel: transparent. Right pixel: red at half alpha, premultiplied.
    EmfWriter::Bitmap bitmap {2, 1, 32, {}, QByteArray("\x00\x00\x00\x00\x00\x00\x80\x80", 8), 0};
    for (const auto &[constant, perPixel, left, right] : {
             std::tuple{255, true, qRgb(255, 255, 255), qRgb(255, 127, 127)},
             std::tuple{128, true, qRgb(255, 255, 255), qRgb(255, 191, 191)},
             std::tuple{128, false, qRgb(127, 127, 127), qRgb(191, 127, 127)}}) {
        EmfWriter emf(side);
        emf.alphaBlend(0, 0, side, side, bitmap, constant, perPixel);
        const QImage shown = render(emf.finish());
        const auto near = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2 && std::abs(qBlue(a) - qBlue(b)) <= 2;
        };
        EXPECT_TRUE(near(shown.pixel(10, 24), left)) << constant << perPixel << std::hex << " " << shown.pixel(10, 24);
        EXPECT_TRUE(near(shown.pixel(38, 24), right)) << constant << perPixel << std::hex << " " << shown.pixel(38, 24);
    }
}

TEST(BlackBoxes, MonoBrushTakesTextAndBackgroundColours)
{
    EmfWriter emf(side);
    emf.monoBrush(1, EmfWriter::monochrome({"01010101", "10101010", "01010101", "10101010",
                                            "01010101", "10101010", "01010101", "10101010"}));
    emf.setTextColour(qRgb(255, 0, 0));
    emf.setBackgroundColour(qRgb(0, 0, 255));
    emf.select(EmfWriter::nullPen);
    emf.select(1);
    emf.rectangle(0, 0, side, side);
    const QImage shown = render(emf.finish());
    int red = 0, blue = 0, other = 0;
    for (int y = 4; y < 44; ++y)
        for (int x = 4; x < 44; ++x) {
            const QRgb p = shown.pixel(x, y);
            (p == qRgb(255, 0, 0) ? red : p == qRgb(0, 0, 255) ? blue : other)++;
        }
    EXPECT_EQ(other, 0);
    EXPECT_EQ(red, blue);
}

TEST(Palettes, EightBitBitmapsTakeTheSelectedPalette)
{
    const QList<QRgb> palette {qRgb(0, 160, 0), qRgb(200, 0, 200)};
    EmfWriter::Bitmap indexed {1, 1, 8, {}, EmfWriter::padded(QByteArray(1, '\0')), 1};
    indexed.table = QByteArray("\x01\x00", 2); // colour 0 is palette entry 1
    EmfWriter::Bitmap tableless {1, 1, 8, {}, EmfWriter::padded(QByteArray(1, '\x01')), 0};
    for (const auto &[bitmap, expected] : {std::pair{indexed, palette[1]}, std::pair{tableless, palette[1]}}) {
        EmfWriter emf(side);
        emf.palette(1, palette);
        emf.selectPalette(1);
        emf.stretchDiBits(0, 0, side, side, bitmap, 0x00CC0020);
        EXPECT_EQ(render(emf.finish()).pixel(24, 24), expected);
    }
}

TEST(EmfPlus, AFileDrawnOnlyInEmfPlusSaysSo)
{
    EmfWriter emf(side);
    emf.emfPlusComment();
    const QByteArray onlyPlus = emf.finish();
    try {
        render(onlyPlus);
        FAIL() << "rendered blank";
    } catch (const picture::PictureError &error) {
        EXPECT_THAT(error.message().toStdString(), ::testing::HasSubstr("EMF+"));
    }
    // With GDI records beside them, those are drawn.
    emf = EmfWriter(side);
    emf.emfPlusComment();
    emf.select(EmfWriter::nullPen);
    emf.solidBrush(1, qRgb(0, 0, 255));
    emf.select(1);
    emf.rectangle(0, 0, side, side);
    EXPECT_EQ(render(emf.finish()).pixel(24, 24), qRgb(0, 0, 255));
}

} // namespace
