#include "picture/GdiPlayer.h"

#include "picture/FontEncoding.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace picture {
namespace {

constexpr std::size_t maxObjects = 65536;
constexpr std::size_t maxSavedStates = 1024;
constexpr double everywhere = 1e7;
constexpr double defaultFontDevicePixels = 16;

double determinant(const QTransform &t)
{
    return t.m11() * t.m22() - t.m12() * t.m21();
}

QPainterPath rectPath(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    return path;
}

QPolygonF withStart(const QPointF &start, const QPolygonF &points)
{
    QPolygonF all;
    all.reserve(points.size() + 1);
    all << start << points;
    return all;
}

void addBeziers(QPainterPath &path, const QPolygonF &controls, qsizetype from)
{
    for (qsizetype i = from; i + 2 < controls.size(); i += 3)
        path.cubicTo(controls[i], controls[i + 1], controls[i + 2]);
}

} // namespace

GdiPlayer::GdiPlayer(QPainter *painter)
    : m_painter(painter)
{
}

// ----- mapping -----

void GdiPlayer::setWindowExt(const QSizeF &extent)
{
    if (extent.width() != 0 && extent.height() != 0)
        m_state.windowExt = extent;
}

void GdiPlayer::setViewportOrg(const QPointF &origin)
{
    if (m_viewportHonoured)
        m_state.viewportOrg = origin;
}

void GdiPlayer::setViewportExt(const QSizeF &extent)
{
    if (m_viewportHonoured && extent.width() != 0 && extent.height() != 0)
        m_state.viewportExt = extent;
}

void GdiPlayer::offsetViewportOrg(const QPointF &offset)
{
    if (m_viewportHonoured)
        m_state.viewportOrg += offset;
}

void GdiPlayer::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setWindowExt(QSizeF(m_state.windowExt.width() * xNum / xDenom, m_state.windowExt.height() * yNum / yDenom));
}

void GdiPlayer::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    if (xDenom != 0 && yDenom != 0)
        setViewportExt(QSizeF(m_state.viewportExt.width() * xNum / xDenom, m_state.viewportExt.height() * yNum / yDenom));
}

void GdiPlayer::modifyWorldTransform(const QTransform &transform, int mode)
{
    switch (mode) {
    case 1: m_state.world = QTransform(); break;
    case 2: m_state.world = transform * m_state.world; break;
    case 3: m_state.world = m_state.world * transform; break;
    case 4: m_state.world = transform; break;
    default: break;
    }
}

QTransform GdiPlayer::pageTransform() const
{
    double sx = 1, sy = 1;
    const auto metric = [&](double millimetresPerUnit) {
        sx = millimetresPerUnit * m_pixelsPerMm.width();
        sy = -millimetresPerUnit * m_pixelsPerMm.height();
    };
    switch (m_state.mapMode) {
    case gdi::mmLoMetric: metric(0.1); break;
    case gdi::mmHiMetric: metric(0.01); break;
    case gdi::mmLoEnglish: metric(0.254); break;
    case gdi::mmHiEnglish: metric(0.0254); break;
    case gdi::mmTwips: metric(25.4 / 1440); break;
    case gdi::mmIsotropic:
    case gdi::mmAnisotropic:
        sx = m_state.viewportExt.width() / m_state.windowExt.width();
        sy = m_state.viewportExt.height() / m_state.windowExt.height();
        if (m_state.mapMode == gdi::mmIsotropic) {
            const double uniform = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(uniform, sx);
            sy = std::copysign(uniform, sy);
        }
        break;
    default: break;
    }
    return QTransform(sx, 0, 0, sy,
                      m_state.viewportOrg.x() - m_state.windowOrg.x() * sx,
                      m_state.viewportOrg.y() - m_state.windowOrg.y() * sy);
}

QTransform GdiPlayer::logicalToOutput() const
{
    return m_state.world * pageTransform() * m_deviceToOutput;
}

