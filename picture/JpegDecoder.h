#pragma once
// JPEG pictures decoded with libjpeg, reduced while decoding to the size they are
// shown at (DCT scaling) and turned upright by their EXIF orientation.

#include "picture/Picture.h"
#include "picture/RenderBudget.h"

#include <QSize>
#include <QString>

namespace picture {

// Decodes `length` bytes of JPEG data. The image returned covers `box` as the
// preview would fit it (an empty box asks for the full size); it is larger than that
// by less than one DCT scaling step. Grey, colour and CMYK (Adobe inverted or plain)
// pictures come out as RGB or grey. Raises PictureError, naming `fileName`, for
// damaged, truncated or oversized data, for more than a hundred scans and for pictures
// that would pass `budget` (checked by libjpeg's progress monitor between rows and
// scans); RenderBudget::Cancelled when the picture is no longer wanted.
Picture decodeJpeg(const unsigned char *data, std::size_t length, const QSize &box, const QString &fileName,
                   const RenderBudget &budget = RenderBudget());

} // namespace picture
