#pragma once
// The EXIF orientation of a photo, and turning a decoded picture upright by it.

#include <QImage>
#include <cstddef>

namespace picture {

// Orientation tag (1-8) of an APP1 "Exif" segment's first directory; 1 (upright)
// when the segment is not EXIF, has no orientation or is damaged.
int exifOrientation(const unsigned char *segment, std::size_t length);

// Whether an orientation turns the picture by a quarter, swapping width and height.
bool orientationSwapsAxes(int orientation);

// The stored picture turned to how it is meant to be seen.
QImage orientedUpright(const QImage &stored, int orientation);

} // namespace picture
