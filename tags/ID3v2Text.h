#pragma once
// The text encodings of ID3v2 frames: reading strings in any of them, writing 2.3 text.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace id3v2 {

enum TextEncoding : quint8 { Latin1 = 0, Utf16 = 1, Utf16BigEndian = 2, Utf8 = 3 };

// Reads the strings of one frame one after another. An unknown encoding reads as
// Latin-1; UTF-16 without a byte order mark takes the order of the frame's last mark,
// or the one its zero bytes suggest. A missing terminator ends the string at the end
// of the data.
class TextReader {
public:
    TextReader(QByteArrayView data, qsizetype pos, int encoding);

    bool atEnd() const { return m_pos >= m_data.size(); }
    qsizetype position() const { return m_pos; }
    // The next string, up to and past its terminator.
    QString next();
    // A string in Latin-1 whatever the frame's encoding (MIME types, prices).
    QByteArray nextLatin1();
    // `count` bytes as they are; fewer at the end.
    QByteArray nextBytes(qsizetype count);
    // The strings left, without an empty one after the last terminator; at most MaxValues,
    // the last of them holding all that is left (its terminators as U+0000).
    static constexpr qsizetype MaxValues = 1000;
    QStringList rest();

private:
    bool wide() const { return m_encoding == Utf16 || m_encoding == Utf16BigEndian; }
    QString decodeUtf16(QByteArrayView bytes);
    QString nextUpTo(bool untilEnd); // up to the next terminator, or to the end

    QByteArrayView m_data;
    qsizetype m_pos;
    int m_encoding;
    int m_byteOrder = 0; // 0 unknown, 1 little-endian, 2 big-endian
};

// Encoding 0 when every character has a Latin-1 code, else 1 (UTF-16 with byte order mark).
TextEncoding encodingFor(const QStringList &texts);
QByteArray encodedText(const QString &text, TextEncoding encoding, bool terminated);
// The content of a 2.3 text frame: encoding byte and text, no terminator.
QByteArray textFrameContent(const QString &text);

} // namespace id3v2
