// Letter case: only the ASCII letters change, whatever the text holds.

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

QString withFirstUpper(QString text)
{
    text[0] = asciiUpperChar(text[0]);
    return text;
}

// First character upper case, and the first character after each run of spaces.
QString everyWordCapitalised(const QString &text)
{
    QString result = withFirstUpper(text);
    bool wordStart = false;
    for (qsizetype i = 1; i < result.size(); ++i) {
        QChar &c = result[i];
        if (c == QLatin1Char(' ')) {
            wordStart = true;
        } else if (wordStart) {
            c = asciiUpperChar(c);
            wordStart = false;
        } else {
            c = asciiLowerChar(c);
        }
    }
    return result;
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

QString TKestrava::ApplyCase(int mode, const QString &text)
{
    if (text.isEmpty())
        return text;
    switch (mode) {
    case caseFirstLetter:
        return withFirstUpper(asciiLower(text));
    case caseEveryWord:
        return everyWordCapitalised(text);
    case caseLower:
        return asciiLower(text);
    case caseUpper:
        return asciiUpper(text);
    default:
        return withFirstUpper(text);
    }
}
