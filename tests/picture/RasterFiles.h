#pragma once
// Writes small BMP, ICO and JPEG files to order, for the tests and the fuzzer.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QtEndian>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <jpeglib.h>

namespace raster {

inline QByteArray u16(std::uint16_t value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray u32(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A BMP file: its BITMAPINFOHEADER, colour table and pixel bytes as given.
inline QByteArray bmpFile(int width, int height, int bitCount, std::uint32_t compression, const QList<QRgb> &colours,
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

inline QByteArray pngOf(int side)
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
inline QByteArray iconFile(int count, int largest)
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
inline QByteArray manyScanJpeg(int side)
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
inline QByteArray hugeProgressiveJpeg()
{
    QByteArray jpeg = manyScanJpeg(16);
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    if (frame >= 0) {
        qToBigEndian<std::uint16_t>(19000, jpeg.data() + frame + 5);
        qToBigEndian<std::uint16_t>(19000, jpeg.data() + frame + 7);
    }
    return jpeg;
}

} // namespace raster
