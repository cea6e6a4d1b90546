#pragma once
// Writes small enhanced metafiles record by record, for tests that need a drawing
// made to order. The picture is `side` pixels square at 96 pixels an inch, so that
// logical units, device pixels and the pixels of a rendering at that size coincide.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtEndian>
#include <cstdint>
#include <cstring>
#include <initializer_list>

class EmfWriter {
public:
    enum : std::uint32_t { nullPen = 0x80000008, defaultPalette = 0x8000000F };

    explicit EmfWriter(int side = 48)
    {
        const std::int32_t frame = side * 2540 / 96;
        begin(1);
        i32s({0, 0, side - 1, side - 1, 0, 0, frame, frame});
        u32s({0x464D4520, 0x10000, 0, 0});
        u16(64);
        u16(0);
        u32s({0, 0, 0, 960, 960, 254, 254});
        end();
    }

    // Sets the whole finished file.
    QByteArray finish()
    {
        begin(14);
        u32s({0, 16, 20});
        end();
        QByteArray file = m_data;
        qToLittleEndian<std::uint32_t>(std::uint32_t(file.size()), file.data() + 48);
        qToLittleEndian<std::uint32_t>(m_records, file.data() + 52);
        return file;
    }

    void select(std::uint32_t index) { record(37, {index}); }
    void setRop2(int mode) { record(20, {std::uint32_t(mode)}); }
    void setTextColour(QRgb colour) { record(24, {ref(colour)}); }
    void setBackgroundColour(QRgb colour) { record(25, {ref(colour)}); }
    void setBackgroundMode(int mode) { record(18, {std::uint32_t(mode)}); }
    void setTextAlign(unsigned align) { record(22, {align}); }
    void solidBrush(std::uint32_t index, QRgb colour) { record(39, {index, 0, ref(colour), 0}); }
    void rectangle(int left, int top, int right, int bottom)
    {
        begin(43);
        i32s({left, top, right, bottom});
        end();
    }
    void pen(std::uint32_t index, QRgb colour, int width, std::uint32_t style = 0)
    {
        begin(38);
        u32s({index, style});
        i32s({width, 0});
        u32(ref(colour));
        end();
    }
    void setWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy)
    {
        begin(35);
        floats({m11, m12, m21, m22, dx, dy});
        end();
    }
    void modifyWorldTransform(float m11, float m12, float m21, float m22, float dx, float dy, std::uint32_t mode)
    {
        begin(36);
        floats({m11, m12, m21, m22, dx, dy});
        u32(mode);
        end();
    }
    void excludeClipRect(int left, int top, int right, int bottom) { box(29, left, top, right, bottom); }
    void intersectClipRect(int left, int top, int right, int bottom) { box(30, left, top, right, bottom); }
    // EXTSELECTCLIPRGN with a region of rectangles in device pixels.
    void clipRegion(const QList<QRect> &rects, std::uint32_t mode)
    {
        begin(75);
        u32s({std::uint32_t(32 + 16 * rects.size()), mode, 32, 1, std::uint32_t(rects.size()), std::uint32_t(16 * rects.size())});
        i32s({0, 0, 0, 0});
        for (const QRect &rect : rects)
            i32s({rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1});
        end();
    }
    // POLYGON with 32-bit points.
    void polygon(const QList<QPoint> &points)
    {
        begin(3);
        i32s({0, 0, -1, -1, int(points.size())});
        for (const QPoint &point : points)
            i32s({point.x(), point.y()});
        end();
    }
    // POLYGON16 with 16-bit points.
    void polygon16(const QList<QPoint> &points) { shortPoints(86, points); }
    // ARCTO: a line from the current position to the arc's start, then the arc.
    void arcTo(const QRect &box, const QPoint &start, const QPoint &end)
    {
        begin(55);
        i32s({box.left(), box.top(), box.right(), box.bottom(), start.x(), start.y(), end.x(), end.y()});
        this->end();
    }
    // POLYPOLYGON16 with 16-bit points.
    void polyPolygon(const QList<QList<QPoint>> &polygons)
    {
        begin(91);
        qsizetype total = 0;
        for (const auto &polygon : polygons)
            total += polygon.size();
        i32s({0, 0, -1, -1, int(polygons.size()), int(total)});
        for (const auto &polygon : polygons)
            u32(std::uint32_t(polygon.size()));
        for (const auto &polygon : polygons)
            for (const QPoint &point : polygon) {
                u16(std::uint16_t(point.x()));
                u16(std::uint16_t(point.y()));
            }
        end();
    }
    void moveTo(int x, int y) { record(27, {std::uint32_t(x), std::uint32_t(y)}); }
    // POLYLINETO16 from the current position.
    void polylineTo(const QList<QPoint> &points) { shortPoints(89, points); }
    void beginPath() { record(59, {}); }
    void endPath() { record(60, {}); }
    void strokePath() { record(64, {0, 0, 0, 0}); }
    void ellipse(int left, int top, int right, int bottom)
    {
        begin(42);
        i32s({left, top, right, bottom});
        end();
    }
    void polyline(const QList<QPoint> &points)
    {
        begin(87);
        i32s({0, 0, -1, -1, int(points.size())});
        for (const QPoint &point : points) {
            u16(std::uint16_t(point.x()));
            u16(std::uint16_t(point.y()));
        }
        end();
    }
    void selectPalette(std::uint32_t index) { record(48, {index}); }
    void palette(std::uint32_t index, const QList<QRgb> &colours)
    {
        begin(49);
        u32(index);
        u16(0x300);
        u16(std::uint16_t(colours.size()));
        for (QRgb colour : colours)
            u32(ref(colour));
        end();
    }

    // A packed bitmap: a BITMAPINFOHEADER, its colour table (colours, or 16-bit palette
    // indices, or nothing), then rows bottom-up, each padded to four bytes.
    struct Bitmap {
        int width = 1, height = 1, bitCount = 24;
        QByteArray table;
        QByteArray rows;
        std::uint32_t usage = 0; // 1: the table holds palette indices
        std::uint32_t coloursUsed = 0; // 0: as many as the bit count allows
        QByteArray info() const
        {
            QByteArray header(40, '\0');
            qToLittleEndian<std::uint32_t>(40, header.data());
            qToLittleEndian<std::int32_t>(width, header.data() + 4);
            qToLittleEndian<std::int32_t>(height, header.data() + 8);
            qToLittleEndian<std::uint16_t>(1, header.data() + 12);
            qToLittleEndian<std::uint16_t>(std::uint16_t(bitCount), header.data() + 14);
            qToLittleEndian<std::uint32_t>(coloursUsed, header.data() + 32);
            return header + table;
        }
    };
    // Every pixel of `width` x `height` the one colour, 24 bits.
    static Bitmap filled(int width, int height, QRgb colour)
    {
        Bitmap bitmap {width, height, 24, {}, {}, 0};
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int x = 0; x < width; ++x)
                row += bgr(colour);
            bitmap.rows += padded(row);
        }
        return bitmap;
    }
    // Rows given top-down as strings of '0' and '1', one bit a pixel, colours 0 and 1.
    static Bitmap monochrome(const QList<QByteArray> &topDown, QRgb zero = qRgb(0, 0, 0), QRgb one = qRgb(255, 255, 255))
    {
        Bitmap bitmap {int(topDown.first().size()), int(topDown.size()), 1, {}, {}, 0};
        bitmap.table = colourTable({zero, one});
        for (qsizetype y = topDown.size() - 1; y >= 0; --y) {
            QByteArray row((topDown[y].size() + 7) / 8, '\0');
            for (qsizetype x = 0; x < topDown[y].size(); ++x)
                if (topDown[y][x] == '1')
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            bitmap.rows += padded(row);
        }
        return bitmap;
    }
    static QByteArray colourTable(const QList<QRgb> &colours)
    {
        QByteArray table;
        for (QRgb colour : colours)
            table += bgr(colour) + '\0';
        return table;
    }
    static QByteArray bgr(QRgb colour)
    {
        const char bytes[3] = {char(qBlue(colour)), char(qGreen(colour)), char(qRed(colour))};
        return QByteArray(bytes, 3);
    }
    static QByteArray padded(QByteArray row)
    {
        while (row.size() % 4)
            row += '\0';
        return row;
    }

    void stretchDiBits(int x, int y, int width, int height, const Bitmap &bitmap, std::uint32_t rop)
    {
        stretchDiBits(x, y, width, height, bitmap, QRect(0, 0, bitmap.width, bitmap.height), rop);
    }
    // `source` counted from the bitmap's origin (its bottom row for a bottom-up bitmap).
    void stretchDiBits(int x, int y, int width, int height, const Bitmap &bitmap, const QRect &source, std::uint32_t rop)
    {
        const QByteArray info = bitmap.info();
        begin(81);
        i32s({x, y, x + width - 1, y + height - 1, x, y, source.x(), source.y(), source.width(), source.height()});
        u32s({80, std::uint32_t(info.size()), std::uint32_t(80 + info.size()), std::uint32_t(bitmap.rows.size()),
              bitmap.usage, rop});
        i32s({width, height});
        m_data += info + bitmap.rows;
        end();
    }
    // A blit without a bitmap: the brush and the page only.
    void patBlt(int x, int y, int width, int height, std::uint32_t rop)
    {
        begin(76);
        i32s({x, y, x + width - 1, y + height - 1, x, y, width, height});
        u32(rop);
        i32s({0, 0});
        floats({1, 0, 0, 1, 0, 0});
        u32s({0, 0, 0, 0, 0, 0});
        end();
    }
    // Blends a 32-bit bitmap (premultiplied with alpha when `perPixel`) at `constant` alpha.
    void alphaBlend(int x, int y, int width, int height, const Bitmap &bitmap, int constant, bool perPixel)
    {
        const QByteArray info = bitmap.info();
        begin(114);
        i32s({x, y, x + width - 1, y + height - 1, x, y, width, height});
        u32(std::uint32_t(constant) << 16 | (perPixel ? 1u : 0u) << 24);
        i32s({0, 0});
        floats({1, 0, 0, 1, 0, 0});
        u32s({0, 0, 108, std::uint32_t(info.size()), std::uint32_t(108 + info.size()), std::uint32_t(bitmap.rows.size())});
        i32s({bitmap.width, bitmap.height});
        m_data += info + bitmap.rows;
        end();
    }
    // EMR_STRETCHBLT of `source` (counted from the top, as in a device context) of the
    // bitmap; EMR_BITBLT when `stretched` is false (the source as large as the target).
    void stretchBlt(int x, int y, int width, int height, const Bitmap &bitmap, const QRect &source, std::uint32_t rop,
                    bool stretched = true)
    {
        const QByteArray info = bitmap.info();
        const std::uint32_t offset = stretched ? 108 : 100;
        begin(stretched ? 77 : 76);
        i32s({x, y, x + width - 1, y + height - 1, x, y, width, height});
        u32(rop);
        i32s({source.x(), source.y()});
        floats({1, 0, 0, 1, 0, 0});
        u32s({0, 0, offset, std::uint32_t(info.size()), std::uint32_t(offset + info.size()), std::uint32_t(bitmap.rows.size())});
        if (stretched)
            i32s({source.width(), source.height()});
        m_data += info + bitmap.rows;
        end();
    }
    void monoBrush(std::uint32_t index, const Bitmap &bitmap)
    {
        const QByteArray info = bitmap.info();
        begin(93);
        u32s({index, 0, 32, std::uint32_t(info.size()), std::uint32_t(32 + info.size()), std::uint32_t(bitmap.rows.size())});
        m_data += info + bitmap.rows;
        end();
    }
    void font(std::uint32_t index, const QString &face, int height, int charset)
    {
        begin(82);
        u32(index);
        i32s({height, 0, 0, 0, 400});
        QByteArray flags(8, '\0');
        flags[3] = char(charset);
        m_data += flags;
        QByteArray name(64, '\0');
        for (qsizetype i = 0; i < face.size() && i < 31; ++i)
            qToLittleEndian<std::uint16_t>(face[i].unicode(), name.data() + 2 * i);
        m_data += name;
        end();
    }
    // Text at (x, y), as bytes (ExtTextOutA) or UTF-16 units (ExtTextOutW), with an
    // advance for each byte or unit, or none.
    void text(int x, int y, const QByteArray &bytes, const QList<int> &advances)
    {
        textRecord(83, x, y, bytes, int(bytes.size()), advances);
    }
    void text(int x, int y, const QString &units, const QList<int> &advances)
    {
        QByteArray raw(units.size() * 2, '\0');
        for (qsizetype i = 0; i < units.size(); ++i)
            qToLittleEndian<std::uint16_t>(units[i].unicode(), raw.data() + 2 * i);
        textRecord(84, x, y, raw, int(units.size()), advances);
    }
    // EMR_SMALLTEXTOUT at (x, y) without a box: one byte a character when `smallChars`
    // is set, UTF-16 units otherwise.
    void smallText(int x, int y, const QString &text, bool smallChars)
    {
        QByteArray raw;
        for (const QChar c : text) {
            raw.append(char(c.unicode() & 0xFF));
            if (!smallChars)
                raw.append(char(c.unicode() >> 8));
        }
        begin(108);
        i32s({x, y, int(text.size())});
        u32s({0x100u | (smallChars ? 0x200u : 0u), 1});
        floats({1, 1});
        m_data += padded(raw);
        end();
    }
    // A comment record holding an EMF+ record, as GDI+ writes them.
    void emfPlusComment()
    {
        begin(70);
        u32s({12, 0x2B464D45, 0x00014001, 12});
        end();
    }

