#pragma once
// Device-independent bitmaps (a BITMAPINFO header, colours and pixel rows) as images.

#include <QImage>
#include <cstddef>

namespace picture {

// Length of the header and colour table at the start of a packed bitmap, or 0 when
// the header is not one of a bitmap.
std::size_t dibHeaderLength(const unsigned char *dib, std::size_t length);

// The bitmap as an image (rows top-down); a null image when it cannot be read or is
// larger than the decoded-size limit.
QImage dibToImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits, std::size_t bitsLength);

// Whether the bitmap's rows are stored bottom-up (a positive height).
bool dibIsBottomUp(const unsigned char *header, std::size_t headerLength);

} // namespace picture