double GdiPlayer::outputScale() const
{
    return std::sqrt(std::abs(determinant(logicalToOutput())));
}

// ----- objects -----

void GdiPlayer::resizeObjectTable(std::size_t size)
{
    m_objects.resize(std::min(size, maxObjects));
    m_used.resize(m_objects.size());
}

void GdiPlayer::storeObject(std::size_t index, GdiObject object)
{
    if (index >= maxObjects)
        return;
    if (index >= m_objects.size())
        m_objects.resize(index + 1);
    m_objects[index] = std::move(object);
    m_used.resize(m_objects.size());
    m_used[index] = true;
}

int GdiPlayer::storeObjectInFreeSlot(GdiObject object)
{
    m_used.resize(m_objects.size());
    for (std::size_t index = 0; index < m_objects.size(); ++index) {
        if (!m_used[index]) {
            storeObject(index, std::move(object));
            return int(index);
        }
    }
    return -1;
}

void GdiPlayer::selectObject(std::size_t index)
{
    if (index >= m_objects.size() || index >= m_used.size() || !m_used[index])
        return;
    const GdiObject &object = m_objects[index];
    if (const auto *pen = std::get_if<GdiPen>(&object))
        m_state.pen = *pen;
    else if (const auto *brush = std::get_if<GdiBrush>(&object))
        m_state.brush = *brush;
    else if (const auto *font = std::get_if<GdiFont>(&object))
        m_state.font = *font;
}

void GdiPlayer::selectPalette(std::size_t index)
{
    if (index < m_objects.size() && index < m_used.size() && m_used[index])
        if (const auto *palette = std::get_if<GdiPalette>(&m_objects[index]))
            m_state.palette = palette->colours;
}

void GdiPlayer::selectStockObject(unsigned stock)
{
    const auto brush = [&](QColor colour, unsigned style = gdi::bsSolid) { m_state.brush = GdiBrush{style, colour, 0, {}}; };
    const auto pen = [&](QColor colour, unsigned style = gdi::psSolid) { m_state.pen = GdiPen{style, 0, colour}; };
    switch (stock) {
    case 0: brush(Qt::white); break;
    case 1: brush(QColor(0xC0, 0xC0, 0xC0)); break;
    case 2: brush(QColor(0x80, 0x80, 0x80)); break;
    case 3: brush(QColor(0x40, 0x40, 0x40)); break;
    case 4: brush(Qt::black); break;
    case 5: brush(Qt::black, gdi::bsNull); break;
    case 6: pen(Qt::white); break;
    case 7: pen(Qt::black); break;
    case 8: pen(Qt::black, gdi::psNull); break;
    case 10: case 11: case 12: case 13: case 14: case 16: case 17: m_state.font = GdiFont(); break;
    default: break;
    }
}

void GdiPlayer::deleteObject(std::size_t index)
{
    if (index < m_used.size()) {
        m_used[index] = false;
        m_objects[index] = GdiPlaceholder();
    }
}

// ----- drawing -----

QPen GdiPlayer::outputPen() const
{
    const GdiPen &pen = m_state.pen;
    const unsigned style = pen.style & gdi::psStyleMask;
    if (style == gdi::psNull)
        return Qt::NoPen;
    QPen result(pen.colour);
    result.setWidthF(std::max(1.0, pen.width * outputScale()));
    switch (style) {
    case gdi::psDash: result.setStyle(Qt::DashLine); break;
    case gdi::psDot: result.setStyle(Qt::DotLine); break;
    case gdi::psDashDot: result.setStyle(Qt::DashDotLine); break;
    case gdi::psDashDotDot: result.setStyle(Qt::DashDotDotLine); break;
    default: break;
    }
    const unsigned cap = pen.style & gdi::psEndCapMask;
    result.setCapStyle(cap == gdi::psEndCapFlat ? Qt::FlatCap : cap == gdi::psEndCapSquare ? Qt::SquareCap : Qt::RoundCap);
    const unsigned join = pen.style & gdi::psJoinMask;
    result.setJoinStyle(join == gdi::psJoinMiter ? Qt::MiterJoin : join == gdi::psJoinBevel ? Qt::BevelJoin : Qt::RoundJoin);
    return result;
}

