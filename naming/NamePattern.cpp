// Expanding a name pattern from the tag values.

#include "naming/TKestrava.h"

#include "platform/Errors.h"

namespace {
// The track text with a "0" in front when its number is below 10.
QString paddedTrack(const QString &track)
{
    if (track.isEmpty())
        return track;
    bool isNumber = false;
    const int number = track.toInt(&isNumber, 10);
    if (!isNumber)
        throw platform::ConvertError::notAnInteger(track);
    return number <= 9 ? QLatin1Char('0') + track : track;
}
} // namespace

QString TKestrava::ComposeName(const QString &artist, const QString &title, const QString &album,
                               const QString &genre, const QString &track, const QString &pattern)
{
    QString name;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('%') || i + 1 == pattern.size()) {
            name.append(c);
            continue;
        }
        const QChar reference = pattern[++i];
        switch (reference.unicode()) {
        case '1': name.append(artist); break;
        case '2': name.append(title); break;
        case '3': name.append(album); break;
        case '4': name.append(genre); break;
        case '5': name.append(paddedTrack(track)); break;
        default: name.append(c).append(reference); break;
        }
    }
    return name;
}
