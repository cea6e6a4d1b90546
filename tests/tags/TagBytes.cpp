#include "TagBytes.h"

namespace tagbytes {

QByteArray silentAudio(int count)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    return frame.repeated(count);
}

QByteArray bigEndian(quint32 value, int count)
{
    QByteArray bytes(count, '\0');
    for (int i = count - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

QByteArray syncsafe(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7)
        bytes[i] = char(value & 0x7F);
    return bytes;
}

QByteArray frameV22(const QByteArray &id, const QByteArray &data)
{
    return id + bigEndian(quint32(data.size()), 3) + data;
}

QByteArray frameV23(const QByteArray &id, const QByteArray &data, quint8 status, quint8 format)
{
    return id + bigEndian(quint32(data.size()), 4) + char(status) + char(format) + data;
}

QByteArray frameV24(const QByteArray &id, const QByteArray &data, quint8 status, quint8 format)
{
    return id + syncsafe(quint32(data.size())) + char(status) + char(format) + data;
}

QByteArray frameV24PlainSize(const QByteArray &id, const QByteArray &data)
{
    return frameV23(id, data);
}

QByteArray latin1Text(const QByteArray &text)
{
    return '\0' + text;
}

QByteArray utf16Text(const QString &text)
{
    QByteArray bytes("\x01\xFF\xFE", 3);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray id3v2Tag(int version, const QByteArray &body, quint8 flags, int padding)
{
    return QByteArray("ID3") + char(version) + '\0' + char(flags) + syncsafe(quint32(body.size() + padding)) + body +
           QByteArray(padding, '\0');
}

QByteArray id3v1(const QByteArray &title, const QByteArray &artist, quint8 track, quint8 genre)
{
    QByteArray record(128, '\0');
    record.replace(0, 3, "TAG");
    record.replace(3, title.size(), title);
    record.replace(33, artist.size(), artist);
    record[126] = char(track);
    record[127] = char(genre);
    return record;
}

} // namespace tagbytes

namespace tagbytes {

namespace {
quint32 sizeOf(const QByteArray &bytes, qsizetype pos, bool syncsafeBytes)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = syncsafeBytes ? (value << 7) | (quint8(bytes.at(pos + i)) & 0x7F) : (value << 8) | quint8(bytes.at(pos + i));
    return value;
}
} // namespace

QList<Frame23> framesOf(const QByteArray &file)
{
    QList<Frame23> frames;
    if (!file.startsWith("ID3\x03"))
        return frames;
    const qsizetype end = 10 + qsizetype(sizeOf(file, 6, true));
    qsizetype pos = 10;
    while (pos + 10 <= end && file.at(pos) != '\0') {
        const qsizetype size = sizeOf(file, pos + 4, false);
        frames.append(Frame23{file.mid(pos, 4), file.mid(pos + 8, 2), file.mid(pos + 10, size)});
        pos += 10 + size;
    }
    return frames;
}

Frame23 frameOf(const QByteArray &file, const QByteArray &id)
{
    for (const Frame23 &frame : framesOf(file)) {
        if (frame.id == id)
            return frame;
    }
    return Frame23{};
}

QByteArray afterTag(const QByteArray &file)
{
    if (!file.startsWith("ID3"))
        return file;
    return file.mid(10 + qsizetype(sizeOf(file, 6, true)) + ((file.at(5) & 0x10) ? 10 : 0));
}

} // namespace tagbytes
