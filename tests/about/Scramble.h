#pragma once
// Stores a readable text scrambled, as the about box keeps its captions: position i
// (from 1, counted in 8 bits) holds i XOR the readable character's code.

#include <QString>

inline QString scramble(const QString &readable)
{
    QString scrambled(readable.size(), QChar());
    for (qsizetype index = 0; index < readable.size(); ++index)
        scrambled[index] = QChar(((unsigned(index + 1) & 0xFF) ^ readable[index].unicode()) & 0xFF);
    return scrambled;
}