QBrush GdiPlayer::outputBrush() const
{
    const GdiBrush &brush = m_state.brush;
    switch (brush.style) {
    case gdi::bsNull: return Qt::NoBrush;
    case gdi::bsHatched: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern, Qt::VerPattern, Qt::FDiagPattern,
                                                     Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(brush.colour, brush.hatch < 6 ? hatches[brush.hatch] : Qt::SolidPattern);
    }
    case gdi::bsPattern:
    case gdi::bsDibPattern:
    case gdi::bsDibPatternPt:
        if (brush.pattern.isNull())
            return QBrush(brush.colour);
        if (brush.monochrome && brush.pattern.colorCount() == 2) {
            QImage coloured = brush.pattern;
            coloured.setColorTable({m_state.textColour.rgb(), m_state.backgroundColour.rgb()});
            return QBrush(coloured.convertToFormat(QImage::Format_RGB32));
        }
        return QBrush(brush.pattern);
    default: return QBrush(brush.colour);
    }
}

void GdiPlayer::measure(const QRectF &outputRect)
{
    m_measured = m_measured.isNull() ? outputRect : m_measured.united(outputRect);
}

void GdiPlayer::applyClip()
{
    m_painter->resetTransform();
    if (m_appliedClip == m_clipVersion)
        return;
    if (m_state.clipped)
        m_painter->setClipPath(m_state.clip);
    else
        m_painter->setClipping(false);
    m_appliedClip = m_clipVersion;
}

void GdiPlayer::renderPath(const QPainterPath &output, bool fill, bool stroke)
{
    const QPen pen = stroke ? outputPen() : QPen(Qt::NoPen);
    const QBrush brush = fill ? outputBrush() : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    if (!m_painter) {
        const double margin = pen.style() == Qt::NoPen ? 0 : pen.widthF() / 2;
        measure(output.boundingRect().adjusted(-margin, -margin, margin, margin));
        return;
    }
    QPainterPath shape = output;
    shape.setFillRule(m_state.fillRule);
    if (m_state.rop2 != gdi::r2CopyPen) {
        const double margin = pen.style() == Qt::NoPen ? 0 : pen.widthF() / 2 + 1;
        combineWithPage(shape.boundingRect().adjusted(-margin, -margin, margin, margin),
                        RasterOperation::fromBinary(m_state.rop2), [&](QPainter &layer) {
                            layer.setPen(pen);
                            layer.setBrush(brush);
                            layer.drawPath(shape);
                        });
        return;
    }
    applyClip();
    m_painter->setPen(pen);
    m_painter->setBrush(brush);
    m_painter->drawPath(shape);
}

bool GdiPlayer::drawsDirectly() const
{
    return m_painter && !m_state.inPath && m_state.rop2 == gdi::r2CopyPen;
}

bool GdiPlayer::setUpDirectDrawing(bool fill, bool stroke)
{
    // Drawn through the painter's transform, shapes are not copied; the pen keeps its
    // width in output pixels.
    QPen pen = stroke ? outputPen() : QPen(Qt::NoPen);
    const QBrush brush = fill ? outputBrush() : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return false;
    pen.setCosmetic(true);
    applyClip();
    m_painter->setTransform(logicalToOutput());
    m_painter->setPen(pen);
    m_painter->setBrush(brush);
    return true;
}

