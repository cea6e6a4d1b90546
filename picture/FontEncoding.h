#pragma once
// How the text of a metafile font becomes the characters it draws: byte text in the
// code page of the font's character set, and the symbol fonts' own layouts (Symbol,
// Wingdings, Wingdings 2 and 3, MT Extra) as the Unicode characters their glyphs show,
// so that any font that has those characters can draw them.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace picture {

// What to draw: one string per place on the line (a character, or a mark on a
// no-break space), with the advance of each place when the record gives them.
struct DrawnText {
    QString family; // the font to draw with
    QStringList places;
    QList<double> advances; // empty, or one per place
    QString joined() const { return places.join(QString()); }
};

class FontEncoding {
public:
    FontEncoding(const QString &face, int charset);

    // Bytes (and one advance per byte, or none) in the font's character set.
    DrawnText fromBytes(const QByteArray &bytes, const QList<double> &advances) const;
    // UTF-16 units (and one advance per unit, or none).
    DrawnText fromUnits(const QString &units, const QList<double> &advances) const;

private:
    QString symbolPlace(unsigned code) const;

    const char32_t *m_symbols = nullptr; // 224 characters for the codes 0x20-0xFF
    QByteArray m_codePage;
    // The face itself, or for a symbol face a plain one: its characters, now Unicode,
    // are drawn by whichever font has them.
    QString m_family;
};

} // namespace picture
