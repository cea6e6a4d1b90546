#include "tags/ID3v2Genre.h"

#include "tags/TID3TagInfo.h"
#include "text/Ascii.h"

namespace id3v2 {

namespace {
// The name for a genre code: an index of the table, or RX / CR; null when none.
QString nameForCode(const QString &code)
{
    if (code == QLatin1String("RX"))
        return QStringLiteral("Remix");
    if (code == QLatin1String("CR"))
        return QStringLiteral("Cover");
    bool isNumber = false;
    const int index = code.toInt(&isNumber, 10);
    if (!isNumber || code.isEmpty() || !code.at(0).isDigit() || index < 0 || index >= TID3TagInfo::GenreCount)
        return QString();
    return QString::fromLatin1(TID3TagInfo::GenreNames[index]);
}

// "(n)(m)refinement": the refinement when there is one, else the names of the codes.
QString parenthesisedGenre(const QString &text)
{
    QStringList names;
    qsizetype pos = 0;
    while (pos + 1 < text.size() && text.at(pos) == QLatin1Char('(') && text.at(pos + 1) != QLatin1Char('(')) {
        const qsizetype close = text.indexOf(QLatin1Char(')'), pos + 1);
        const QString name = close < 0 ? QString() : nameForCode(text.mid(pos + 1, close - pos - 1));
        if (name.isNull())
            break;
        names.append(name);
        pos = close + 1;
    }
    QString refinement = text.mid(pos);
    if (refinement.startsWith(QLatin1String("((")))
        refinement.remove(0, 1);
    refinement = ascii::trimmed(refinement);
    return refinement.isEmpty() ? names.join(QLatin1Char('/')) : refinement;
}
} // namespace

QString genreText(const QStringList &values, int version)
{
    QStringList genres;
    for (const QString &value : values) {
        const QString text = ascii::trimmed(value);
        const QString name = version >= 4 ? nameForCode(text) : QString();
        const QString genre = name.isNull() ? parenthesisedGenre(text) : name;
        if (!genre.isEmpty())
            genres.append(genre);
    }
    return genres.join(QLatin1Char('/'));
}

} // namespace id3v2
