#include "tags/ID3v2Text.h"

#include <algorithm>

namespace id3v2 {

namespace {
enum ByteOrder { UnknownOrder = 0, LittleEndian = 1, BigEndian = 2 };

ByteOrder orderSuggestedByZeros(QByteArrayView bytes)
{
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        evenZeros += bytes[i] == '\0';
        oddZeros += bytes[i + 1] == '\0';
    }
    return evenZeros > oddZeros ? BigEndian : LittleEndian;
}
} // namespace

TextReader::TextReader(QByteArrayView data, qsizetype pos, int encoding)
    : m_data(data), m_pos(std::min(pos, data.size())), m_encoding(encoding > Utf8 ? Latin1 : encoding)
{
    if (m_encoding == Utf16BigEndian)
        m_byteOrder = BigEndian;
}

QString TextReader::decodeUtf16(QByteArrayView bytes)
{
    if (bytes.size() >= 2) {
        const quint8 first = quint8(bytes[0]);
        const quint8 second = quint8(bytes[1]);
        if (first == 0xFF && second == 0xFE) {
            m_byteOrder = LittleEndian;
            bytes = bytes.sliced(2);
        } else if (first == 0xFE && second == 0xFF) {
            m_byteOrder = BigEndian;
            bytes = bytes.sliced(2);
        }
    }
    if (m_byteOrder == UnknownOrder)
        m_byteOrder = orderSuggestedByZeros(bytes);
    QString text(bytes.size() / 2, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const quint8 a = quint8(bytes[i]);
        const quint8 b = quint8(bytes[i + 1]);
        *out++ = m_byteOrder == BigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
    }
    return text;
}

QString TextReader::next()
{
    return nextUpTo(false);
}

QString TextReader::nextUpTo(bool untilEnd)
{
    const QByteArrayView rest = m_data.sliced(m_pos);
    qsizetype length = rest.size();
    qsizetype terminator = 0;
    if (untilEnd) {
        terminator = wide() ? 2 : 1;
        const bool terminated = length >= terminator && rest.last(terminator).count('\0') == terminator;
        length -= terminated ? terminator : 0;
        terminator = terminated ? terminator : 0;
    } else if (wide()) {
        for (qsizetype i = 0; i + 1 < rest.size(); i += 2) {
            if (rest[i] == '\0' && rest[i + 1] == '\0') {
                length = i;
                terminator = 2;
                break;
            }
        }
    } else if (const qsizetype zero = rest.indexOf('\0'); zero >= 0) {
        length = zero;
        terminator = 1;
    }
    m_pos += length + terminator;
    const QByteArrayView bytes = rest.first(length);
    switch (m_encoding) {
    case Utf16:
    case Utf16BigEndian:
        return decodeUtf16(bytes);
    case Utf8:
        return QString::fromUtf8(bytes);
    default:
        return QString::fromLatin1(bytes);
    }
}

QByteArray TextReader::nextLatin1()
{
    const QByteArrayView rest = m_data.sliced(m_pos);
    const qsizetype zero = rest.indexOf('\0');
    const qsizetype length = zero < 0 ? rest.size() : zero;
    m_pos += zero < 0 ? length : length + 1;
    return rest.first(length).toByteArray();
}

QByteArray TextReader::nextBytes(qsizetype count)
{
    const QByteArrayView bytes = m_data.sliced(m_pos).first(std::min(count, m_data.size() - m_pos));
    m_pos += bytes.size();
    return bytes.toByteArray();
}

QStringList TextReader::rest()
{
    QStringList texts;
    while (!atEnd())
        texts.append(nextUpTo(texts.size() + 1 == MaxValues));
    return texts;
}

TextEncoding encodingFor(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xFF; }))
            return Utf16;
    }
    return Latin1;
}

QByteArray encodedText(const QString &text, TextEncoding encoding, bool terminated)
{
    QByteArray bytes;
    if (encoding == Utf16) {
        bytes.reserve(2 + text.size() * 2 + 2);
        bytes.append("\xFF\xFE", 2);
        for (const QChar c : text) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
        if (terminated)
            bytes.append(2, '\0');
    } else {
        bytes = text.toLatin1();
        if (terminated)
            bytes.append('\0');
    }
    return bytes;
}

QByteArray textFrameContent(const QString &text)
{
    const TextEncoding encoding = encodingFor({text});
    return char(encoding) + encodedText(text, encoding, false);
}

} // namespace id3v2
