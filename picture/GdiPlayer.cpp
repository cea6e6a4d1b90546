#include "picture/GdiPlayer.h"

#include "picture/FontEncoding.h"
#include "picture/RenderBudget.h"
#include "picture/VisibleShape.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace picture {
namespace {

constexpr std::size_t maxSavedStates = 1024;
constexpr double defaultFontDevicePixels = 16;
// Beyond this no coordinate of a mapping means anything on a page, and products of
// such coordinates stay finite.
constexpr double largestMappingElement = 1e12;
// Shapes of more elements than this are not drawn in one call: they are cut to what
// shows and stroked a piece at a time, so that the budget is checked in between.
constexpr int directElements = 512;
// Ellipses smaller than this across (plot markers) are drawn from sprites.
constexpr double smallShapePixels = 2;
// A pen this thin costs little whatever the length of its outline inside the output.
constexpr double thinPenPixels = 2;
constexpr int strokePieceElements = 128;
// More dashes than this on one outline cannot be told apart at preview size: the
// outline is drawn solid.
constexpr double maxDashes = 20000;
constexpr std::int64_t pathElementBytes = 48;
constexpr std::int64_t regionRectBytes = 32;
// What one character of text holds while it is laid out and drawn: its text and place,
// its advance and offset, its glyphs.
constexpr std::int64_t textCharacterBytes = 128;
// Text is measured and drawn in runs of this many characters, the budget checked between.
constexpr qsizetype textRunLength = 256;
// A fill of many edges is drawn in bands of output rows, each holding about this many
// edge rows, the budget checked between bands.
constexpr qint64 fillBandWork = 200000;

bool isUsable(const QTransform &t)
{
    for (double element : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()})
        if (!std::isfinite(element) || std::abs(element) > largestMappingElement)
            return false;
    return true;
}

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

// The pixels whose centres lie inside an output rectangle.
QRect coveredPixels(const QRectF &rect)
{
    const QRectF r = rect.normalized();
    const auto edge = [](double value) { return int(std::clamp(std::ceil(value - 0.5), -1e9, 1e9)); };
    return QRect(QPoint(edge(r.left()), edge(r.top())), QPoint(edge(r.right()) - 1, edge(r.bottom()) - 1));
}