void GdiPlayer::drawShape(const QPainterPath &logical, bool fill, bool stroke)
{
    if (drawsDirectly()) {
        if (!setUpDirectDrawing(fill, stroke))
            return;
        if (logical.fillRule() == m_state.fillRule) {
            m_painter->drawPath(logical);
        } else {
            QPainterPath shape = logical;
            shape.setFillRule(m_state.fillRule);
            m_painter->drawPath(shape);
        }
        return;
    }
    const QTransform toOutput = logicalToOutput();
    if (m_state.inPath) {
        m_state.path.addPath(toOutput.map(logical));
        return;
    }
    if (!m_painter) {
        measureShape(logical.controlPointRect(), fill, stroke);
        return;
    }
    renderPath(toOutput.map(logical), fill, stroke);
}

void GdiPlayer::measureShape(const QRectF &logicalBounds, bool fill, bool stroke)
{
    const bool stroked = stroke && (m_state.pen.style & gdi::psStyleMask) != gdi::psNull;
    const bool filled = fill && m_state.brush.style != gdi::bsNull;
    if (!stroked && !filled)
        return;
    const double margin = stroked ? std::max(1.0, m_state.pen.width * outputScale()) / 2 : 0;
    measure(logicalToOutput().mapRect(logicalBounds).adjusted(-margin, -margin, margin, margin));
}

void GdiPlayer::moveTo(const QPointF &point)
{
    m_state.current = point;
    if (m_state.inPath)
        m_state.path.moveTo(logicalToOutput().map(point));
}

void GdiPlayer::lineTo(const QPointF &point)
{
    polylineTo(QPolygonF{point});
}

void GdiPlayer::polyline(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPainterPath path;
    path.addPolygon(points);
    drawShape(path, false, true);
}

void GdiPlayer::polylineTo(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    if (m_state.inPath) {
        const QTransform toOutput = logicalToOutput();
        if (m_state.path.elementCount() == 0)
            m_state.path.moveTo(toOutput.map(m_state.current));
        for (const QPointF &point : points)
            m_state.path.lineTo(toOutput.map(point));
    } else {
        QPainterPath path;
        path.addPolygon(withStart(m_state.current, points));
        renderPath(logicalToOutput().map(path), false, true);
    }
    m_state.current = points.last();
}

void GdiPlayer::polygon(const QPolygonF &points)
{
    polyPolygon({points});
}

void GdiPlayer::polyPolygon(const QList<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &points : polygons) {
        if (points.size() < 2)
            continue;
        path.addPolygon(points);
        path.closeSubpath();
    }
    drawShape(path, true, true);
}

void GdiPlayer::polyPolyline(const QList<QPolygonF> &polylines)
{
    QPainterPath path;
    for (const QPolygonF &points : polylines)
        path.addPolygon(points);
    drawShape(path, false, true);
}

void GdiPlayer::polyBezier(const QPolygonF &points)
{
    if (points.isEmpty())
        return;
    QPainterPath path(points.first());
    addBeziers(path, points, 1);
    drawShape(path, false, true);
}

void GdiPlayer::polyBezierTo(const QPolygonF &points)
{
    if (points.size() < 3)
        return;
    if (m_state.inPath) {
        const QTransform toOutput = logicalToOutput();
        if (m_state.path.elementCount() == 0)
            m_state.path.moveTo(toOutput.map(m_state.current));
        addBeziers(m_state.path, toOutput.map(points), 0);
    } else {
        QPainterPath path(m_state.current);
        addBeziers(path, points, 0);
        renderPath(logicalToOutput().map(path), false, true);
    }
    m_state.current = points[points.size() - 1 - (points.size() % 3)];
}

void GdiPlayer::polyDraw(const QPolygonF &points, const QList<unsigned> &types)
{
    QPainterPath path(m_state.current);
    for (qsizetype i = 0; i < points.size() && i < types.size(); ++i) {
        const unsigned type = types[i] & ~gdi::ptCloseFigure;
        if (type == gdi::ptMoveTo) {
            path.moveTo(points[i]);
        } else if (type == gdi::ptBezierTo && i + 2 < points.size()) {
            path.cubicTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            path.lineTo(points[i]);
        }
        if (types[i] & gdi::ptCloseFigure)
            path.closeSubpath();
    }
    if (!points.isEmpty())
        m_state.current = points.last();
    drawShape(path, false, true);
}

