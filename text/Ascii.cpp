#include "text/Ascii.h"

namespace ascii {

namespace {
template <typename Text>
bool sameIgnoringCase(QStringView a, Text b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (toLower(a[i]) != toLower(QChar(b[i])))
            return false;
    return true;
}
} // namespace

QChar toLower(QChar c)
{
    return (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
}

QChar toUpper(QChar c)
{
    return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
}

QString toLower(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = toLower(c);
    return result;
}

QString toUpper(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = toUpper(c);
    return result;
}

QString trimmed(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

bool equalsIgnoringCase(QStringView a, QStringView b)
{
    return sameIgnoringCase(a, b);
}

bool equalsIgnoringCase(QStringView a, QLatin1String b)
{
    return sameIgnoringCase(a, b);
}

} // namespace ascii
