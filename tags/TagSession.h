#pragma once
// One MP3 file open for its tags. The file is opened once (a save cut short is repaired
// first), both tags are read into one buffer with as few reads as its layout allows, the
// frames are parsed as views into that buffer, and both tags are written back through the
// same descriptor. A failed open or read is an error with its cause, never "no tag".

#include "tags/ID3v2TagInfo.h"

#include "platform/HeldFile.h"

#include <QByteArray>
#include <QString>

class TagSession {
public:
    // The file `nativeName` of the open folder `folderFd` (HeldFile::CurrentFolder: the
    // current folder);
    // `fileName` names it in messages.
    TagSession(int folderFd, const QByteArray &nativeName, const QString &fileName);
    // A file named as the program names files (bare name, drive path or native path).
    explicit TagSession(const QString &fileName);

    // 0 once both tags are read; else the error number of the open or read that failed
    // (platform::HeldFile::NotRegularFile for a folder, FIFO or device).
    int error() const { return m_error; }
    bool loaded() const { return m_error == 0; }
    // "Impossibile leggere il tag del file "NAME": CAUSE" for a failed load.
    QString errorMessage() const;
    QString fileName() const { return m_fileName; }

    // The ID3v2 tag as read, every frame kept (frames of a version other than 2-4, or of
    // none, leave it without identifier).
    const id3v2::TagInfo &id3v2() const { return m_id3v2; }
    // The bytes the file held when it was read: its whole ID3v2 tag (empty for none) and
    // its ID3v1 record (empty for none).
    QByteArrayView oldId3v2() const { return QByteArrayView(m_loaded).first(qsizetype(m_loadedId3v2Size)); }
    QByteArray oldId3v1() const { return m_loadedId3v1; }
    qint64 fileSize() const { return m_size; }
    // The modification time (nanoseconds) as read or last written.
    qint64 modifiedTime() const { return m_file.modified(); }
    // Whether the file is one this program tags: it starts with an ID3v2 tag or an MPEG
    // audio frame header. Another format (FLAC, WAV, a picture) named ".mp3" is not.
    bool startsAsMp3() const;
    // Whether the file ends with an ID3v1 record now.
    bool endsWithId3v1() const { return !m_id3v1.isEmpty(); }

    // Where the last writes put their bytes; offset -1 while nothing was written.
    struct Region {
        qint64 offset = -1;
        qint64 length = 0;
    };
    Region writtenId3v2() const { return m_writtenId3v2; }
    Region writtenId3v1() const { return m_writtenId3v1; }
    // The ID3v2 write replaced the file by a new one (the tag did not fit).
    bool replacedFile() const { return m_replacedFile; }

    // Puts `tag` in place of the ID3v2 tag, keeping everything after it: in place through
    // a journal when it fits in the old tag's space (the rest padded), else by rewriting
    // the file with padding for growth. A file changed since the read is read again first.
    // False with errno set on failure, the file left with its old tag.
    bool writeId3v2(const QByteArray &tag);
    // Writes the 128-byte record over the ID3v1 tag the read found, or after the end of a
    // file that had none; false with errno set (EAGAIN when the end changed since the read).
    bool writeId3v1(const QByteArray &record);

    // Puts back tags exactly as another session's oldId3v2() and oldId3v1() held them,
    // keeping the audio: the ID3v2 tag in place through the journal when it has the same
    // size, else by the file's rewrite; then the ID3v1 record written over, appended or cut
    // off. False with errno set and the ID3v2 tag put back as it was; afterwards the file
    // is read again.
    bool restoreTags(const QByteArray &id3v2, const QByteArray &id3v1);

    // Reads the file again when another program changed or replaced it since; false with
    // errno set when that read failed (or an earlier one did).
    bool readAgainIfChanged() { return current(); }

    // The file was renamed within its folder: reads again go by the new name.
    void setNativeName(const QByteArray &nativeName)
    {
        m_nativeName = nativeName;
        m_file.setNativeName(nativeName);
    }

private:
    void open();
    bool read();
    void parse();
    bool readAt(char *data, qint64 size, qint64 offset);
    // Reads the file again when another program changed it since; false with errno set.
    bool current();
    // Opens and reads the file anew; false with errno set.
    bool readAgain();
    bool restoreId3v2(const QByteArray &id3v2);
    bool restoreId3v1(const QByteArray &record);
    bool writeId3v1At(qint64 offset, const QByteArray &record);

    int m_folderFd;
    QByteArray m_nativeName;
    QString m_fileName;
    platform::HeldFile m_file;
    int m_error = 0;
    qint64 m_size = 0;
    QByteArray m_buffer;  // the file's start: the whole ID3v2 tag and at least its header
    qint64 m_id3v2Size = 0;
    QByteArray m_id3v1;
    // As read, for a caller that puts the old tags back.
    QByteArray m_loaded;
    qint64 m_loadedId3v2Size = 0;
    QByteArray m_loadedId3v1;
    id3v2::TagInfo m_id3v2;
    Region m_writtenId3v2, m_writtenId3v1;
    bool m_replacedFile = false;
};
