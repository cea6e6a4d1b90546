#pragma once
// Native file names are bytes; the program holds them as QString without losing any.
// Bytes that form valid UTF-8 are decoded as UTF-8. Every byte that is not part of a
// valid UTF-8 sequence (a Latin-1 or cp1251 name, an overlong form, a lone
// continuation byte) is held as a code point of its own, U+F780..U+F7FF for bytes
// 0x80..0xFF, and encoded back to that byte. A name whose UTF-8 holds one of those
// code points, or U+F05C (the stand-in for a native "\"), keeps that character's
// bytes as such raw bytes, so decoding stays one-to-one: every byte string survives
// decode then encode unchanged.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

inline constexpr char16_t rawByteFirst = 0xF780; // holds byte 0x80
inline constexpr char16_t rawByteLast = 0xF7FF;  // holds byte 0xFF

inline constexpr bool isRawByte(QChar c)
{
    return c.unicode() >= rawByteFirst && c.unicode() <= rawByteLast;
}
inline constexpr QChar rawByteChar(unsigned char byte)
{
    return QChar(char16_t(rawByteFirst + (byte - 0x80)));
}

QString decodeNativeName(QByteArrayView bytes);
// A surrogate without its pair (never made by decoding) is written as U+FFFD.
QByteArray encodeNativeName(QStringView name);

// The name as shown to the user: each raw byte as its Latin-1 character, or as
// "\xNN" where that character is a control (0x80..0x9F). For display only: the
// name itself keeps the raw bytes, so that it still names the same file.
QString displayName(const QString &name);

} // namespace platform
