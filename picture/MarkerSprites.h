#pragma once
// Small ellipses (plot markers) drawn once per size, position within a pixel, pen and
// brush, then copied: a scatter plot of thousands of identical markers costs a copy of
// a few pixels each instead of a curve stroked and filled each time. Sizes and
// positions are taken to a quarter of a pixel, which no one can see at that size.

#include <QBrush>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRectF>
#include <map>
#include <tuple>

namespace picture {

class MarkerSprites {
public:
    // The ellipse filling `outputRect` (output pixels) as the painter would draw it
    // with `pen` (cosmetic) and a solid `brush`; `topLeft` is where the image goes.
    const QImage &ellipse(const QRectF &outputRect, const QPen &pen, const QBrush &brush, QPoint &topLeft);

private:
    using Key = std::tuple<int, int, int, int, QRgb, QRgb, int, int>;
    std::map<Key, QImage> m_sprites;
};

} // namespace picture
