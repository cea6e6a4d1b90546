#include "naming/TKestrava.h"

namespace {
QChar asciiLowerChar(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
}

QChar asciiUpperChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ? QChar(c.unicode() - 32) : c;
}
} // namespace

QString TKestrava::asciiLower(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = asciiLowerChar(c);
    return result;
}

QString TKestrava::asciiUpper(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = asciiUpperChar(c);
    return result;
}

void TKestrava::SetFileName(const QString &name)
{
    fOriginalName = name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool validDot = dot >= 0 && name.indexOf(QLatin1Char('\\'), dot) < 0
                          && name.indexOf(QLatin1Char(':'), dot) < 0;
    SetExtension(validDot ? asciiLower(name.mid(dot)) : QString());
    SetBareName(fExtension.isEmpty() ? name : name.left(name.size() - fExtension.size()));
}

void TKestrava::SetNewName(const QString &text)
{
    static const QString invalid = QStringLiteral("*\\/:?\"<>|");
    QString result = text;
    for (QChar &c : result) {
        if (invalid.contains(c))
            c = QLatin1Char('_');
    }
    fNewName = result;
}
