#include "TagFields.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include "platform/Errors.h"

namespace {
QString firstNonEmpty(const QString &preferred, const QString &fallback)
{
    return preferred.isEmpty() ? fallback : preferred;
}

int trackValue(const QString &text)
{
    bool valid = false;
    const int value = text.toInt(&valid, 10);
    if (!valid)
        throw platform::ConvertError::notAnInteger(text);
    return value;
}
} // namespace

TagFields TagFields::fromTags(const TID3v2 &v2, const TID3TagInfo &v1)
{
    TagFields fields;
    fields.title = firstNonEmpty(v2.Title(), v1.GetTitle());
    fields.artist = firstNonEmpty(v2.Artist(), v1.GetArtist());
    fields.album = firstNonEmpty(v2.Album(), v1.GetAlbum());
    fields.genre = firstNonEmpty(v2.Genre(), v1.GetGenre());
    fields.track = QString::number(v2.Track() != 0 ? v2.Track() : v1.GetTrack());
    fields.year = firstNonEmpty(v2.Year(), v1.GetYear());
    fields.comment = firstNonEmpty(v2.Comment(), v1.GetComment());
    fields.link = v2.Link();
    return fields;
}

bool TagFields::set(const QString &key, const QString &value)
{
    const QMap<QString, QString *> named = {
        {QStringLiteral("title"), &title}, {QStringLiteral("artist"), &artist}, {QStringLiteral("album"), &album},
        {QStringLiteral("genre"), &genre}, {QStringLiteral("track"), &track},   {QStringLiteral("year"), &year},
        {QStringLiteral("comment"), &comment}, {QStringLiteral("link"), &link},
    };
    QString *field = named.value(key);
    if (!field)
        return false;
    *field = value;
    return true;
}

void TagFields::saveInto(TID3v2 &v2, TID3TagInfo &v1) const
{
    v2.SetArtist(artist);
    v2.SetTitle(title);
    v2.SetAlbum(album);
    v2.SetGenre(genre);
    if (!track.isEmpty())
        v2.SetTrack(std::uint8_t(trackValue(track) & 0xFF));
    v2.SetYear(year);
    v2.SetComment(comment);
    v2.SetLink(link);
    v1.SetTitle(title);
    v1.SetArtist(artist);
    v1.SetAlbum(album);
    v1.SetComment(comment);
    v1.SetGenre(genre);
    v1.SetYear(year);
    if (!track.isEmpty())
        v1.SetTrack(trackValue(track));
}

QJsonObject valuesOf(const TID3v2 &tag)
{
    return QJsonObject{
        {QStringLiteral("hasTag"), tag.HasTag() != 0}, {QStringLiteral("version"), tag.Version()},
        {QStringLiteral("tagSize"), tag.TagSize()},     {QStringLiteral("title"), tag.Title()},
        {QStringLiteral("artist"), tag.Artist()},       {QStringLiteral("album"), tag.Album()},
        {QStringLiteral("track"), tag.Track()},         {QStringLiteral("year"), tag.Year()},
        {QStringLiteral("genre"), tag.Genre()},         {QStringLiteral("comment"), tag.Comment()},
        {QStringLiteral("composer"), tag.Composer()},   {QStringLiteral("encodedBy"), tag.EncodedBy()},
        {QStringLiteral("rights"), tag.Rights()},       {QStringLiteral("language"), tag.Language()},
        {QStringLiteral("link"), tag.Link()},
    };
}

QJsonObject valuesOf(const TID3TagInfo &tag)
{
    return QJsonObject{
        {QStringLiteral("hasTag"), tag.HasTag()},      {QStringLiteral("title"), tag.GetTitle()},
        {QStringLiteral("artist"), tag.GetArtist()},   {QStringLiteral("album"), tag.GetAlbum()},
        {QStringLiteral("year"), tag.GetYear()},       {QStringLiteral("comment"), tag.GetComment()},
        {QStringLiteral("genre"), tag.GetGenre()},     {QStringLiteral("track"), tag.GetTrack()},
    };
}
