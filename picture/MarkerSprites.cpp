#include "picture/MarkerSprites.h"

#include <QPainter>
#include <cmath>

namespace picture {
namespace {

constexpr double steps = 4; // a quarter of a pixel
constexpr std::size_t maxSprites = 4096;

int quantised(double value)
{
    return int(std::lround(value * steps));
}

} // namespace

const QImage &MarkerSprites::ellipse(const QRectF &outputRect, const QPen &pen, const QBrush &brush, QPoint &topLeft)
{
    const QRectF rect = outputRect.normalized();
    const double left = std::floor(rect.left()), top = std::floor(rect.top());
    const int margin = int(std::ceil(pen.widthF() / 2)) + 1;
    topLeft = QPoint(int(left) - margin, int(top) - margin);
    const Key key {quantised(rect.left() - left), quantised(rect.top() - top), quantised(rect.width()),
                   quantised(rect.height()), pen.style() == Qt::NoPen ? 0 : pen.color().rgba(),
                   brush.style() == Qt::NoBrush ? 0 : brush.color().rgba(), int(pen.style()), quantised(pen.widthF())};
    const auto found = m_sprites.find(key);
    if (found != m_sprites.end())
        return found->second;
    if (m_sprites.size() >= maxSprites)
        m_sprites.clear();
    const double x = std::get<0>(key) / steps, y = std::get<1>(key) / steps;
    const double width = std::get<2>(key) / steps, height = std::get<3>(key) / steps;
    const int side = int(std::ceil(std::max(width, height) + 1)) + 2 * margin;
    QImage sprite(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.drawEllipse(QRectF(margin + x, margin + y, width, height));
    painter.end();
    return m_sprites.emplace(key, std::move(sprite)).first->second;
}

} // namespace picture
