#include "tags/TID3v2.h"

#include "tags/ID3v2Tag.h"
#include "tags/TagSession.h"

#include "platform/HeldFile.h"
#include "text/Ascii.h"

#include <cerrno>

void TID3v2::Clear()
{
    fHasTag = 0;
    fVersion = 0;
    fTagSize = 0;
    fTrack = 0;
    for (QString *text : {&fTitle, &fArtist, &fAlbum, &fYear, &fGenre, &fComment, &fComposer,
                          &fEncodedBy, &fRights, &fLanguage, &fLink})
        text->clear();
}

void TID3v2::SetTitle(const QString &text) { fTitle = ascii::trimmed(text); }
void TID3v2::SetArtist(const QString &text) { fArtist = ascii::trimmed(text); }
void TID3v2::SetAlbum(const QString &text) { fAlbum = ascii::trimmed(text); }
void TID3v2::SetYear(const QString &text) { fYear = ascii::trimmed(text); }
void TID3v2::SetGenre(const QString &text) { fGenre = ascii::trimmed(text); }
void TID3v2::SetComment(const QString &text) { fComment = ascii::trimmed(text); }
void TID3v2::SetLink(const QString &text) { fLink = ascii::trimmed(text); }

namespace {
// The track number of a TRCK text: the part before "/"; 0 when not a number of 0-999.
std::uint16_t trackNumber(const QString &text)
{
    const QString number = text.section(QLatin1Char('/'), 0, 0);
    bool valid = false;
    const int value = ascii::trimmed(number).toInt(&valid, 10);
    return valid && value >= 0 && value <= TID3v2::MaxTrack ? std::uint16_t(value) : 0;
}

// The "/total" part of a TRCK text, without the slash.
QString trackTotal(const QString &text)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : ascii::trimmed(text.mid(slash + 1));
}

QString slotOrFallback(const id3v2::TagInfo &info, int slot, int fallback)
{
    const QString text = ascii::trimmed(info.texts[slot]);
    return text.isEmpty() ? ascii::trimmed(info.texts[fallback]) : text;
}
} // namespace

bool TID3v2::ReadFromFile(const QString &fileName)
{
    return ReadFromFile(TagSession(fileName));
}

bool TID3v2::ReadFromFile(const TagSession &session)
{
    using namespace id3v2;
    Clear();
    if (!session.loaded() || session.fileSize() < HeaderSize)
        return false;
    const TagInfo &info = session.id3v2();
    if (!hasIdentifier(info))
        return true;
    fHasTag = 1;
    fVersion = std::uint8_t(majorVersion(info));
    fTagSize = GetTagSize(info);
    if (fVersion < 2 || fVersion > 4 || fTagSize == 0)
        return true;
    fTitle = slotOrFallback(info, TitleSlot, ContentGroupSlot);
    fArtist = slotOrFallback(info, ArtistSlot, OriginalArtistSlot);
    fAlbum = slotOrFallback(info, AlbumSlot, OriginalAlbumSlot);
    fTrack = trackNumber(info.texts[TrackSlot]);
    fYear = ascii::trimmed(info.texts[YearSlot]);
    if (fYear.isEmpty())
        fYear = ascii::trimmed(info.texts[RecordingTimeSlot].left(4));
    fGenre = ascii::trimmed(info.texts[GenreSlot]);
    fComment = ascii::trimmed(info.texts[CommentSlot]);
    fComposer = ascii::trimmed(info.texts[ComposerSlot]);
    fEncodedBy = ascii::trimmed(info.texts[EncodedBySlot]);
    fRights = ascii::trimmed(info.texts[RightsSlot]);
    fLanguage = ascii::trimmed(info.texts[LanguageSlot]);
    fLink = ascii::trimmed(info.texts[LinkSlot]);
    return true;
}

bool TID3v2::losesUnreadableParts(const TagSession &session)
{
    return id3v2::losesUnreadableParts(session.id3v2());
}

QString TID3v2::unreadablePartsQuestion()
{
    return QStringLiteral("Alcune parti di questo tag non si possono leggere e andrebbero perse: scrivere comunque?");
}

bool TID3v2::WriteToFile(const QString &fileName)
{
    return SaveToFile(fileName).saved();
}

TID3v2::SaveResult TID3v2::SaveToFile(const QString &fileName, bool writeDespiteLoss)
{
    TagSession session(fileName);
    return SaveToFile(session, writeDespiteLoss);
}

TID3v2::SaveResult TID3v2::SaveToFile(TagSession &session, bool writeDespiteLoss)
{
    using namespace id3v2;
    const auto failure = [&](SaveStatus status, int error) {
        const QString reason = platform::HeldFile::errorText(error ? error : EIO);
        const QString text = status == SaveStatus::ReadFailed
                                 ? QStringLiteral("Impossibile leggere il tag del file \"%1\": %2")
                                 : QStringLiteral("Impossibile scrivere il tag ID3v2 nel file \"%1\": %2");
        return SaveResult{status, text.arg(session.fileName(), reason)};
    };
    // The frames of the tag the file holds: every one that the values do not replace is
    // written back. A file that could not be read is not written: frames the read could
    // not deliver would be lost.
    if (!session.readAgainIfChanged())
        return failure(SaveStatus::ReadFailed, session.error() ? session.error() : errno);
    TagInfo info = session.id3v2();
    if (!writeDespiteLoss && id3v2::losesUnreadableParts(info))
        return SaveResult{SaveStatus::UnreadablePartsWouldBeLost, unreadablePartsQuestion()};
    const QString total = trackTotal(info.texts[TrackSlot]);
    const QString recordingTime = info.texts[RecordingTimeSlot];
    info.texts = {};
    info.texts[TitleSlot] = fTitle;
    info.texts[ArtistSlot] = fArtist;
    info.texts[AlbumSlot] = fAlbum;
    if (fTrack != 0)
        info.texts[TrackSlot] = QString::number(fTrack) + (total.isEmpty() ? QString() : QLatin1Char('/') + total);
    info.texts[YearSlot] = fYear;
    info.texts[RecordingTimeSlot] = recordingTime;
    info.texts[GenreSlot] = fGenre;
    info.texts[CommentSlot] = fComment;
    info.texts[ComposerSlot] = fComposer;
    info.texts[EncodedBySlot] = fEncodedBy;
    info.texts[RightsSlot] = fRights;
    info.texts[LanguageSlot] = fLanguage;
    info.texts[LinkSlot] = fLink;
    const std::optional<QByteArray> tag = BuildTag(info);
    if (!tag)
        return failure(SaveStatus::WriteFailed, EFBIG);
    errno = 0;
    if (!session.writeId3v2(*tag))
        return failure(SaveStatus::WriteFailed, errno);
    return SaveResult{SaveStatus::Saved, QString()};
}
