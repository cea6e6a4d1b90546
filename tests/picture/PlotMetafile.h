#pragma once
// A chart as plotting programs write it: scatter markers (an ellipse record each),
// wandering lines and labels, on a page of 960 x 960.

#include "EmfWriter.h"

#include <QRandomGenerator>
#include <algorithm>

inline constexpr QRgb plotPen = qRgb(20, 20, 120), plotBrush = qRgb(200, 60, 60);

// Where the markers go: 6 x 6 boxes (left, top, right, bottom as the records give them).
inline QList<QRect> plotMarkers(QRandomGenerator &random, int count)
{
    QList<QRect> markers;
    for (int i = 0; i < count; ++i) {
        const int x = int(random.bounded(940)), y = int(random.bounded(940));
        markers << QRect(QPoint(x, y), QPoint(x + 6, y + 6));
    }
    return markers;
}

// A plot of about 2 MB: `markers` scatter points (a record each), lines of `linePoints`
// points in all, and labels.
inline QByteArray writePlot(int markers, int linePoints)
{
    EmfWriter emf(960);
    QRandomGenerator random(7);
    emf.pen(1, plotPen, 1);
    emf.select(1);
    emf.solidBrush(2, plotBrush);
    emf.select(2);
    for (const QRect &marker : plotMarkers(random, markers))
        emf.ellipse(marker.left(), marker.top(), marker.right(), marker.bottom());
    for (int line = 0; line < 20; ++line) {
        // A series that wanders, as measurements do.
        QList<QPoint> points;
        const int count = linePoints / 20;
        int y = 480;
        for (int i = 0; i < count; ++i) {
            y = std::clamp(y + int(random.bounded(7)) - 3, 20, 940);
            points << QPoint(i * 960 / count, y);
        }
        emf.polyline(points);
    }
    emf.font(3, QStringLiteral("DejaVu Sans"), -14, 0);
    emf.select(3);
    for (int i = 0; i < 200; ++i)
        emf.text(10 + (i % 10) * 90, 10 + (i / 10) * 45, QByteArray("label ") + QByteArray::number(i), QList<int>());
    return emf.finish();
}
