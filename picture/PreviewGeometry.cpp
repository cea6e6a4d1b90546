#include "picture/PreviewGeometry.h"

#include "picture/Picture.h"
#include "picture/PictureLimits.h"

#include <algorithm>
#include <cmath>

namespace picture {

QSize fittedSize(const QSize &source, const QSize &box, bool scalable)
{
    if (source.isEmpty() || box.isEmpty())
        return source;
    double factor = std::min(double(box.width()) / source.width(), double(box.height()) / source.height());
    if (!scalable)
        factor = std::min(factor, maxRasterEnlargement);
    return QSize(std::max(1, int(std::lround(source.width() * factor))),
                 std::max(1, int(std::lround(source.height() * factor))));
}

QRect previewRect(const Picture &picture, const QRect &area)
{
    const QSize size = fittedSize(picture.sourceSize, area.size(), picture.scalable);
    return QRect(QPoint(area.left() + (area.width() - size.width()) / 2,
                        area.top() + (area.height() - size.height()) / 2),
                 size);
}

bool needsSharperImage(const Picture &picture, const QSize &box)
{
    const QSize wanted = fittedSize(picture.sourceSize, box, picture.scalable);
    const QSize held = picture.image.size();
    const bool heldIsReduced = picture.scalable || held.width() < picture.sourceSize.width();
    return heldIsReduced && (wanted.width() > held.width() || wanted.height() > held.height());
}

} // namespace picture
