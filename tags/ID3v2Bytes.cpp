#include "tags/ID3v2Bytes.h"

namespace id3v2 {

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char byte : bytes)
        value = (value << 8) | quint8(byte);
    return value;
}

quint32 syncsafe(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char byte : bytes)
        value = (value << 7) | (quint8(byte) & 0x7F);
    return value;
}

QByteArray bigEndianBytes(quint32 value, int count)
{
    QByteArray bytes(count, '\0');
    for (int i = count - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

QByteArray syncsafeBytes(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 3; i >= 0; --i, value >>= 7)
        bytes[i] = char(value & 0x7F);
    return bytes;
}

QByteArray removeUnsynchronisation(const QByteArray &bytes)
{
    if (!bytes.contains(QByteArrayView("\xFF\x00", 2)))
        return bytes;
    QByteArray result;
    result.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        result.append(bytes.at(i));
        if (quint8(bytes.at(i)) == 0xFF && i + 1 < bytes.size() && bytes.at(i + 1) == '\0')
            ++i;
    }
    return result;
}

} // namespace id3v2
