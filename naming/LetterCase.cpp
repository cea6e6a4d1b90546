// Letter case: only the ASCII letters change, whatever the text holds.

#include "naming/TKestrava.h"

#include "text/Ascii.h"

namespace {
QString withFirstUpper(QString text)
{
    text[0] = ascii::toUpper(text[0]);
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
            c = ascii::toUpper(c);
            wordStart = false;
        } else {
            c = ascii::toLower(c);
        }
    }
    return result;
}
} // namespace

QString TKestrava::ApplyCase(int mode, const QString &text)
{
    if (text.isEmpty())
        return text;
    switch (mode) {
    case caseFirstLetter:
        return withFirstUpper(ascii::toLower(text));
    case caseEveryWord:
        return everyWordCapitalised(text);
    case caseLower:
        return ascii::toLower(text);
    case caseUpper:
        return ascii::toUpper(text);
    default:
        return withFirstUpper(text);
    }
}
