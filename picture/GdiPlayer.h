#pragma once
// A device context played on a QPainter: the state that metafile records set (mapping,
// objects, colours, clipping, paths) and the drawing they ask for. It can also
// measure instead of draw, to find the extent of a metafile that gives none.

#include "picture/GdiObjects.h"
#include "picture/MarkerSprites.h"
#include "picture/ObjectSlots.h"
#include "picture/RasterOperation.h"

#include <QBrush>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>
#include <QTransform>
#include <functional>
#include <vector>

class QPainter;

namespace picture {

struct DrawnText;
class RenderBudget;

namespace gdi {
inline constexpr int mmText = 1, mmLoMetric = 2, mmHiMetric = 3, mmLoEnglish = 4, mmHiEnglish = 5,
                     mmTwips = 6, mmIsotropic = 7, mmAnisotropic = 8;
inline constexpr unsigned taUpdateCp = 1, taRight = 2, taCenter = 6, taHorizontalMask = 6,
                          taBottom = 8, taBaseline = 24, taVerticalMask = 24;
inline constexpr int transparentBackground = 1;
inline constexpr int rgnAnd = 1, rgnOr = 2, rgnXor = 3, rgnDiff = 4, rgnCopy = 5;
inline constexpr unsigned srcCopy = 0x00CC0020, srcPaint = 0x00EE0086, srcAnd = 0x008800C6,
                          srcInvert = 0x00660046, srcErase = 0x00440328, notSrcCopy = 0x00330008,
                          notSrcErase = 0x001100A6, mergeCopy = 0x00C000CA, mergePaint = 0x00BB0226,
                          patCopy = 0x00F00021, patPaint = 0x00FB0A09, patInvert = 0x005A0049,
                          dstInvert = 0x00550009, blackness = 0x00000042, whiteness = 0x00FF0062;
inline constexpr int r2CopyPen = 13;
inline constexpr unsigned ptCloseFigure = 1, ptLineTo = 2, ptBezierTo = 4, ptMoveTo = 6;
} // namespace gdi

enum class ArcKind { Arc, Chord, Pie };

class GdiPlayer {
public:
    // Draws on `painter`, or only measures when it is null; `budget` (when given)
    // bounds the time and memory the drawing takes.
    explicit GdiPlayer(QPainter *painter, const RenderBudget *budget = nullptr);

    // Raises RenderBudget::Cancelled or Exceeded when the drawing should stop; the
    // readers call it between records.
    void checkBudget() const;
    // Raises RenderBudget::Exceeded when `bytes` more would pass the memory budget.
    void requireMemory(std::int64_t bytes) const;

    // Mapping from the metafile's device space to the output, and its reference
    // device's resolution (pixels per millimetre) for the metric mapping modes.
    void setDeviceToOutput(const QTransform &transform) { m_deviceToOutput = transform; m_toOutputKnown = false; }
    void setDeviceResolution(const QSizeF &pixelsPerMillimetre) { m_pixelsPerMm = pixelsPerMillimetre; m_toOutputKnown = false; }
    void setViewportRecordsHonoured(bool honoured) { m_viewportHonoured = honoured; }

    // Mapping. A change that would make the mapping from logical units to the output
    // not finite, or beyond any coordinate a drawing could use, is ignored.
    void setMapMode(int mode);
    void setWindowOrg(const QPointF &origin);
    void setWindowExt(const QSizeF &extent);
    void setViewportOrg(const QPointF &origin);
    void setViewportExt(const QSizeF &extent);
    void offsetWindowOrg(const QPointF &offset);
    void offsetViewportOrg(const QPointF &offset);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void setWorldTransform(const QTransform &transform);
    void modifyWorldTransform(const QTransform &transform, int mode);

