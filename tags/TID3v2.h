#pragma once
// The tag values of the MP3 file in work, and reading/writing them as an ID3v2 tag.

#include <QList>
#include <QString>
#include <cstdint>

class TagSession;

class TID3v2 {
public:
    TID3v2() { Clear(); }

    // HasTag, Version, TagSize and Track 0, all texts empty.
    void Clear();

    // Setters store the text trimmed of leading and trailing characters 0-32.
    void SetTitle(const QString &text);
    void SetArtist(const QString &text);
    void SetAlbum(const QString &text);
    void SetYear(const QString &text);
    void SetGenre(const QString &text);
    void SetComment(const QString &text);
    void SetLink(const QString &text);
    // 0-999 (three digits, as the field takes); 0 for none.
    void SetTrack(std::uint16_t track) { fTrack = track <= MaxTrack ? track : 0; }
    static constexpr std::uint16_t MaxTrack = 999;

    // Reads the ID3v2 tag (versions 2.2-2.4) of the file into the values; absorbs every
    // error. False when the file has not even 10 bytes to read.
    bool ReadFromFile(const QString &fileName);
    // The same from a file already read; false when that read failed.
    bool ReadFromFile(const TagSession &session);
    // Writes the values into the file as an ID3v2.3 tag in place of the tag it has; every
    // other frame of that tag (pictures, lyrics, other comments…) is written back. A tag
    // that fits in the old one's space is written in place through a journal, else the
    // file is replaced in one atomic step. False on any failure, the file left as it was;
    // a tag with parts that cannot be read is not written (see SaveToFile).
    bool WriteToFile(const QString &fileName);

    enum class SaveStatus {
        Saved,
        ReadFailed,              // the old tag could not be read: nothing written
        UnreadablePartsWouldBeLost, // asked with unreadablePartsQuestion(); nothing written
        WriteFailed,             // nothing written, or the file repaired at its next read
    };
    struct SaveResult {
        SaveStatus status = SaveStatus::WriteFailed;
        QString message; // for the user; empty when saved
        bool saved() const { return status == SaveStatus::Saved; }
    };
    // WriteToFile with its reasons. Parts of the old tag that cannot be read (bytes that
    // are no frame, frames too large to read) would be lost by the write: unless
    // `writeDespiteLoss` the save stops with UnreadablePartsWouldBeLost.
    SaveResult SaveToFile(const QString &fileName, bool writeDespiteLoss = false);
    // The same through a file already read (a session that could not read it is refused
    // with ReadFailed); a file changed since is read again first.
    SaveResult SaveToFile(TagSession &session, bool writeDespiteLoss = false);
    // Whether a save from the session's tag would lose parts that cannot be read.
    static bool losesUnreadableParts(const TagSession &session);
    // The question to ask before writing anyway.
    static QString unreadablePartsQuestion();

    std::uint8_t HasTag() const { return fHasTag; }
    std::uint8_t Version() const { return fVersion; }
    std::int32_t TagSize() const { return fTagSize; }
    QString Title() const { return fTitle; }
    QString Artist() const { return fArtist; }
    QString Album() const { return fAlbum; }
    std::uint16_t Track() const { return fTrack; }
    QString Year() const { return fYear; }
    QString Genre() const { return fGenre; }
    QString Comment() const { return fComment; }
    QString Composer() const { return fComposer; }
    QString EncodedBy() const { return fEncodedBy; }
    QString Rights() const { return fRights; }
    QString Language() const { return fLanguage; }
    QString Link() const { return fLink; }

protected:
    std::uint8_t fHasTag = 0;
    std::uint8_t fVersion = 0;
    std::int32_t fTagSize = 0;
    QString fTitle, fArtist, fAlbum;
    std::uint16_t fTrack = 0;
    QString fYear, fGenre, fComment, fComposer, fEncodedBy, fRights, fLanguage, fLink;
};
