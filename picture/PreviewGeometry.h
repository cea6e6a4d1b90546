#pragma once
// Where a picture goes in the preview area: centred, fitted keeping its proportions,
// a raster picture enlarged no more than maxRasterEnlargement.

#include <QRect>
#include <QSize>

namespace picture {

struct Picture;

// The size `source` takes in `box`; an empty box leaves the source size as it is.
QSize fittedSize(const QSize &source, const QSize &box, bool scalable);

// The rectangle a picture takes, centred in `area`.
QRect previewRect(const Picture &picture, const QRect &area);

// Whether the picture's image holds fewer pixels than it must show in `box`, while
// more could be had by decoding the file again.
bool needsSharperImage(const Picture &picture, const QSize &box);

} // namespace picture
