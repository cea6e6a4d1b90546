// Raster operations in Windows metafiles, as spreadsheet previews write them: the old
// device-dependent bitmap records and the binary line and fill modes.

#include "WmfWriter.h"
#include "picture/MetafileRenderer.h"

#include <gmock/gmock.h>

namespace {

QImage render(const QByteArray &wmf)
{
    return picture::renderMetafile(reinterpret_cast<const unsigned char *>(wmf.constData()), std::size_t(wmf.size()),
                                   QSize(48, 48), QStringLiteral("made.wmf"))
        .image.convertToFormat(QImage::Format_RGB32);
}

WmfWriter blueSquare()
{
    WmfWriter wmf;
    wmf.nullPen();
    wmf.solidBrush(qRgb(0, 0, 255));
    wmf.rectangle(10, 10, 30, 30);
    return wmf;
}

TEST(WmfRaster, MonochromePixelStretchedOverThePage)
{
    const QImage plain = render(blueSquare().finish());
    ASSERT_EQ(plain.pixel(20, 20), qRgb(0, 0, 255));
    ASSERT_EQ(plain.pixel(40, 40), qRgb(255, 255, 255));
    // Its 0 bit takes the text colour, black: ORed over the page it changes nothing.
    WmfWriter ored = blueSquare();
    ored.stretchMonoPixel(0, 0, 48, 48, false, 0x00EE0086);
    EXPECT_EQ(render(ored.finish()), plain);
    // Copied, it blacks the page; its 1 bit, the background colour, whitens it.
    for (const auto &[bit, colour] : {std::pair{false, qRgb(0, 0, 0)}, std::pair{true, qRgb(255, 255, 255)}}) {
        WmfWriter copied = blueSquare();
        copied.stretchMonoPixel(0, 0, 48, 48, bit, 0x00CC0020);
        EXPECT_EQ(render(copied.finish()).pixel(20, 20), colour);
    }
}

TEST(WmfRaster, BinaryModeInvertsUnderAFill)
{
    WmfWriter wmf = blueSquare();
    wmf.setRop2(6); // R2_NOT
    wmf.rectangle(0, 0, 48, 48);
    const QImage shown = render(wmf.finish());
    EXPECT_EQ(shown.pixel(20, 20), qRgb(255, 255, 0));
    EXPECT_EQ(shown.pixel(40, 40), qRgb(0, 0, 0));
}

} // namespace