    // Attributes.
    void setTextColour(const QColor &colour) { m_state.textColour = colour; }
    QColor textColour() const { return m_state.textColour; }
    QColor backgroundColour() const { return m_state.backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_state.backgroundColour = colour; }
    void setBackgroundMode(int mode) { m_state.transparentBackground = mode == gdi::transparentBackground; }
    void setPolyFillMode(int mode) { m_state.fillRule = mode == 2 ? Qt::WindingFill : Qt::OddEvenFill; }
    void setTextAlign(unsigned align) { m_state.textAlign = align; }
    // The binary raster mode of lines and fills, 1 to 16.
    void setRop2(int mode) { if (mode >= 1 && mode <= 16) m_state.rop2 = mode; }

    // Objects: a table of slots, and stock objects by number.
    void resizeObjectTable(std::size_t size);
    void storeObject(std::size_t index, GdiObject object);
    int storeObjectInFreeSlot(GdiObject object); // -1 when the table is full
    void selectObject(std::size_t index);
    void selectStockObject(unsigned stock);
    void deleteObject(std::size_t index);
    // Palettes are selected apart from the other objects.
    void selectPalette(std::size_t index);
    void selectStockPalette() { m_state.palette.clear(); }
    // The colours of the selected palette; empty for the default one.
    const QList<QRgb> &palette() const { return m_state.palette; }

    // Current position and shapes, in logical coordinates.
    void moveTo(const QPointF &point);
    void lineTo(const QPointF &point);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polygon(const QPolygonF &points);
    void polyPolygon(const QList<QPolygonF> &polygons);
    void polyPolyline(const QList<QPolygonF> &polylines);
    void polyBezier(const QPolygonF &points);
    void polyBezierTo(const QPolygonF &points);
    void polyDraw(const QPolygonF &points, const QList<unsigned> &types);
    void rectangle(const QRectF &rect);
    void roundRectangle(const QRectF &rect, const QSizeF &corner);
    void ellipse(const QRectF &rect);
    void arc(const QRectF &rect, const QPointF &start, const QPointF &end, ArcKind kind);
    void arcTo(const QRectF &rect, const QPointF &start, const QPointF &end);
    void setPixel(const QPointF &point, const QColor &colour);

    // Text at a reference point (or the current position, by the text alignment), as
    // bytes in the selected font's character set or as UTF-16 units; `advances`
    // (logical units, one per byte or unit) may be empty. `opaqueRect` is filled first
    // when valid.
    void textOut(const QPointF &reference, const QByteArray &bytes, const QList<double> &advances,
                 const QRectF &opaqueRect = QRectF(), const QRectF &clipRect = QRectF());
    void textOut(const QPointF &reference, const QString &units, const QList<double> &advances,
                 const QRectF &opaqueRect = QRectF(), const QRectF &clipRect = QRectF());

    // Bitmaps and fills of a rectangle, combined with the page by a ternary raster
    // operation (a 32-bit code).
    void drawImage(const QRectF &target, const QImage &image, const QRectF &source, unsigned rasterOperation);
    void patternFill(const QRectF &target, unsigned rasterOperation);
    // A bitmap blended over the page: `image` premultiplied by its own alpha, the whole
    // at `constantAlpha` (0-255).
    void alphaBlend(const QRectF &target, const QImage &image, const QRectF &source, int constantAlpha);

    // Clipping: rectangles in logical coordinates, regions in device coordinates.
    void intersectClipRect(const QRectF &rect);
    void excludeClipRect(const QRectF &rect);
    void offsetClip(const QPointF &offset);
    void selectClipRegion(const QList<QRectF> &deviceRects, int mode);
    void resetClip();

