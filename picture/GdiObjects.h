#pragma once
// The drawing objects a metafile creates and selects: pens, brushes and fonts.

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <variant>

namespace picture {

namespace gdi {
// Pen styles and flags.
inline constexpr unsigned psStyleMask = 0x0F, psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3,
                          psDashDotDot = 4, psNull = 5, psInsideFrame = 6;
inline constexpr unsigned psEndCapMask = 0x0F00, psEndCapSquare = 0x0100, psEndCapFlat = 0x0200;
inline constexpr unsigned psJoinMask = 0xF000, psJoinBevel = 0x1000, psJoinMiter = 0x2000;
inline constexpr unsigned psGeometric = 0x00010000;
// Brush styles.
inline constexpr unsigned bsSolid = 0, bsNull = 1, bsHatched = 2, bsPattern = 3, bsDibPattern = 5, bsDibPatternPt = 6;
} // namespace gdi

struct GdiPen {
    unsigned style = gdi::psSolid;
    double width = 0; // logical units; 0 is one device pixel
    QColor colour = Qt::black;
};

struct GdiBrush {
    unsigned style = gdi::bsSolid;
    QColor colour = Qt::white;
    unsigned hatch = 0;
    QImage pattern;
    // A two-colour pattern whose 0 bits take the text colour and 1 bits the
    // background colour of the moment it paints.
    bool monochrome = false;
};

struct GdiFont {
    double height = 0; // logical units: negative is the character height, positive the cell height
    double escapement = 0; // tenths of a degree, anticlockwise
    int charset = 1;       // the character set its byte text is in (1: the default)
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    QString face;
};

// A logical palette: the colours that bitmaps stored as palette indices refer to.
struct GdiPalette {
    QList<QRgb> colours;
};

// Regions and objects of no use to drawing still take a slot.
struct GdiPlaceholder {};

using GdiObject = std::variant<GdiPlaceholder, GdiPen, GdiBrush, GdiFont, GdiPalette>;

// A colour reference: 0x00BBGGRR.
inline QColor colourFromRef(quint32 ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

} // namespace picture
