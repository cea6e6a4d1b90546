#include "tags/TID3TagInfo.h"

#include "platform/Errors.h"
#include "platform/HeldFile.h"
#include "tags/TagSession.h"
#include "text/Ascii.h"

#include <algorithm>
#include <cerrno>

using platform::HeldFile;

namespace {
enum Offset { MarkerAt = 0, TitleAt = 3, ArtistAt = 33, AlbumAt = 63, YearAt = 93, CommentAt = 97,
              TrackMarkAt = 125, TrackAt = 126, GenreAt = 127 };
constexpr int NameWidth = 30;
constexpr int YearWidth = 4;
constexpr int CommentWidth = 28;
constexpr char Marker[] = "TAG";

[[noreturn]] void throwOpenError(const QString &fileName, int error)
{
    throw platform::FileOpenError::forFile(fileName, HeldFile::errorText(error));
}
} // namespace

// The ID3v1 genre list and its customary extension.
const std::array<const char *, TID3TagInfo::GenreCount> TID3TagInfo::GenreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop",
    "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap",
    "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska", "Death Metal", "Pranks",
    "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance",
    "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
    "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock",
    "Ethnic", "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi",
    "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock",
    "Big Band", "Chorus", "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera",
    "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam",
    "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance Hall",
};

TID3TagInfo::TID3TagInfo()
{
    fRecord.fill(0);
}

void TID3TagInfo::clearValues()
{
    std::fill(fRecord.begin() + TitleAt, fRecord.begin() + GenreAt, 0);
    fRecord[GenreAt] = NoGenre;
}

void TID3TagInfo::ReadFromFile(const QString &fileName)
{
    ReadFromFile(TagSession(fileName));
}

void TID3TagInfo::ReadFromFile(const TagSession &session)
{
    // A failed read leaves no values of an earlier file behind.
    fHasTag = false;
    fLoadedEnd = LoadedEnd::Unknown;
    clearValues();
    if (!session.loaded())
        throwOpenError(session.fileName(), session.error());
    if (session.fileSize() < RecordSize) {
        fLoadedEnd = LoadedEnd::NoTag; // too short for a tag: a write appends one
        throw platform::StreamError(QStringLiteral("Stream read error"));
    }
    const QByteArray bytes = session.oldId3v1();
    fHasTag = !bytes.isEmpty();
    fLoadedEnd = fHasTag ? LoadedEnd::Tag : LoadedEnd::NoTag;
    if (fHasTag)
        std::copy(bytes.cbegin(), bytes.cend(), fRecord.begin());
}

void TID3TagInfo::WriteToFile(const QString &fileName)
{
    TagSession session(fileName);
    if (!session.loaded())
        throwOpenError(fileName, session.error());
    // An object never loaded takes the end as it is.
    if (fLoadedEnd == LoadedEnd::Unknown)
        fLoadedEnd = session.oldId3v1().isEmpty() ? LoadedEnd::NoTag : LoadedEnd::Tag;
    WriteToFile(session);
}

void TID3TagInfo::WriteToFile(TagSession &session)
{
    // The place is the one the load found: over the tag the file ended with, else after
    // its end. A file whose end changed since the load, or a failed read, stops the write:
    // never a second tag, never audio written over.
    if (!session.readAgainIfChanged())
        throw platform::StreamError(QStringLiteral("Stream write error"));
    const bool endsWithTag = session.endsWithId3v1();
    if (fLoadedEnd == LoadedEnd::Unknown || endsWithTag != (fLoadedEnd == LoadedEnd::Tag))
        throw platform::StreamError(QStringLiteral("Stream write error"));
    fRecord[TrackMarkAt] = 0;
    std::copy(Marker, Marker + 3, fRecord.begin());
    const QByteArray record(reinterpret_cast<const char *>(fRecord.data()), RecordSize);
    if (!session.writeId3v1(record))
        throw platform::StreamError(QStringLiteral("Stream write error"));
    fLoadedEnd = LoadedEnd::Tag; // a next write goes over this record
}

QString TID3TagInfo::fieldText(int offset, int width) const
{
    const auto begin = reinterpret_cast<const char *>(fRecord.data()) + offset;
    const auto end = std::find(begin, begin + width, '\0');
    return ascii::trimmed(QString::fromLatin1(begin, end - begin));
}

void TID3TagInfo::setFieldText(int offset, int width, const QString &text)
{
    const QByteArray bytes = text.left(width).toLatin1();
    std::fill(fRecord.begin() + offset, fRecord.begin() + offset + width, 0);
    std::copy(bytes.cbegin(), bytes.cend(), fRecord.begin() + offset);
}

QString TID3TagInfo::GetTitle() const { return fieldText(TitleAt, NameWidth); }
QString TID3TagInfo::GetArtist() const { return fieldText(ArtistAt, NameWidth); }
QString TID3TagInfo::GetAlbum() const { return fieldText(AlbumAt, NameWidth); }
QString TID3TagInfo::GetYear() const { return fieldText(YearAt, YearWidth); }
// Over 30 bytes: an ID3v1.1 tag stops at its zero byte 125, an ID3v1.0 tag uses all 30.
QString TID3TagInfo::GetComment() const { return fieldText(CommentAt, NameWidth); }

QString TID3TagInfo::GetGenre() const
{
    const int index = fRecord[GenreAt];
    return index < GenreCount ? QString::fromLatin1(GenreNames[index]) : QString();
}

int TID3TagInfo::GetTrack() const
{
    return fRecord[TrackMarkAt] == 0 ? fRecord[TrackAt] : 0;
}

void TID3TagInfo::SetTitle(const QString &text) { setFieldText(TitleAt, NameWidth, text); }
void TID3TagInfo::SetArtist(const QString &text) { setFieldText(ArtistAt, NameWidth, text); }
void TID3TagInfo::SetAlbum(const QString &text) { setFieldText(AlbumAt, NameWidth, text); }
void TID3TagInfo::SetYear(const QString &text) { setFieldText(YearAt, YearWidth, text); }
void TID3TagInfo::SetComment(const QString &text) { setFieldText(CommentAt, CommentWidth, text); }

int TID3TagInfo::genreIndex(const QString &name)
{
    if (name.isEmpty())
        return NoGenre;
    const auto found = std::find_if(GenreNames.cbegin(), GenreNames.cend(),
                                    [&](const char *genre) { return ascii::equalsIgnoringCase(name, QLatin1String(genre)); });
    return found == GenreNames.cend() ? NoGenre : int(found - GenreNames.cbegin());
}

void TID3TagInfo::SetGenre(const QString &text)
{
    fRecord[GenreAt] = std::uint8_t(genreIndex(text));
}

void TID3TagInfo::SetTrack(int value)
{
    // One byte holds 0-255; a larger number is stored as none, never as its low bits.
    if (value < 0 || value > 255)
        value = 0;
    if (value != 0)
        fRecord[TrackMarkAt] = 0;
    fRecord[TrackAt] = std::uint8_t(value);
}
