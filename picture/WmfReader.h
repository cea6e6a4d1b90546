#pragma once
// Windows metafiles (WMF), placeable or plain: their header and their records.

#include <QRectF>
#include <cstddef>

namespace picture {

class GdiPlayer;

struct WmfHeader {
    std::size_t recordsOffset = 0;
    std::size_t objectCount = 0;
    bool placeable = false;
    QRectF bounds;         // placeable: the picture's frame in logical units
    double unitsPerInch = 0; // placeable: logical units in an inch
    QRectF firstWindow;    // the first window origin and extent the records set, if any
};

// Whether the data starts like a WMF file.
bool looksLikeWmf(const unsigned char *data, std::size_t length);

// Reads the header (raises MetafileDamage when it is not one).
WmfHeader readWmfHeader(const unsigned char *data, std::size_t length);

// Plays every record on `player`; raises MetafileDamage for a record that does not fit.
void playWmf(const unsigned char *data, std::size_t length, const WmfHeader &header, GdiPlayer &player);

} // namespace picture
