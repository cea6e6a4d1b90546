#pragma once
// TCripto: a hidden grid of characters that turns scrambled captions into text.

#include <QChar>
#include <QString>
#include <array>

class TCripto {
public:
    static constexpr int ColCount = 10;
    static constexpr int RowCount = 255;

    // Cell (c, r) holds the character of code (r + 19 * c) mod 256.
    TCripto();

    // The one-character text of a cell; empty outside the grid.
    QString Cells(int col, int row) const;

    // The readable text of a scrambled one: position i (from 1, counted in 8 bits)
    // holds the character of code i XOR (readable code).
    QString Decode(const QString &scrambled) const;

private:
    std::array<std::array<QChar, RowCount>, ColCount> m_cells;
};
