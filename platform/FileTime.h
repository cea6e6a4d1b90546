#pragma once
// File times as the explorer controls keep them: UTC, 100-ns units since 1601-01-01.

#include <QDateTime>
#include <QtGlobal>

namespace platform {

inline constexpr qint64 fileTimeTicksPerSecond = 10'000'000;
// 1970-01-01 in file-time units.
inline constexpr qint64 fileTimeUnixEpoch = 116'444'736'000'000'000;

inline qint64 fileTimeFromUnix(qint64 seconds, qint64 nanoseconds)
{
    return fileTimeUnixEpoch + seconds * fileTimeTicksPerSecond + nanoseconds / 100;
}

inline qint64 fileTimeFromDateTime(const QDateTime &moment)
{
    return fileTimeUnixEpoch + moment.toMSecsSinceEpoch() * 10'000;
}

// The moment in UTC.
inline QDateTime dateTimeFromFileTime(qint64 fileTime)
{
    return QDateTime::fromMSecsSinceEpoch((fileTime - fileTimeUnixEpoch) / 10'000, Qt::UTC);
}

} // namespace platform
