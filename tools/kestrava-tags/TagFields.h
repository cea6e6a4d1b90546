#pragma once
// The tag fields of the main window, filled from both tags and saved into both.

#include <QJsonObject>
#include <QMap>
#include <QString>

class TID3TagInfo;
class TID3v2;

struct TagFields {
    QString title, artist, album, genre, track, year, comment, link;

    // ID3v2 values first, ID3v1 values where they are empty; the track as its number.
    static TagFields fromTags(const TID3v2 &v2, const TID3TagInfo &v1);
    // Replaces the fields named by the keys ("title", "artist"…); false for an unknown key.
    bool set(const QString &key, const QString &value);
    // Into both tag objects as the rename command does. Throws platform::ConvertError
    // for a track that is not a number.
    void saveInto(TID3v2 &v2, TID3TagInfo &v1) const;
};

QJsonObject valuesOf(const TID3v2 &tag);
QJsonObject valuesOf(const TID3TagInfo &tag);
