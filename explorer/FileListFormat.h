#pragma once
// Texts of the file list's sub-items that do not depend on the language.

#include <QString>
#include <QtGlobal>

// A file time (100-ns units) as a floating-point number with 15 significant digits,
// in the general format ("1.27800054E17", the locale's decimal separator).
QString fileTimeSortKey(qint64 fileTime);
// The number a sort key stands for; 0 for a text that is not one.
double sortKeyValue(const QString &sortKey);

// "A" archive, "R" read-only, "H" hidden, "S" system, in this order.
QString attributeLetters(int attributes);

// The byte count shown by a size text ("12 KB", "1536", " "); 0 when there is none.
qint64 sizeFromSizeText(const QString &sizeText);

// A drive size in KB as whole thousands with the locale's thousands separator and
// " Mb" ("1.234 Mb"); below 1 KB "0 Mb", 1 to 999 KB " Mb".
QString driveSizeText(qint64 kilobytes);