void GdiPlayer::rectangle(const QRectF &rect)
{
    drawShape(rectPath(rect), true, true);
}

void GdiPlayer::roundRectangle(const QRectF &rect, const QSizeF &corner)
{
    QPainterPath path;
    path.addRoundedRect(rect.normalized(), std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    drawShape(path, true, true);
}

void GdiPlayer::ellipse(const QRectF &rect)
{
    if (drawsDirectly()) {
        if (setUpDirectDrawing(true, true))
            m_painter->drawEllipse(rect.normalized());
        return;
    }
    if (!m_painter && !m_state.inPath) {
        measureShape(rect.normalized(), true, true);
        return;
    }
    QPainterPath path;
    path.addEllipse(rect.normalized());
    drawShape(path, true, true);
}

QPainterPath GdiPlayer::arcPath(const QRectF &bounds, const QPointF &start, const QPointF &end, ArcKind kind) const
{
    const QRectF rect = bounds.normalized();
    const QPointF centre = rect.center();
    const auto angleOf = [&](const QPointF &point) {
        const double dx = (point.x() - centre.x()) / std::max(rect.width() / 2, 1e-9);
        const double dy = (point.y() - centre.y()) / std::max(rect.height() / 2, 1e-9);
        return std::atan2(-dy, dx) * 180 / M_PI;
    };
    const double from = angleOf(start);
    double sweep = angleOf(end) - from;
    while (sweep <= 0)
        sweep += 360;
    // Arcs run anticlockwise as seen on the output, also where the mapping mirrors.
    if (determinant(logicalToOutput()) < 0)
        sweep -= 360;
    QPainterPath path;
    if (kind == ArcKind::Pie)
        path.moveTo(centre);
    else
        path.arcMoveTo(rect, from);
    path.arcTo(rect, from, sweep);
    if (kind != ArcKind::Arc)
        path.closeSubpath();
    return path;
}

void GdiPlayer::arc(const QRectF &rect, const QPointF &start, const QPointF &end, ArcKind kind)
{
    drawShape(arcPath(rect, start, end, kind), kind != ArcKind::Arc, true);
}

void GdiPlayer::arcTo(const QRectF &rect, const QPointF &start, const QPointF &end)
{
    const QPainterPath arc = arcPath(rect, start, end, ArcKind::Arc);
    QPainterPath path(m_state.current);
    path.lineTo(arc.elementAt(0));
    path.connectPath(arc);
    m_state.current = path.currentPosition();
    drawShape(path, false, true);
}

void GdiPlayer::setPixel(const QPointF &point, const QColor &colour)
{
    const QPointF output = logicalToOutput().map(point);
    const QRectF pixel(output, QSizeF(1, 1));
    if (!m_painter) {
        measure(pixel);
        return;
    }
    applyClip();
    m_painter->fillRect(pixel, colour);
}

// ----- text -----

void GdiPlayer::textOut(const QPointF &reference, const QByteArray &bytes, const QList<double> &advances,
                        const QRectF &opaqueRect, const QRectF &clipRect)
{
    const FontEncoding encoding(m_state.font.face, m_state.font.charset);
    drawText(reference, encoding.fromBytes(bytes, advances), opaqueRect, clipRect);
}

void GdiPlayer::textOut(const QPointF &reference, const QString &units, const QList<double> &advances,
                        const QRectF &opaqueRect, const QRectF &clipRect)
{
    const FontEncoding encoding(m_state.font.face, m_state.font.charset);
    drawText(reference, encoding.fromUnits(units, advances), opaqueRect, clipRect);
}

void GdiPlayer::drawText(const QPointF &reference, const DrawnText &drawn, const QRectF &opaqueRect, const QRectF &clipRect)
{
    const QString text = drawn.joined();
    const QList<double> &advances = drawn.advances;
    const QTransform toOutput = logicalToOutput();
    if (opaqueRect.isValid()) {
        const QPainterPath area = toOutput.map(rectPath(opaqueRect));
        if (!m_painter)
            measure(area.boundingRect());
        else {
            applyClip();
            m_painter->fillPath(area, m_state.backgroundColour);
        }
    }
    if (text.isEmpty())
        return;

    const bool updateCurrent = m_state.textAlign & gdi::taUpdateCp;
    const QPointF origin = toOutput.map(updateCurrent ? m_state.current : reference);
    const QPointF xAxis = toOutput.map(QPointF(1, 0)) - toOutput.map(QPointF(0, 0));
    const QPointF yAxis = toOutput.map(QPointF(0, 1)) - toOutput.map(QPointF(0, 0));
    const double horizontalScale = std::hypot(xAxis.x(), xAxis.y());
    const double verticalScale = std::hypot(yAxis.x(), yAxis.y());

    QFont font(drawn.family);
    font.setWeight(QFont::Weight(std::clamp(m_state.font.weight == 0 ? 400 : m_state.font.weight, 100, 900)));
    font.setItalic(m_state.font.italic);
    font.setUnderline(m_state.font.underline);
    font.setStrikeOut(m_state.font.strikeOut);
    double pixels = std::abs(m_state.font.height) * verticalScale;
    if (m_state.font.height == 0)
        pixels = defaultFontDevicePixels * std::sqrt(std::abs(determinant(m_deviceToOutput)));
    if (m_state.font.height > 0) {
        // A positive height is the whole cell: ascent and descent together.
        font.setPixelSize(100);
        const QFontMetricsF probe(font);
        pixels *= 100 / std::max(1.0, probe.ascent() + probe.descent());
    }
    if (pixels < 0.5)
        return;
    const double outputExtent = m_painter ? std::max(m_painter->device()->width(), m_painter->device()->height()) : 1e5;
    font.setPixelSize(std::max(1, int(std::lround(std::min(pixels, 4 * outputExtent)))));
    const QFontMetricsF metrics(font);

    double width = 0;
    QList<double> offsets;
    if (!advances.isEmpty() && advances.size() >= drawn.places.size()) {
        for (qsizetype i = 0; i < drawn.places.size(); ++i) {
            offsets << width;
            width += advances[i] * horizontalScale;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    double x = 0;
    switch (m_state.textAlign & gdi::taHorizontalMask) {
    case gdi::taCenter: x = -width / 2; break;
    case gdi::taRight: x = -width; break;
    default: break;
    }
    double y = metrics.ascent();
    switch (m_state.textAlign & gdi::taVerticalMask) {
    case gdi::taBaseline: y = 0; break;
    case gdi::taBottom: y = -metrics.descent(); break;
    default: break;
    }
    if (updateCurrent && horizontalScale > 0)
        m_state.current += QPointF(width / horizontalScale, 0);

    const double angle = std::atan2(xAxis.y(), xAxis.x()) * 180 / M_PI - m_state.font.escapement / 10;
    QTransform placement;
    placement.translate(origin.x(), origin.y());
    placement.rotate(angle);
    const QRectF box(x, y - metrics.ascent(), width, metrics.ascent() + metrics.descent());
    if (!m_painter) {
        measure(placement.mapRect(box));
        return;
    }
    applyClip();
    if (clipRect.isValid()) {
        m_painter->setClipPath(toOutput.map(rectPath(clipRect)), Qt::IntersectClip);
        m_appliedClip = -1;
    }
    m_painter->setTransform(placement);
    if (!m_state.transparentBackground)
        m_painter->fillRect(box, m_state.backgroundColour);
    m_painter->setFont(font);
    m_painter->setPen(m_state.textColour);
    if (offsets.isEmpty()) {
        m_painter->drawText(QPointF(x, y), text);
    } else {
        for (qsizetype i = 0; i < drawn.places.size(); ++i)
            m_painter->drawText(QPointF(x + offsets[i], y), drawn.places[i]);
    }
}

// ----- bitmaps -----

void GdiPlayer::drawImage(const QRectF &target, const QImage &image, const QRectF &source, unsigned rasterOperation)
{
    if (image.isNull())
        return;
    const RasterOperation operation = RasterOperation::fromTernary(rasterOperation);
    if (!operation.usesSource()) {
        patternFill(target, rasterOperation);
        return;
    }
    const QTransform toOutput = logicalToOutput();
    if (!m_painter) {
        measure(toOutput.mapRect(target.normalized()));
        return;
    }
    const QImage shown = image.mirrored(target.width() < 0, target.height() < 0);
    if (operation.isSourceCopy()) {
        applyClip();
        m_painter->setTransform(toOutput);
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform);
        m_painter->drawImage(target.normalized(), shown, source);
        return;
    }
    // Masks and the images drawn over them must meet pixel for pixel: no smoothing.
    const QImage opaque = shown.convertToFormat(QImage::Format_RGB32);
    combineWithPage(toOutput.mapRect(target.normalized()), operation, [&](QPainter &layer) {
        layer.setTransform(toOutput, true);
        layer.drawImage(target.normalized(), opaque, source);
    });
}

void GdiPlayer::patternFill(const QRectF &target, unsigned rasterOperation)
{
    const QPainterPath area = logicalToOutput().map(rectPath(target));
    if (!m_painter) {
        measure(area.boundingRect());
        return;
    }
    const RasterOperation operation = RasterOperation::fromTernary(rasterOperation);
    if (operation.usesSource())
        return; // the source would be another device's pixels, which a metafile does not hold
    if (operation.isPatternCopy()) {
        applyClip();
        m_painter->fillPath(area, outputBrush());
        return;
    }
    combineWithPage(area.boundingRect(), operation, [&](QPainter &layer) { layer.fillPath(area, Qt::white); });
}

void GdiPlayer::alphaBlend(const QRectF &target, const QImage &image, const QRectF &source, int constantAlpha)
{
    if (image.isNull())
        return;
    const QTransform toOutput = logicalToOutput();
    if (!m_painter) {
        measure(toOutput.mapRect(target.normalized()));
        return;
    }
    applyClip();
    m_painter->setTransform(toOutput);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform);
    m_painter->setOpacity(std::clamp(constantAlpha, 0, 255) / 255.0);
    m_painter->drawImage(target.normalized(), image.mirrored(target.width() < 0, target.height() < 0), source);
    m_painter->setOpacity(1);
}

void GdiPlayer::combineWithPage(const QRectF &outputBounds, RasterOperation operation,
                                const std::function<void(QPainter &)> &paint)
{
    auto *page = dynamic_cast<QImage *>(m_painter->device());
    if (!page)
        return;
    const QRect bounds = outputBounds.toAlignedRect().intersected(page->rect());
    if (bounds.isEmpty())
        return;
    QImage layer(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.translate(-bounds.topLeft());
        if (m_state.clipped)
            painter.setClipPath(m_state.clip);
        paint(painter);
    }
    QImage pattern;
    if (operation.usesPattern()) {
        pattern = QImage(bounds.size(), QImage::Format_RGB32);
        pattern.fill(Qt::black);
        QPainter painter(&pattern);
        painter.translate(-bounds.topLeft());
        painter.fillRect(bounds, outputBrush());
    }
    const QPainter::RenderHints hints = m_painter->renderHints();
    m_painter->end();
    for (int y = 0; y < bounds.height(); ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        const auto *brush = pattern.isNull() ? nullptr : reinterpret_cast<const QRgb *>(pattern.constScanLine(y));
        auto *destination = reinterpret_cast<QRgb *>(page->scanLine(bounds.top() + y)) + bounds.left();
        for (int x = 0; x < bounds.width(); ++x) {
            const int coverage = qAlpha(source[x]);
            if (coverage == 0)
                continue;
            const QRgb below = destination[x];
            const QRgb result = operation.apply(brush ? brush[x] : 0, qUnpremultiply(source[x]), below) | 0xFF000000u;
            destination[x] = coverage == 255 ? result
                                             : qRgb((qRed(result) * coverage + qRed(below) * (255 - coverage)) / 255,
                                                    (qGreen(result) * coverage + qGreen(below) * (255 - coverage)) / 255,
                                                    (qBlue(result) * coverage + qBlue(below) * (255 - coverage)) / 255);
        }
    }
    m_painter->begin(page);
    m_appliedClip = -1;
    m_painter->setRenderHints(hints);
}

// ----- clipping -----

void GdiPlayer::combineClip(const QPainterPath &area, int mode)
{
    QPainterPath base = m_state.clip;
    if (!m_state.clipped)
        base = rectPath(QRectF(-everywhere, -everywhere, 2 * everywhere, 2 * everywhere));
    switch (mode) {
    case gdi::rgnAnd: m_state.clip = base.intersected(area); break;
    case gdi::rgnOr: m_state.clip = base.united(area); break;
    case gdi::rgnXor: m_state.clip = base.subtracted(area).united(area.subtracted(base)); break;
    case gdi::rgnDiff: m_state.clip = base.subtracted(area); break;
    case gdi::rgnCopy: m_state.clip = area; break;
    default: return;
    }
    m_state.clipped = true;
    ++m_clipVersion;
}

void GdiPlayer::intersectClipRect(const QRectF &rect)
{
    combineClip(logicalToOutput().map(rectPath(rect)), gdi::rgnAnd);
}

void GdiPlayer::excludeClipRect(const QRectF &rect)
{
    combineClip(logicalToOutput().map(rectPath(rect)), gdi::rgnDiff);
}

void GdiPlayer::offsetClip(const QPointF &offset)
{
    if (!m_state.clipped)
        return;
    const QTransform toOutput = logicalToOutput();
    const QPointF shift = toOutput.map(offset) - toOutput.map(QPointF(0, 0));
    m_state.clip.translate(shift);
    ++m_clipVersion;
}

void GdiPlayer::selectClipRegion(const QList<QRectF> &deviceRects, int mode)
{
    if (deviceRects.isEmpty() && mode == gdi::rgnCopy) {
        resetClip();
        return;
    }
    QPainterPath area;
    for (const QRectF &rect : deviceRects)
        area.addRect(rect.normalized());
    combineClip(m_deviceToOutput.map(area.simplified()), mode);
}

void GdiPlayer::resetClip()
{
    m_state.clip = QPainterPath();
    m_state.clipped = false;
    ++m_clipVersion;
}

// ----- paths -----

void GdiPlayer::beginPath()
{
    m_state.path = QPainterPath();
    m_state.inPath = true;
}

void GdiPlayer::abortPath()
{
    m_state.path = QPainterPath();
    m_state.inPath = false;
}

void GdiPlayer::closeFigure()
{
    if (m_state.inPath)
        m_state.path.closeSubpath();
}

void GdiPlayer::finishPath(bool fill, bool stroke)
{
    m_state.inPath = false;
    renderPath(m_state.path, fill, stroke);
    m_state.path = QPainterPath();
}

void GdiPlayer::selectClipPath(int mode)
{
    m_state.inPath = false;
    combineClip(m_state.path, mode);
    m_state.path = QPainterPath();
}

// ----- saved states -----

void GdiPlayer::saveDC()
{
    if (m_saved.size() < maxSavedStates)
        m_saved.push_back(m_state);
}

void GdiPlayer::restoreDC(int which)
{
    const qint64 target = which < 0 ? qint64(m_saved.size()) + which : qint64(which) - 1;
    if (target < 0 || target >= qint64(m_saved.size()))
        return;
    m_state = m_saved[std::size_t(target)];
    ++m_clipVersion;
    m_saved.resize(std::size_t(target));
}

} // namespace picture