    // Paths.
    void beginPath();
    void endPath() { m_state.inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath() { finishPath(true, false); }
    void strokePath() { finishPath(false, true); }
    void strokeAndFillPath() { finishPath(true, true); }
    void selectClipPath(int mode);

    void saveDC();
    void restoreDC(int which);

    // What measuring found, in output coordinates.
    QRectF measuredBounds() const { return m_measured; }

private:
    struct State {
        GdiPen pen;
        GdiBrush brush;
        GdiFont font;
        QColor textColour = Qt::black;
        QColor backgroundColour = Qt::white;
        bool transparentBackground = false;
        Qt::FillRule fillRule = Qt::OddEvenFill;
        unsigned textAlign = 0;
        int rop2 = gdi::r2CopyPen;
        QList<QRgb> palette;
        int mapMode = gdi::mmText;
        QPointF windowOrg;
        QSizeF windowExt {1, 1};
        QPointF viewportOrg;
        QSizeF viewportExt {1, 1};
        QTransform world;
        QPointF current;
        QRegion clip; // output pixels
        bool clipped = false;
        QPainterPath path; // output coordinates
        bool inPath = false;
    };

    // Applies a change to the mapping unless it leaves the mapping unusable.
    template <typename Change>
    void changeMapping(Change change);
    QTransform pageTransform() const;
    // The whole mapping, worked out again only after a change to one of its parts.
    const QTransform &logicalToOutput() const;
    double outputScale() const;
    void drawShape(const QPainterPath &logical, bool fill, bool stroke);
    // Whether shapes go straight to the painter: not into a path, not measured, not
    // combined by a raster mode. Then the painter is set up for them (false: nothing
    // would show).
    bool drawsDirectly() const;
    bool setUpDirectDrawing(bool fill, bool stroke);
    // Draws an ellipse under smallShapePixels across, on an output not rotated, from
    // a sprite; false when it is drawn otherwise.
    bool drawnAsSmallEllipse(const QRectF &rect);
    void measureShape(const QRectF &logicalBounds, bool fill, bool stroke);
    void renderPath(const QPainterPath &output, bool fill, bool stroke);
    // Fills a shape of many edges in bands of rows, checking the budget between bands.
    void fillInBands(const QPainterPath &shape, const QBrush &brush);
    // Strokes a long outline a piece at a time, checking the budget between pieces.
    void strokeInPieces(const QPainterPath &outline);
    // Where drawing can still show: the output with room for the pen's width.
    QRectF visibleArea(double margin) const;
    void applyClip();
    void combineClip(const QRegion &area, int mode);
    // The output pixels whose centres an output polygon covers, within the output.
    QRegion outputRegion(const QPolygonF &polygon, Qt::FillRule rule = Qt::OddEvenFill) const;
    QRegion outputRegion(const QPainterPath &path) const;
    void appendToPath(const QPainterPath &output);
    QPen outputPen() const;
    QBrush outputBrush() const;
    void drawText(const QPointF &reference, const DrawnText &text, const QRectF &opaqueRect, const QRectF &clipRect);
    // Paints with `paint` (in output coordinates, clipped) on a layer, then puts the
    // layer's pixels on the page by `operation`: the layer is the source, the brush the
    // pattern, the page the destination.
    void combineWithPage(const QRectF &outputBounds, RasterOperation operation,
                         const std::function<void(QPainter &)> &paint);
    void finishPath(bool fill, bool stroke);
    void measure(const QRectF &outputRect);
    QPainterPath arcPath(const QRectF &rect, const QPointF &start, const QPointF &end, ArcKind kind) const;

    QPainter *m_painter;
    const RenderBudget *m_budget;
    QRect m_output; // the painter's whole device
    QTransform m_deviceToOutput;
    QSizeF m_pixelsPerMm {96 / 25.4, 96 / 25.4};
    bool m_viewportHonoured = true;
    State m_state;
    std::vector<State> m_saved;
    std::vector<GdiObject> m_objects;
    ObjectSlots m_slots;
    std::int64_t m_objectBytes = 0; // held by the images of stored objects
    QRectF m_measured;
    // The clip the painter holds is the state's while these agree.
    qint64 m_clipVersion = 0;
    qint64 m_appliedClip = -1;
    // What the painter was last set up with for direct drawing, valid until another
    // kind of drawing changes the painter: records that change nothing of it change
    // nothing on the painter either.
    bool m_directReady = false;
    mutable bool m_toOutputKnown = false;
    mutable QTransform m_toOutput;
    QTransform m_directTransform;
    QPen m_directPen;
    QBrush m_directBrush;
    MarkerSprites m_sprites;
};

} // namespace picture
