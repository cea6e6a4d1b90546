#pragma once
// Writes small Windows metafiles record by record, for tests that need a drawing made
// to order.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QtEndian>
#include <cstdint>
#include <initializer_list>

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
    // A pen left in the table, not selected.
    void createPen(int style, int width) { record(0x02FA, {std::uint16_t(style), std::uint16_t(width), 0, 0, 0}); }
    void selectPen(int index) { select(index); }
    void excludeClipRect(int left, int top, int right, int bottom)
    {
        record(0x0415, {std::uint16_t(bottom), std::uint16_t(right), std::uint16_t(top), std::uint16_t(left)});
    }
    void lineTo(int x, int y) { record(0x0213, {std::uint16_t(y), std::uint16_t(x)}); }
    // POLYGON (16-bit points, as every WMF record has).
    void polygon16(const QList<QPoint> &points)
    {
        QList<std::uint16_t> words{std::uint16_t(points.size())};
        for (const QPoint &point : points)
            words << std::uint16_t(point.x()) << std::uint16_t(point.y());
        record(0x0324, words);
    }
    // DIBSTRETCHBLT of `source` (counted from the top, as in a device context) of a
    // packed bitmap (its header, colours and rows).
    void dibStretchBlt(int x, int y, int width, int height, const QByteArray &packedBitmap, int sourceX, int sourceY,
                       int sourceWidth, int sourceHeight, std::uint32_t rop)
    {
        bitmapRecord(0x0B41, {std::uint16_t(rop), std::uint16_t(rop >> 16), std::uint16_t(sourceHeight),
                              std::uint16_t(sourceWidth), std::uint16_t(sourceY), std::uint16_t(sourceX),
                              std::uint16_t(height), std::uint16_t(width), std::uint16_t(y), std::uint16_t(x)},
                     packedBitmap);
    }
    // DIBBITBLT: the source is as large as the target.
    void dibBitBlt(int x, int y, int width, int height, const QByteArray &packedBitmap, int sourceX, int sourceY,
                   std::uint32_t rop)
    {
        bitmapRecord(0x0940, {std::uint16_t(rop), std::uint16_t(rop >> 16), std::uint16_t(sourceY), std::uint16_t(sourceX),
                              std::uint16_t(height), std::uint16_t(width), std::uint16_t(y), std::uint16_t(x)},
                     packedBitmap);
    }
    // STRETCHDIB of `source` counted from the bitmap's origin (its bottom row when bottom-up).
    void stretchDib(int x, int y, int width, int height, const QByteArray &packedBitmap, int sourceX, int sourceY,
                    int sourceWidth, int sourceHeight, std::uint32_t rop)
    {
        bitmapRecord(0x0F43, {std::uint16_t(rop), std::uint16_t(rop >> 16), 0, std::uint16_t(sourceHeight),
                              std::uint16_t(sourceWidth), std::uint16_t(sourceY), std::uint16_t(sourceX),
                              std::uint16_t(height), std::uint16_t(width), std::uint16_t(y), std::uint16_t(x)},
                     packedBitmap);
    }
    // The size of the object table the header gives; by default, the objects made.
    void setObjectCount(int count) { m_objectCount = count; }
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
        qToLittleEndian<std::uint16_t>(std::uint16_t(m_objectCount >= 0 ? m_objectCount : m_objects), file.data() + 10);
        file += m_records;
        file += QByteArray("\x03\x00\x00\x00\x00\x00", 6);
        qToLittleEndian<std::uint32_t>(std::uint32_t(file.size() / 2), file.data() + 6);
        return file;
    }

private:
    void bitmapRecord(std::uint16_t function, QList<std::uint16_t> words, const QByteArray &packedBitmap)
    {
        for (qsizetype i = 0; i + 1 < packedBitmap.size(); i += 2)
            words << qFromLittleEndian<std::uint16_t>(packedBitmap.constData() + i);
        record(function, words);
    }
    void select(int index) { record(0x012D, {std::uint16_t(index)}); }
    void record(std::uint16_t function, const QList<std::uint16_t> &words)
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
    int m_objectCount = -1;
};
