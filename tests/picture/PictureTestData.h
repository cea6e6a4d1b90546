#pragma once
// The pictures made by other programs for these tests (see data/README.md), and
// comparing a decoded picture with a reference rendering.

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <QString>

inline QString pictureData(const QString &name)
{
    return QStringLiteral(KESTRAVA_PICTURE_DATA "/") + name;
}

inline QImage referenceImage(const QString &name)
{
    return QImage(pictureData(name));
}

struct ImageDifference {
    double meanAbsolute = 0; // per channel, 0-255
    double farFraction = 0;  // share of pixels with a channel more than 64 apart
};

// Both pictures are put on white and reduced to `size` before comparing, so that
// edges drawn a pixel apart or smoothed differently do not count.
inline ImageDifference compareImages(const QImage &actual, const QImage &expected, const QSize &size)
{
    const auto prepare = [&](const QImage &image) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        return flat.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage a = prepare(actual), b = prepare(expected);
    double total = 0;
    qint64 far = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int dr = std::abs(qRed(p) - qRed(q)), dg = std::abs(qGreen(p) - qGreen(q)), db = std::abs(qBlue(p) - qBlue(q));
            total += dr + dg + db;
            far += std::max({dr, dg, db}) > 64;
        }
    }
    const double pixels = double(size.width()) * size.height();
    return ImageDifference{total / (3 * pixels), far / pixels};
}
