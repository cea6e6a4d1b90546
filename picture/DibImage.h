#pragma once
// Device-independent bitmaps (a BITMAPINFO header, colours and pixel rows) as images.

#include <QImage>
#include <QList>
#include <QRectF>
#include <cstddef>

namespace picture {

// Length of the header and colour table at the start of a packed bitmap, or 0 when
// the header is not one of a bitmap. With `paletteIndices` the colour table holds
// 16-bit indices into the selected palette instead of colours.
std::size_t dibHeaderLength(const unsigned char *dib, std::size_t length, bool paletteIndices = false);

// The bitmap as an image (rows top-down); a null image when it cannot be read, is
// larger than the decoded-size limit or holds fewer bytes than its rows need. RLE
// bitmaps are expanded here: what their runs do not paint is colour 0. A bitmap of up to 256 colours whose colour table
// holds palette indices (`paletteIndices`), or that has no colour table at all, takes
// its colours from `palette` (the default palette when empty).
QImage dibToImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits, std::size_t bitsLength,
                  const QList<QRgb> &palette = {}, bool paletteIndices = false);

// A 32-bit bitmap whose fourth byte is alpha, its colours premultiplied by it, as an
// image that keeps that alpha; other bitmaps as by dibToImage, opaque.
QImage dibToPremultipliedImage(const unsigned char *header, std::size_t headerLength, const unsigned char *bits,
                               std::size_t bitsLength);

// The pixels the bitmap will be decoded to, to count against a budget before it is:
// 0 when it is not a bitmap or its rows lack bytes (it will not be decoded).
qint64 dibPixelCount(const unsigned char *header, std::size_t headerLength, std::size_t bitsLength);

// Gives an indexed image a colour for every index its pixels can hold (black for those
// its table lacks), so that no drawing of it reads past the table.
void fillColourTable(QImage &image);

// Whether the bitmap's rows are stored bottom-up (a positive height).
bool dibIsBottomUp(const unsigned char *header, std::size_t headerLength);

// How a metafile record counts its source rectangle: the blits copy from a device
// context, whose rows run from the top of the picture as seen; the records that set
// bitmap bits (StretchDIBits, SetDIBitsToDevice) count from the bitmap's origin, its
// bottom row when the rows are stored bottom-up.
enum class SourceRows { FromTop, FromDibOrigin };

// The source rectangle counted from the top of an image `imageHeight` rows high made
// from a bitmap stored `bottomUp` or not.
QRectF dibSourceRect(QRectF source, int imageHeight, bool bottomUp, SourceRows rows);

} // namespace picture
