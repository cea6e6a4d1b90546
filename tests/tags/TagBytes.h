#pragma once
// Building MP3 files byte by byte for the tag tests: silent audio, ID3v2 tags of each
// version and ID3v1 records.

#include <QByteArray>
#include <QList>
#include <QString>

namespace tagbytes {

// `count` silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz), 417 bytes each.
QByteArray silentAudio(int count = 4);

QByteArray bigEndian(quint32 value, int count);
QByteArray syncsafe(quint32 value);

// A frame of version 2 (3-character ID), 3 (plain size) or 4 (syncsafe size).
QByteArray frameV22(const QByteArray &id, const QByteArray &data);
QByteArray frameV23(const QByteArray &id, const QByteArray &data, quint8 status = 0, quint8 format = 0);
QByteArray frameV24(const QByteArray &id, const QByteArray &data, quint8 status = 0, quint8 format = 0);
// The same with a plain 32-bit size, as some writers put it in 2.4 tags.
QByteArray frameV24PlainSize(const QByteArray &id, const QByteArray &data);

// Text frame data: encoding byte + bytes as given.
QByteArray latin1Text(const QByteArray &text);
QByteArray utf16Text(const QString &text); // encoding 1, BOM, little-endian, no terminator

// "ID3", version, revision 0, flags, syncsafe size of body + padding; body; zero padding.
QByteArray id3v2Tag(int version, const QByteArray &body, quint8 flags = 0, int padding = 0);

// An ID3v1.1 record.
QByteArray id3v1(const QByteArray &title, const QByteArray &artist, quint8 track, quint8 genre);

} // namespace tagbytes

namespace tagbytes {

// The frames of the 2.3 tag at the start of a file, as a plain reader of the format sees them.
struct Frame23 {
    QByteArray id;
    QByteArray flags;
    QByteArray data;
    bool operator==(const Frame23 &) const = default;
};
QList<Frame23> framesOf(const QByteArray &file);
// The frame with that ID, an empty one when there is none.
Frame23 frameOf(const QByteArray &file, const QByteArray &id);
// The file after its ID3v2 tag.
QByteArray afterTag(const QByteArray &file);

} // namespace tagbytes
