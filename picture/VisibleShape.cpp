#include "picture/VisibleShape.h"

#include <QList>
#include <QLineF>
#include <cmath>

namespace picture {
namespace {

constexpr double shortestStep = 0.1;

// One side of the rectangle: which points are inside and where a segment crosses it.
struct Side {
    int axis;     // 0: x, 1: y
    double limit;
    bool keepAbove;
    bool inside(const QPointF &p) const
    {
        const double value = axis == 0 ? p.x() : p.y();
        return keepAbove ? value >= limit : value <= limit;
    }
    QPointF crossing(const QPointF &a, const QPointF &b) const
    {
        const double from = axis == 0 ? a.x() : a.y(), to = axis == 0 ? b.x() : b.y();
        const double t = (limit - from) / (to - from);
        return axis == 0 ? QPointF(limit, a.y() + t * (b.y() - a.y())) : QPointF(a.x() + t * (b.x() - a.x()), limit);
    }
};

QList<Side> sidesOf(const QRectF &rect)
{
    return {{0, rect.left(), true}, {0, rect.right(), false}, {1, rect.top(), true}, {1, rect.bottom(), false}};
}

void appendStep(QPolygonF &polygon, const QPointF &point)
{
    if (polygon.isEmpty() || QLineF(polygon.last(), point).length() >= shortestStep)
        polygon << point;
}

// The open polyline's pieces inside the rectangle (Liang-Barsky on each segment).
QList<QPolygonF> polylineInside(const QPolygonF &polyline, const QRectF &rect)
{
    QList<QPolygonF> pieces;
    QPolygonF current;
    for (qsizetype i = 0; i + 1 < polyline.size(); ++i) {
        const QPointF a = polyline[i], b = polyline[i + 1];
        const double dx = b.x() - a.x(), dy = b.y() - a.y();
        double t0 = 0, t1 = 1;
        bool visible = true;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {a.x() - rect.left(), rect.right() - a.x(), a.y() - rect.top(), rect.bottom() - a.y()};
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                visible = q[k] >= 0;
            } else {
                const double t = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, t);
                else
                    t1 = std::min(t1, t);
                visible = t0 <= t1;
            }
        }
        if (!visible) {
            if (current.size() > 1)
                pieces << current;
            current.clear();
            continue;
        }
        const QPointF from(a.x() + t0 * dx, a.y() + t0 * dy), to(a.x() + t1 * dx, a.y() + t1 * dy);
        if (current.isEmpty() || t0 > 0) {
            if (current.size() > 1)
                pieces << current;
            current = QPolygonF{from};
        }
        appendStep(current, to);
        if (t1 < 1) {
            if (current.size() > 1)
                pieces << current;
            current.clear();
        }
    }
    if (current.size() > 1)
        pieces << current;
    return pieces;
}

} // namespace

QPolygonF polygonInside(const QPolygonF &polygon, const QRectF &rect)
{
    // Sutherland-Hodgman, one side at a time.
    QPolygonF result = polygon;
    for (const Side &side : sidesOf(rect)) {
        if (result.isEmpty())
            break;
        const QPolygonF input = result;
        result.clear();
        QPointF previous = input.last();
        for (const QPointF &point : input) {
            if (side.inside(point)) {
                if (!side.inside(previous))
                    appendStep(result, side.crossing(previous, point));
                appendStep(result, point);
            } else if (side.inside(previous)) {
                appendStep(result, side.crossing(previous, point));
            }
            previous = point;
        }
    }
    return result;
}

QPainterPath visiblePart(const QPainterPath &path, const QRectF &rect, bool closed)
{
    if (rect.contains(path.controlPointRect()))
        return path;
    QPainterPath visible;
    visible.setFillRule(path.fillRule());
    for (const QPolygonF &figure : path.toSubpathPolygons()) {
        if (closed) {
            const QPolygonF inside = polygonInside(figure, rect);
            if (inside.size() > 2) {
                visible.addPolygon(inside);
                visible.closeSubpath();
            }
        } else {
            for (const QPolygonF &piece : polylineInside(figure, rect))
                visible.addPolygon(piece);
        }
    }
    return visible;
}

double outlineLength(const QPainterPath &path)
{
    double length = 0;
    for (const QPolygonF &figure : path.toSubpathPolygons())
        for (qsizetype i = 0; i + 1 < figure.size(); ++i)
            length += QLineF(figure[i], figure[i + 1]).length();
    return length;
}

} // namespace picture
