// Raster operations in Windows metafiles, as spreadsheet previews write them: the old
// device-dependent bitmap records and the binary line and fill modes.

#include "picture/MetafileRenderer.h"

#include <QtEndian>
#include <initializer_list>
#include <gmock/gmock.h>

namespace {

// A plain metafile of 16-bit records on a 48 x 48 window.
class WmfWriter {
public:
    WmfWriter() { record(0x020C, {48, 48}); }

    void nullPen()
    {
        record(0x02FA, {5, 0, 0, 0, 0});
        select(m_objects++);
    }
    void solidBrush(QRgb colour)
    {
        record(0x02FC, {0, std::uint16_t(qRed(colour) | qGreen(colour) << 8), std::uint16_t(qBlue(colour)), 0});
        select(m_objects++);
    }
    void rectangle(int left, int top, int right, int bottom)
    {
        record(0x041B, {std::uint16_t(bottom), std::uint16_t(right), std::uint16_t(top), std::uint16_t(left)});
    }
    void setRop2(int mode) { record(0x0104, {std::uint16_t(mode)}); }
    // An old STRETCHBLT of a one-pixel monochrome bitmap whose bit is `bit`.
    void stretchMonoPixel(int x, int y, int width, int height, bool bit, std::uint32_t rop)
    {
        record(0x0B23, {std::uint16_t(rop), std::uint16_t(rop >> 16), 1, 1, 0, 0, std::uint16_t(height),
                        std::uint16_t(width), std::uint16_t(y), std::uint16_t(x),
                        0, 1, 1, 2, 0x0101, std::uint16_t(bit ? 0x80 : 0)});
    }
    QByteArray finish() const
    {
        QByteArray file(18, '\0');
        qToLittleEndian<std::uint16_t>(1, file.data());
        qToLittleEndian<std::uint16_t>(9, file.data() + 2);
        qToLittleEndian<std::uint16_t>(0x0300, file.data() + 4);
        qToLittleEndian<std::uint16_t>(std::uint16_t(m_objects), file.data() + 10);
        file += m_records;
        file += QByteArray("\x03\x00\x00\x00\x00\x00", 6);
        qToLittleEndian<std::uint32_t>(std::uint32_t(file.size() / 2), file.data() + 6);
        return file;
    }

private:
    void select(int index) { record(0x012D, {std::uint16_t(index)}); }
    void record(std::uint16_t function, std::initializer_list<std::uint16_t> words)
    {
        QByteArray bytes(6, '\0');
        qToLittleEndian<std::uint32_t>(std::uint32_t(3 + words.size()), bytes.data());
        qToLittleEndian<std::uint16_t>(function, bytes.data() + 4);
        for (std::uint16_t word : words) {
            char b[2];
            qToLittleEndian(word, b);
            bytes.append(b, 2);
        }
        m_records += bytes;
    }
    QByteArray m_records;
    int m_objects = 0;
};

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
