#include "tags/TID3TagInfo.h"

#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/RandomAccessFile.h"
#include "text/Ascii.h"

#include <algorithm>
#include <cerrno>

using platform::RandomAccessFile;

namespace {
enum Offset { MarkerAt = 0, TitleAt = 3, ArtistAt = 33, AlbumAt = 63, YearAt = 93, CommentAt = 97,
              TrackMarkAt = 125, TrackAt = 126, GenreAt = 127 };
constexpr int NameWidth = 30;
constexpr int YearWidth = 4;
constexpr int CommentWidth = 28;
constexpr char Marker[] = "TAG";

[[noreturn]] void throwOpenError(const QString &fileName, int error)
{
    throw platform::FileOpenError::forFile(fileName, platform::systemErrorText(error));
}
} // namespace

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
    const RandomAccessFile file(fileName, RandomAccessFile::ReadOnly);
    ReadFromFile(file, fileName);
}

void TID3TagInfo::ReadFromFile(const RandomAccessFile &file, const QString &fileName)
{
    // A failed read leaves no values of an earlier file behind.
    fHasTag = false;
    clearValues();
    if (!file.isOpen())
        throwOpenError(fileName, file.openError());
    const qint64 size = file.size();
    const QByteArray bytes = size < RecordSize ? QByteArray() : file.readAt(size - RecordSize, RecordSize);
    if (bytes.size() != RecordSize)
        throw platform::StreamError(QStringLiteral("Stream read error"));
    std::copy(bytes.cbegin(), bytes.cend(), fRecord.begin());
    fHasTag = std::equal(Marker, Marker + 3, fRecord.cbegin());
    if (!fHasTag)
        clearValues();
}

void TID3TagInfo::WriteToFile(const QString &fileName)
{
    RandomAccessFile file(fileName, RandomAccessFile::WriteExisting);
    if (!file.isOpen())
        throwOpenError(fileName, file.openError());
    fRecord[TrackMarkAt] = 0;
    std::copy(Marker, Marker + 3, fRecord.begin());
    // The place is decided by the file as it is now: a tag at its end is overwritten,
    // anything else (audio, another block) is never written over.
    const qint64 size = file.size();
    bool endsWithTag = false;
    if (size >= RecordSize) {
        RandomAccessFile reader(fileName, RandomAccessFile::ReadOnly);
        endsWithTag = reader.readAt(size - RecordSize, 3) == QByteArray(Marker);
    }
    const QByteArray record(reinterpret_cast<const char *>(fRecord.data()), RecordSize);
    if (size < 0 || !file.writeAt(endsWithTag ? size - RecordSize : size, record))
        throw platform::StreamError(QStringLiteral("Stream write error"));
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
    if (value != 0)
        fRecord[TrackMarkAt] = 0;
    fRecord[TrackAt] = std::uint8_t(value & 0xFF);
}
