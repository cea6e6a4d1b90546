#pragma once
// Size and date-time texts of the file list.

#include "explorer/shared/ExplorerTypes.h"

#include <QString>

// "<kilobytes> KB", 1 to 1023 bytes counting as 1 KB; a single blank when the kind
// is "DIR" (any letter case).
QString SizeToKBText(const QString &kind, qint64 size);

// The local date and time of a file time (UTC, 100-ns units since 1601) in the
// picture datePicture + " " + timePicture. Picture letters, in any case: d/dd day,
// M/MM month ("m"/"mm" right after an hour are minutes), yy/yyyy year, h/hh hour,
// nn/mm minutes, ss seconds, AM/PM a 12-hour marker; "/" and ":" print the locale's
// date and time separators; any other character is copied.
QString FileTimeToText(qint64 fileTime, const QString &datePicture, const QString &timePicture);

// The picture of a date format (df_Customize: the locale's short date).
QString datePicture(TDtFormat format);
// The picture of a time format: the long or short time of the locale, or for
// tfCustomize the locale's time format cut before its first "t", with " AM/PM".
QString timePicture(TTmFormat format);
