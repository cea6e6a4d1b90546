#pragma once
// The part of a shape that can be seen on the output, so that shapes reaching far
// beyond the page cost no more to draw than what shows of them.

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

namespace picture {

// The polygon cut to `rect` (a filled polygon keeps its look inside the rectangle).
QPolygonF polygonInside(const QPolygonF &polygon, const QRectF &rect);

// `path` (output coordinates) reduced to `rect`: unchanged when it lies inside,
// otherwise flattened and cut, its figures taken as closed (filled) or open (only
// stroked), steps shorter than a tenth of a pixel left out.
QPainterPath visiblePart(const QPainterPath &path, const QRectF &rect, bool closed);

// The length of the path's outline once flattened.
double outlineLength(const QPainterPath &path);

} // namespace picture
