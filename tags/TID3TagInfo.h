#pragma once
// The ID3v1.1 tag: the fixed 128-byte record at the end of an MP3 file.

#include <QString>
#include <array>
#include <cstdint>

class TagSession;

class TID3TagInfo {
public:
    static constexpr int RecordSize = 128;
    static constexpr int GenreCount = 126;
    static constexpr int NoGenre = 126;
    // The ID3v1 genre list and its customary extension, indices 0-125.
    static const std::array<const char *, GenreCount> GenreNames;

    TID3TagInfo();

    // Reads the last 128 bytes of the file. Throws platform::FileOpenError when the
    // file cannot be opened and platform::StreamError when it is shorter than 128 bytes.
    void ReadFromFile(const QString &fileName);
    // The same from a file already read; throws FileOpenError for a failed read.
    void ReadFromFile(const TagSession &session);
    // Writes the record over the file's ID3v1 tag, or appends it when the file ends
    // without one, as the last ReadFromFile found it (an object never loaded takes the
    // file's end as it is). Throws like ReadFromFile, and platform::StreamError when the
    // end cannot be read or has changed since the load (a tag removed or added); the 128
    // bytes are written in one piece.
    void WriteToFile(const QString &fileName);
    // The same through a file already read.
    void WriteToFile(TagSession &session);

    bool HasTag() const { return fHasTag; }

    QString GetTitle() const;
    QString GetArtist() const;
    QString GetAlbum() const;
    QString GetYear() const;
    QString GetComment() const;
    QString GetGenre() const; // empty for an index above 125
    int GetTrack() const;     // 0 when none

    // Texts are stored as given, cut to the field's width (ISO-8859-1).
    void SetTitle(const QString &text);
    void SetArtist(const QString &text);
    void SetAlbum(const QString &text);
    void SetYear(const QString &text);
    void SetComment(const QString &text);
    // The index of the name, letter case of A-Z ignored; 126 when none matches.
    void SetGenre(const QString &text);
    // 1-255; anything else is stored as none (0).
    void SetTrack(int value);

    // The genre index for a name as SetGenre finds it.
    static int genreIndex(const QString &name);

protected:
    std::array<std::uint8_t, RecordSize> fRecord{};
    bool fHasTag = false;
    enum class LoadedEnd { Unknown, NoTag, Tag };
    LoadedEnd fLoadedEnd = LoadedEnd::Unknown;

private:
    QString fieldText(int offset, int width) const;
    void setFieldText(int offset, int width, const QString &text);
    void clearValues();
};
