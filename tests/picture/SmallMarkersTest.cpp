// Markers a pixel or two across are drawn from sprites: a dense scatter plot's preview
// looks like the same markers painted one by one by QPainter at that size.

#include "PictureTestData.h"
#include "PlotMetafile.h"
#include "picture/MetafileRenderer.h"

#include <QPainter>
#include <gmock/gmock.h>

namespace {

constexpr int side = 270; // the 960-unit page at preview size: markers 1.7 pixels across

QImage render(const QByteArray &emf)
{
    return picture::renderMetafile(reinterpret_cast<const unsigned char *>(emf.constData()), std::size_t(emf.size()),
                                   QSize(side, side), QStringLiteral("plot.emf"))
        .image;
}

// The markers only, as a metafile and as QPainter draws them round with a one-pixel pen.
struct Scatter {
    QByteArray emf;
    QImage painted;
};

Scatter scatter(int count)
{
    QRandomGenerator random(7);
    const QList<QRect> markers = plotMarkers(random, count);
    EmfWriter emf(960);
    emf.pen(1, plotPen, 1);
    emf.select(1);
    emf.solidBrush(2, plotBrush);
    emf.select(2);
    QImage painted(side, side, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::white);
    QPainter painter(&painted);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor::fromRgb(plotPen), 1);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(QColor::fromRgb(plotBrush));
    painter.scale(side / 960.0, side / 960.0);
    for (const QRect &marker : markers) {
        emf.ellipse(marker.left(), marker.top(), marker.right(), marker.bottom());
        painter.drawEllipse(QRectF(QPointF(marker.topLeft()), QPointF(marker.bottomRight())));
    }
    return {emf.finish(), painted};
}

TEST(SmallMarkers, DensePlotLooksLikeRoundMarkers)
{
    for (const int count : {2000, 20000}) {
        const Scatter plot = scatter(count);
        const ImageDifference difference = compareImages(render(plot.emf), plot.painted, QSize(side / 2, side / 2));
        // Markers left out or drawn a size off would be far outside this.
        const ImageDifference none = compareImages(render(scatter(0).emf), plot.painted, QSize(side / 2, side / 2));
        EXPECT_LT(difference.meanAbsolute, none.meanAbsolute / 5) << count << " markers";
        EXPECT_LT(difference.farFraction, 0.05) << count << " markers";
    }
}

} // namespace
