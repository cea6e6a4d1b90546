#pragma once
// Text rules that ignore the locale: only the ASCII letters A-Z and a-z change case,
// and trimming removes the characters of codes 0-32.

#include <QChar>
#include <QLatin1String>
#include <QString>
#include <QStringView>

namespace ascii {

QChar toLower(QChar c);
QChar toUpper(QChar c);
QString toLower(const QString &text);
QString toUpper(const QString &text);

// The text without its leading and trailing characters of codes 0-32.
QString trimmed(const QString &text);

// Equal when only the case of ASCII letters differs.
bool equalsIgnoringCase(QStringView a, QStringView b);
bool equalsIgnoringCase(QStringView a, QLatin1String b);

} // namespace ascii
