// Cleaning a raw file name: bracketed groups, dots, and separator runs.

#include "naming/TKestrava.h"

#include <QList>

namespace {
bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
}
} // namespace

void TKestrava::TrimSeparators(QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isSeparator(text[first]))
        ++first;
    while (last > first && isSeparator(text[last - 1]))
        --last;

    QString result;
    result.reserve(last - first);
    for (qsizetype i = first; i < last; ++i) {
        const QChar c = text[i];
        if (isSeparator(c) && !result.isEmpty() && result.back() == c)
            continue;
        result.append(c);
    }
    text = result;
}

QString TKestrava::RemoveBrackets(QChar opening, QChar closing, const QString &text)
{
    // Each closing character removes the group back to the nearest opening character
    // still standing before it, which removes nested groups from the inside out.
    QString result;
    result.reserve(text.size());
    QList<qsizetype> openings;
    for (const QChar c : text) {
        if (c == closing && !openings.isEmpty()) {
            result.truncate(openings.takeLast());
        } else {
            if (c == opening)
                openings.append(result.size());
            result.append(c);
        }
    }
    TrimSeparators(result);
    return result;
}

QString TKestrava::DotsToSpaces(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('.'), QLatin1Char(' '));
    TrimSeparators(result);
    return result;
}

void TKestrava::cleanBareName()
{
    SetNewName(RemoveBrackets(QLatin1Char('('), QLatin1Char(')'), BareName()));
    SetNewName(RemoveBrackets(QLatin1Char('['), QLatin1Char(']'), NewName()));
    SetNewName(RemoveBrackets(QLatin1Char('{'), QLatin1Char('}'), NewName()));
    SetNewName(DotsToSpaces(NewName()));
}