// The region of many rectangles, united in pairs so that no step grows with their number.
QRegion unitedRegion(QList<QRegion> parts, const std::function<void()> &between)
{
    if (parts.isEmpty())
        return QRegion();
    while (parts.size() > 1) {
        QList<QRegion> merged;
        merged.reserve(parts.size() / 2 + 1);
        for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
            merged << parts[i].united(parts[i + 1]);
        if (parts.size() % 2)
            merged << parts.last();
        parts = std::move(merged);
        between();
    }
    return parts.first();
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

GdiPlayer::GdiPlayer(QPainter *painter, const RenderBudget *budget)
    : m_painter(painter)
    , m_budget(budget)
{
    if (m_painter && m_painter->device())
        m_output = QRect(0, 0, m_painter->device()->width(), m_painter->device()->height());
}

void GdiPlayer::checkBudget() const
{
    if (m_budget)
        m_budget->check();
}

void GdiPlayer::requireMemory(std::int64_t bytes) const
{
    if (!m_budget)
        return;
    const std::int64_t output = std::int64_t(m_output.width()) * m_output.height() * 4;
    const std::int64_t held = m_state.path.elementCount() * pathElementBytes
                            + m_state.clip.rectCount() * regionRectBytes + m_objectBytes;
    m_budget->requireMemory(output + held + bytes);
}

// ----- mapping -----

template <typename Change>
void GdiPlayer::changeMapping(Change change)
{
    const State before = m_state;
    change(m_state);
    m_toOutputKnown = false;
    if (!isUsable(logicalToOutput())) {
        m_state = before;
        m_toOutputKnown = false;
    }
}

void GdiPlayer::setMapMode(int mode)
{
    changeMapping([&](State &state) { state.mapMode = mode; });
}

void GdiPlayer::setWindowOrg(const QPointF &origin)
{
    changeMapping([&](State &state) { state.windowOrg = origin; });
}

void GdiPlayer::offsetWindowOrg(const QPointF &offset)
{
    changeMapping([&](State &state) { state.windowOrg += offset; });
}

void GdiPlayer::setWindowExt(const QSizeF &extent)
{
    if (extent.width() != 0 && extent.height() != 0)
        changeMapping([&](State &state) { state.windowExt = extent; });
}

void GdiPlayer::setViewportOrg(const QPointF &origin)
{
    if (m_viewportHonoured)
        changeMapping([&](State &state) { state.viewportOrg = origin; });
}

void GdiPlayer::setViewportExt(const QSizeF &extent)
{
    if (m_viewportHonoured && extent.width() != 0 && extent.height() != 0)
        changeMapping([&](State &state) { state.viewportExt = extent; });
}

void GdiPlayer::offsetViewportOrg(const QPointF &offset)
{
    if (m_viewportHonoured)
        changeMapping([&](State &state) { state.viewportOrg += offset; });
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

void GdiPlayer::setWorldTransform(const QTransform &transform)
{
    changeMapping([&](State &state) { state.world = transform; });
}

void GdiPlayer::modifyWorldTransform(const QTransform &transform, int mode)
{
    changeMapping([&](State &state) {
        switch (mode) {
        case 1: state.world = QTransform(); break;
        case 2: state.world = transform * state.world; break;
        case 3: state.world = state.world * transform; break;
        case 4: state.world = transform; break;
        default: break;
        }
    });
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

const QTransform &GdiPlayer::logicalToOutput() const
{
    if (!m_toOutputKnown) {
        m_toOutput = m_state.world * pageTransform() * m_deviceToOutput;
        m_toOutputKnown = true;
    }
    return m_toOutput;
}

double GdiPlayer::outputScale() const
{
    return std::sqrt(std::abs(determinant(logicalToOutput())));
}

// ----- objects -----

namespace {

std::int64_t imageBytes(const GdiObject &object)
{
    const auto *brush = std::get_if<GdiBrush>(&object);
    return brush ? brush->pattern.sizeInBytes() : 0;
}

} // namespace

void GdiPlayer::resizeObjectTable(std::size_t size)
{
    m_slots.resize(size);
    m_objects.resize(m_slots.size());
}

void GdiPlayer::storeObject(std::size_t index, GdiObject object)
{
    if (index >= ObjectSlots::maxSlots)
        return;
    if (index >= m_objects.size()) {
        m_slots.resize(index + 1);
        m_objects.resize(index + 1);
    }
    const std::int64_t bytes = imageBytes(object);
    requireMemory(bytes);
    m_objectBytes += bytes - imageBytes(m_objects[index]);
    m_objects[index] = std::move(object);
    m_slots.take(index);
}

int GdiPlayer::storeObjectInFreeSlot(GdiObject object)
{
    const std::size_t index = m_slots.lowestFree();
    if (index >= m_slots.size())
        return -1;
    storeObject(index, std::move(object));
    return int(index);
}

void GdiPlayer::selectObject(std::size_t index)
{
    if (!m_slots.isTaken(index))
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
    if (m_slots.isTaken(index))
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
    if (m_slots.isTaken(index)) {
        m_slots.release(index);
        m_objectBytes -= imageBytes(m_objects[index]);
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
    // A pen wider than the output covers it whatever its path; QPen takes no more than 2^15.
    const double widest = std::min(32767.0, m_painter ? 2.0 * (m_output.width() + m_output.height()) : 32767.0);
    result.setWidthF(std::clamp(pen.width * outputScale(), 1.0, std::max(1.0, widest)));
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
    m_directReady = false;
    m_painter->resetTransform();
    if (m_appliedClip == m_clipVersion)
        return;
    if (m_state.clipped)
        m_painter->setClipRegion(m_state.clip);
    else
        m_painter->setClipping(false);
    m_appliedClip = m_clipVersion;
}

QRectF GdiPlayer::visibleArea(double margin) const
{
    return QRectF(m_output).adjusted(-margin - 2, -margin - 2, margin + 2, margin + 2);
}

void GdiPlayer::renderPath(const QPainterPath &output, bool fill, bool stroke)
{
    QPen pen = stroke ? outputPen() : QPen(Qt::NoPen);
    const QBrush brush = fill ? outputBrush() : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    if (!m_painter) {
        const double margin = pen.style() == Qt::NoPen ? 0 : pen.widthF() / 2;
        measure(output.boundingRect().adjusted(-margin, -margin, margin, margin));
        return;
    }
    const double margin = pen.style() == Qt::NoPen ? 0 : pen.widthF();
    QPainterPath shape = visiblePart(output, visibleArea(margin), fill);
    shape.setFillRule(m_state.fillRule);
    if (pen.style() != Qt::NoPen && pen.style() != Qt::SolidLine) {
        const double period = 6 * pen.widthF(); // the longest dash and its gap
        if (outlineLength(shape) / period > maxDashes)
            pen.setStyle(Qt::SolidLine);
    }
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
    if (shape.elementCount() <= strokePieceElements || pen.style() == Qt::NoPen) {
        m_painter->setPen(pen);
        m_painter->setBrush(brush);
        m_painter->drawPath(shape);
        return;
    }
    if (brush.style() != Qt::NoBrush)
        fillInBands(shape, brush);
    m_painter->setPen(pen);
    m_painter->setBrush(Qt::NoBrush);
    strokeInPieces(shape);
}

void GdiPlayer::fillInBands(const QPainterPath &shape, const QBrush &brush)
{
    // Cut to a band, a filled shape keeps its look inside it; each band costs about
    // as many edges as the shape has, so the bands are the narrower the more it has.
    const QRectF bounds = shape.controlPointRect().intersected(QRectF(m_output));
    const qint64 elements = std::max(1, shape.elementCount());
    const int rows = int(std::clamp<qint64>(fillBandWork / elements, 1, 64));
    for (double top = std::floor(bounds.top()); top < bounds.bottom(); top += rows) {
        const QRectF band(QPointF(bounds.left() - 1, top), QPointF(bounds.right() + 1, top + rows));
        QPainterPath part = visiblePart(shape, band, true);
        part.setFillRule(shape.fillRule());
        m_painter->save();
        m_painter->setClipRect(band, Qt::IntersectClip);
        m_painter->fillPath(part, brush);
        m_painter->restore();
        checkBudget();
    }
}

void GdiPlayer::strokeInPieces(const QPainterPath &outline)
{
    QPainterPath piece;
    for (int i = 0; i < outline.elementCount(); ++i) {
        const QPainterPath::Element element = outline.elementAt(i);
        if (element.isMoveTo()) {
            piece.moveTo(element);
        } else if (element.isLineTo()) {
            piece.lineTo(element);
        } else if (element.isCurveTo() && i + 2 < outline.elementCount()) {
            piece.cubicTo(element, outline.elementAt(i + 1), outline.elementAt(i + 2));
            i += 2;
        }
        if (piece.elementCount() >= strokePieceElements) {
            m_painter->drawPath(piece);
            checkBudget();
            const QPointF last = piece.currentPosition();
            piece = QPainterPath(last);
        }
    }
    m_painter->drawPath(piece);
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
    const QTransform toOutput = logicalToOutput();
    if (m_directReady && m_appliedClip == m_clipVersion && toOutput == m_directTransform && pen == m_directPen
        && brush == m_directBrush)
        return true;
    applyClip();
    m_painter->setTransform(toOutput);
    m_painter->setPen(pen);
    m_painter->setBrush(brush);
    m_directTransform = toOutput;
    m_directPen = pen;
    m_directBrush = brush;
    m_directReady = true;
    return true;
}

bool GdiPlayer::drawnAsSmallEllipse(const QRectF &rect)
{
    const QRectF output = logicalToOutput().mapRect(rect.normalized());
    if (output.width() >= smallShapePixels || output.height() >= smallShapePixels)
        return false;
    const bool rectilinear = logicalToOutput().type() <= QTransform::TxScale;
    if (!rectilinear || !setUpDirectDrawing(true, true))
        return rectilinear;
    if (m_directBrush.style() != Qt::SolidPattern && m_directBrush.style() != Qt::NoBrush)
        return false;
    QPoint topLeft;
    const QImage &sprite = m_sprites.ellipse(output, m_directPen, m_directBrush, topLeft);
    if (m_directTransform.type() != QTransform::TxNone) {
        // The painter's transform is the only state the copy needs changed.
        m_painter->resetTransform();
        m_directTransform = QTransform();
    }
    m_painter->drawImage(topLeft, sprite);
    return true;
}

void GdiPlayer::drawShape(const QPainterPath &logical, bool fill, bool stroke)
{
    // Shapes wholly on the output, small or drawn with a thin pen, go straight to the
    // painter; others are cut to what shows first and stroked in pieces.
    const bool thinPen = !stroke || m_state.pen.width * outputScale() <= thinPenPixels;
    const bool noFill = !fill || m_state.brush.style == gdi::bsNull;
    if (drawsDirectly() && (logical.elementCount() <= directElements || (thinPen && noFill))
        && (m_state.pen.style & gdi::psStyleMask) == gdi::psSolid
        && visibleArea(0).contains(logicalToOutput().mapRect(logical.controlPointRect()))) {
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
        appendToPath(toOutput.map(logical));
        return;
    }
    if (!m_painter) {
        measureShape(logical.controlPointRect(), fill, stroke);
        return;
    }
    renderPath(toOutput.map(logical), fill, stroke);
}

void GdiPlayer::appendToPath(const QPainterPath &output)
{
    requireMemory(output.elementCount() * pathElementBytes);
    m_state.path.addPath(output);
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
        requireMemory(points.size() * pathElementBytes);
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
        requireMemory(points.size() * pathElementBytes);
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
    if (drawsDirectly() && (m_state.pen.style & gdi::psStyleMask) == gdi::psSolid
        && visibleArea(0).contains(logicalToOutput().mapRect(rect.normalized()))) {
        if (!drawnAsSmallEllipse(rect) && setUpDirectDrawing(true, true))
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
    // A box without area has no arc: the line goes to the box alone.
    if (arc.isEmpty()) {
        path.lineTo(rect.normalized().center());
    } else {
        path.lineTo(arc.elementAt(0));
        path.connectPath(arc);
    }
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
    requireMemory(bytes.size() * textCharacterBytes);
    const FontEncoding encoding(m_state.font.face, m_state.font.charset);
    drawText(reference, encoding.fromBytes(bytes, advances), opaqueRect, clipRect);
}

void GdiPlayer::textOut(const QPointF &reference, const QString &units, const QList<double> &advances,
                        const QRectF &opaqueRect, const QRectF &clipRect)
{
    requireMemory(units.size() * textCharacterBytes);
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
            m_painter->fillPath(visiblePart(area, visibleArea(0), true), m_state.backgroundColour);
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
    QStringList runs;
    if (!advances.isEmpty() && advances.size() >= drawn.places.size()) {
        for (qsizetype i = 0; i < drawn.places.size(); ++i) {
            offsets << width;
            width += advances[i] * horizontalScale;
        }
    } else {
        // Runs of the text, each measured and drawn on its own, a surrogate pair kept whole.
        for (qsizetype at = 0; at < text.size();) {
            qsizetype length = std::min(textRunLength, text.size() - at);
            if (at + length < text.size() && text[at + length - 1].isHighSurrogate())
                ++length;
            runs << text.mid(at, length);
            offsets << width;
            width += metrics.horizontalAdvance(runs.last());
            at += length;
            checkBudget();
        }
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
        m_painter->setClipRegion(outputRegion(toOutput.map(QPolygonF(clipRect))), Qt::IntersectClip);
        m_appliedClip = -1;
    }
    m_painter->setTransform(placement);
    if (!m_state.transparentBackground)
        m_painter->fillRect(box, m_state.backgroundColour);
    m_painter->setFont(font);
    m_painter->setPen(m_state.textColour);
    const QStringList &pieces = runs.isEmpty() ? drawn.places : runs;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        m_painter->drawText(QPointF(x + offsets[i], y), pieces[i]);
        if (!runs.isEmpty() || i % textRunLength == textRunLength - 1)
            checkBudget();
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
    const QPainterPath shown = visiblePart(area, visibleArea(0), true);
    if (operation.isPatternCopy()) {
        applyClip();
        m_painter->fillPath(shown, outputBrush());
        return;
    }
    combineWithPage(shown.boundingRect(), operation, [&](QPainter &layer) { layer.fillPath(shown, Qt::white); });
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
            painter.setClipRegion(m_state.clip);
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
    m_directReady = false;
    m_painter->setRenderHints(hints);
}

// ----- clipping -----
//
// The clip is a region of output pixels within the output, so that no sequence of
// clip records makes it more complex than the output has pixels. Measuring ignores it.

QRegion GdiPlayer::outputRegion(const QPolygonF &polygon, Qt::FillRule rule) const
{
    const QPolygonF inside = polygonInside(polygon, QRectF(m_output).adjusted(-1, -1, 1, 1));
    if (inside.size() < 3)
        return QRegion();
    // A rectangle, as most clip records give, keeps exactly the pixels whose centres it covers.
    const QRectF bounds = inside.boundingRect();
    const bool axisAligned = std::all_of(inside.begin(), inside.end(), [&](const QPointF &corner) {
        return (corner.x() == bounds.left() || corner.x() == bounds.right())
            && (corner.y() == bounds.top() || corner.y() == bounds.bottom());
    });
    if (axisAligned)
        return QRegion(coveredPixels(bounds)).intersected(m_output);
    return QRegion(inside.toPolygon(), rule).intersected(m_output);
}

QRegion GdiPlayer::outputRegion(const QPainterPath &path) const
{
    const QPainterPath inside = visiblePart(path, QRectF(m_output).adjusted(-1, -1, 1, 1), true);
    return outputRegion(inside.toFillPolygon(), path.fillRule());
}

void GdiPlayer::combineClip(const QRegion &area, int mode)
{
    const QRegion base = m_state.clipped ? m_state.clip : QRegion(m_output);
    switch (mode) {
    case gdi::rgnAnd: m_state.clip = base.intersected(area); break;
    case gdi::rgnOr: m_state.clip = base.united(area); break;
    case gdi::rgnXor: m_state.clip = base.xored(area); break;
    case gdi::rgnDiff: m_state.clip = base.subtracted(area); break;
    case gdi::rgnCopy: m_state.clip = area; break;
    default: return;
    }
    m_state.clipped = true;
    ++m_clipVersion;
    requireMemory(0);
}

void GdiPlayer::intersectClipRect(const QRectF &rect)
{
    if (m_painter)
        combineClip(outputRegion(logicalToOutput().map(QPolygonF(rect.normalized()))), gdi::rgnAnd);
}

void GdiPlayer::excludeClipRect(const QRectF &rect)
{
    if (m_painter)
        combineClip(outputRegion(logicalToOutput().map(QPolygonF(rect.normalized()))), gdi::rgnDiff);
}

void GdiPlayer::offsetClip(const QPointF &offset)
{
    if (!m_painter || !m_state.clipped)
        return;
    const QTransform toOutput = logicalToOutput();
    const QPointF shift = toOutput.map(offset) - toOutput.map(QPointF(0, 0));
    const double limit = m_output.width() + m_output.height() + 2.0;
    const QPoint pixels(int(std::clamp(std::round(shift.x()), -limit, limit)), int(std::clamp(std::round(shift.y()), -limit, limit)));
    m_state.clip = m_state.clip.translated(pixels).intersected(m_output);
    ++m_clipVersion;
}

void GdiPlayer::selectClipRegion(const QList<QRectF> &deviceRects, int mode)
{
    if (deviceRects.isEmpty() && mode == gdi::rgnCopy) {
        resetClip();
        return;
    }
    if (!m_painter)
        return;
    requireMemory(deviceRects.size() * regionRectBytes);
    QList<QRegion> parts;
    parts.reserve(deviceRects.size());
    for (const QRectF &rect : deviceRects) {
        const QRegion part = outputRegion(m_deviceToOutput.map(QPolygonF(rect.normalized())));
        if (!part.isEmpty())
            parts << part;
    }
    combineClip(unitedRegion(std::move(parts), [this] { checkBudget(); }), mode);
}

void GdiPlayer::resetClip()
{
    m_state.clip = QRegion();
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
    if (m_painter) {
        QPainterPath path = m_state.path;
        path.setFillRule(m_state.fillRule);
        combineClip(outputRegion(path), mode);
    }
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
    m_toOutputKnown = false;
    ++m_clipVersion;
    m_saved.resize(std::size_t(target));
}

} // namespace picture
