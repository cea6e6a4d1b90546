#pragma once
// Texts of the file list's sub-items that do not depend on the language.

#include <QString>
#include <QtGlobal>

// A file time (100-ns units) as a floating-point number rounded to 15 significant
// digits: the number its sort key stands for.
double fileTimeSortValue(qint64 fileTime);
// That number as the sort key text, in the general format ("1.27800054E17", the
// locale's decimal separator); empty for NaN.
QString sortKeyText(double sortValue);

// "A" archive, "R" read-only, "H" hidden, "S" system, in this order.
QString attributeLetters(int attributes);

// The byte count shown by a size text ("12 KB", "1536", " "); 0 when there is none.
qint64 sizeFromSizeText(const QString &sizeText);

// A drive size in KB as whole thousands with the locale's thousands separator and
// " Mb" ("1.234 Mb"); below 1 KB "0 Mb", 1 to 999 KB " Mb".
QString driveSizeText(qint64 kilobytes);
