#pragma once
// Integer and unsynchronisation codings of ID3v2.

#include <QByteArray>
#include <QByteArrayView>

namespace id3v2 {

quint32 bigEndian(QByteArrayView bytes);              // up to 4 bytes, most significant first
quint32 syncsafe(QByteArrayView bytes);               // 4 bytes of 7 bits each
QByteArray bigEndianBytes(quint32 value, int count);
QByteArray syncsafeBytes(quint32 value);              // value below 2^28
// Every FF 00 becomes FF.
QByteArray removeUnsynchronisation(const QByteArray &bytes);

} // namespace id3v2
