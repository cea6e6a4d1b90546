#pragma once
// The locale as the explorer controls see it: language identifiers (primary language
// in the low 10 bits, sub-language in the high 6) and date and time pictures.
// Everything is read from the program's default QLocale, which is the system's
// unless the program sets another.

#include <QChar>
#include <QString>

class QLocale;

namespace platform {

// Language identifier of a locale; unknown languages give 0 (neutral).
int langIdOf(const QLocale &locale);
// The desktop has one locale for the system and the user: both default language
// identifiers are this one.
int defaultLangId();

// Pictures use d, M, y for the date, h (H) for hours, m for minutes, s for seconds;
// "/" and ":" stand for the separators below.
QString shortDatePicture();  // e.g. "dd/MM/yy"
QString timeFormatPicture(); // the locale's time format, "tt" marking AM/PM: "HH:mm:ss", "h:mm:ss tt"
QString longTimePicture();   // hours, minutes, seconds: "HH:mm:ss", "h:mm:ss AM/PM"
QString shortTimePicture();  // hours and minutes: "HH:mm", "h:mm AM/PM"
QChar dateSeparator();
QChar timeSeparator();

// A Qt date or time format as a picture: literal text unquoted, the time zone and
// milliseconds dropped, the AM/PM field written as amPmText.
QString pictureFromQtFormat(const QString &qtFormat, const QString &amPmText);

} // namespace platform
