#include "about/Cripto.h"

TCripto::TCripto()
{
    for (int col = 0; col < ColCount; ++col)
        for (int row = 0; row < RowCount; ++row)
            m_cells[col][row] = QChar((row + 19 * col) % 256);
}

QString TCripto::Cells(int col, int row) const
{
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount)
        return QString();
    return QString(m_cells[col][row]);
}

QString TCripto::Decode(const QString &scrambled) const
{
    QString text(scrambled.size(), QChar());
    for (qsizetype index = 0; index < scrambled.size(); ++index) {
        const unsigned position = unsigned(index + 1) & 0xFF;
        const unsigned x = (position ^ scrambled[index].unicode()) & 0xFF;
        const unsigned k = position % 10 == 0 ? 10 : position % 10;
        const int row = int((x + 256 * 19 - 19 * k + 19) % 256);
        const QString cell = Cells(int(k) - 1, row);
        // Row 255 has no cell; it would have held the character of code x.
        text[index] = cell.isEmpty() ? QChar(x) : cell[0];
    }
    return text;
}
