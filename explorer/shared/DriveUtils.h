#pragma once
// Drive sizes and readiness, by drive letter.

#include <QChar>
#include <QString>

// The path's first character, an ASCII letter upper-cased; null for an empty path.
QChar driveLetterOf(const QString &path);

// Total and free size in KB of the drive named by the path's first character;
// 0 for a drive that cannot be read.
qint64 DiskSizeKB(const QString &path);
qint64 DiskFreeKB(const QString &path);

// True when the drive answers a size query. A letter outside A-Z (after lower case
// is turned to upper) shows msgBadDrive and is queried anyway; a drive that does not
// answer beeps and shows msgNoDisk when showMessages is set.
bool DriveReady(QChar drive, bool showMessages);
