#pragma once
// Where the drive's own part of a drive path ends.

#include <QString>

namespace platform {

// 3 for "X:\..." (or "X:/..."), 2 for "X:" alone, 0 otherwise. A colon anywhere else
// belongs to a name: "x:y.txt" and "C:x" are names, never drives.
qsizetype driveRootLength(const QString &path);

} // namespace platform
