#include "platform/NativeNames.h"

#include <algorithm>

namespace platform {

namespace {
constexpr char16_t backslashStandIn = 0xF05C;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `at` (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF) and its code point; 0 when there is none.
int validSequence(const unsigned char *at, const unsigned char *end, char32_t &codePoint)
{
    const unsigned char lead = at[0];
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - at < length || at[1] < low || at[1] > high)
        return 0;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(at[i]))
            return 0;
        codePoint = (codePoint << 6) | (at[i] & 0x3F);
    }
    return length;
}

bool mustStayRaw(char32_t codePoint)
{
    return codePoint == backslashStandIn || (codePoint >= rawByteFirst && codePoint <= rawByteLast);
}

// Writes the code point as UTF-8 at `out`; returns the position after it.
char *putUtf8(char *out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        *out++ = char(codePoint);
    } else if (codePoint < 0x800) {
        *out++ = char(0xC0 | (codePoint >> 6));
        *out++ = char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out++ = char(0xE0 | (codePoint >> 12));
        *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = char(0x80 | (codePoint & 0x3F));
    } else {
        *out++ = char(0xF0 | (codePoint >> 18));
        *out++ = char(0x80 | ((codePoint >> 12) & 0x3F));
        *out++ = char(0x80 | ((codePoint >> 6) & 0x3F));
        *out++ = char(0x80 | (codePoint & 0x3F));
    }
    return out;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}
} // namespace

QString decodeNativeName(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QString name;
    name.reserve(bytes.size());
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = at + bytes.size();
    while (at < end) {
        if (*at < 0x80) {
            name.append(QChar(char16_t(*at++)));
            continue;
        }
        char32_t codePoint = 0;
        const int length = validSequence(at, end, codePoint);
        if (length == 0 || mustStayRaw(codePoint)) {
            for (int i = 0; i < std::max(length, 1); ++i)
                name.append(rawByteChar(*at++));
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            name.append(QChar(QChar::highSurrogate(codePoint)));
            name.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            name.append(QChar(char16_t(codePoint)));
        }
        at += length;
    }
    return name;
}

QByteArray encodeNativeName(QStringView name)
{
    // At most three bytes for each UTF-16 unit (four for a pair of two).
    QByteArray bytes(name.size() * 3, Qt::Uninitialized);
    char *out = bytes.data();
    const char16_t *unit = name.utf16();
    const char16_t *end = unit + name.size();
    while (unit < end) {
        const char16_t c = *unit++;
        if (c < 0x80)
            *out++ = char(c);
        else if (isRawByte(QChar(c)))
            *out++ = char(c - rawByteFirst + 0x80);
        else if (QChar::isHighSurrogate(c) && unit < end && QChar::isLowSurrogate(*unit))
            out = putUtf8(out, QChar::surrogateToUcs4(c, *unit++));
        else if (QChar::isSurrogate(c))
            out = putUtf8(out, QChar::ReplacementCharacter);
        else
            out = putUtf8(out, c);
    }
    bytes.truncate(out - bytes.data());
    return bytes;
}

QString displayName(const QString &name)
{
    if (std::none_of(name.cbegin(), name.cend(), isRawByte))
        return name;
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        if (!isRawByte(c)) {
            shown.append(c);
            continue;
        }
        const int byte = c.unicode() - rawByteFirst + 0x80;
        if (byte >= 0xA0)
            shown.append(QChar(char16_t(byte)));
        else
            shown.append(QLatin1String("\\x") + QString::number(byte, 16).toUpper());
    }
    return shown;
}

} // namespace platform
