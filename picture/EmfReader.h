#pragma once
// Enhanced metafiles (EMF): their header and their records.

#include <QRectF>
#include <QSizeF>
#include <cstddef>

namespace picture {

class GdiPlayer;

struct EmfHeader {
    QRectF bounds;            // device pixels of the reference device
    QRectF frameHundredthsMm; // the picture's frame, in 0.01 mm
    QSizeF devicePixels;      // the reference device's size in pixels
    QSizeF deviceMillimetres; // and in millimetres
    std::size_t handleCount = 0;
    bool hasEmfPlus = false;  // holds EMF+ records (drawn only through their GDI fallback)
};

bool looksLikeEmf(const unsigned char *data, std::size_t length);

// Reads the header (raises MetafileDamage when it is not one).
EmfHeader readEmfHeader(const unsigned char *data, std::size_t length);

// Plays every record on `player`; raises MetafileDamage for a record that does not fit.
void playEmf(const unsigned char *data, std::size_t length, const EmfHeader &header, GdiPlayer &player);

} // namespace picture
