#pragma once
// A decoded picture, held at the resolution it is needed at.

#include <QImage>
#include <QSize>

namespace picture {

struct Picture {
    QImage image;         // upright; may be smaller than sourceSize
    QSize sourceSize;     // the picture's own size in pixels, upright
    bool scalable = false; // drawn from vectors: can be rendered again at any size
};

} // namespace picture