private:
    // A record of a bounding box, a count and 16-bit points.
    void shortPoints(std::uint32_t type, const QList<QPoint> &points)
    {
        begin(type);
        i32s({0, 0, -1, -1, int(points.size())});
        for (const QPoint &point : points) {
            u16(std::uint16_t(point.x()));
            u16(std::uint16_t(point.y()));
        }
        end();
    }
    void textRecord(std::uint32_t type, int x, int y, const QByteArray &string, int count, const QList<int> &advances)
    {
        const QByteArray stored = padded(string);
        begin(type);
        i32s({0, 0, -1, -1});
        u32(1);
        floats({1, 1});
        i32s({x, y, count});
        u32s({76, 0});
        i32s({0, 0, -1, -1});
        u32(advances.isEmpty() ? 0 : std::uint32_t(76 + stored.size()));
        m_data += stored;
        for (int i = 0; i < count && !advances.isEmpty(); ++i)
            i32s({advances.value(i)});
        end();
    }
    void box(std::uint32_t type, int left, int top, int right, int bottom)
    {
        begin(type);
        i32s({left, top, right, bottom});
        end();
    }
    static std::uint32_t ref(QRgb colour) { return std::uint32_t(qRed(colour) | qGreen(colour) << 8 | qBlue(colour) << 16); }
    void record(std::uint32_t type, std::initializer_list<std::uint32_t> values)
    {
        begin(type);
        u32s(values);
        end();
    }
    void begin(std::uint32_t type)
    {
        m_start = m_data.size();
        u32(type);
        u32(0);
    }
    void end()
    {
        m_data = padded(m_data);
        qToLittleEndian<std::uint32_t>(std::uint32_t(m_data.size() - m_start), m_data.data() + m_start + 4);
        ++m_records;
    }
    void u16(std::uint16_t value) { char b[2]; qToLittleEndian(value, b); m_data.append(b, 2); }
    void u32(std::uint32_t value) { char b[4]; qToLittleEndian(value, b); m_data.append(b, 4); }
    void u32s(std::initializer_list<std::uint32_t> values) { for (auto v : values) u32(v); }
    void i32s(std::initializer_list<std::int32_t> values) { for (auto v : values) u32(std::uint32_t(v)); }
    void floats(std::initializer_list<float> values)
    {
        for (float v : values) {
            std::uint32_t bits;
            std::memcpy(&bits, &v, 4);
            u32(bits);
        }
    }

    QByteArray m_data;
    qsizetype m_start = 0;
    std::uint32_t m_records = 0;
};
