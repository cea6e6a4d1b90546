#include "tags/ID3v2FrameScanner.h"

#include "tags/ID3v2Bytes.h"

#include <QByteArrayView>
#include <algorithm>

namespace id3v2 {

namespace {
bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isFrameIdCharacter(char c) { return isUpperLetter(c) || (c >= '0' && c <= '9'); }

bool isFrameId(const char *bytes, int length)
{
    return isUpperLetter(bytes[0]) && std::all_of(bytes + 1, bytes + length, isFrameIdCharacter);
}
} // namespace

FrameScanner::FrameScanner(const QByteArray &body, int version) : m_body(body), m_version(version)
{
    m_lastNonZero = body.size() - 1;
    while (m_lastNonZero >= 0 && body.at(m_lastNonZero) == '\0')
        --m_lastNonZero;
}

bool FrameScanner::frameAt(qsizetype pos) const
{
    return headerAt(pos) && isFrameId(m_body.constData() + pos, idLength());
}

bool FrameScanner::boundaryAt(qint64 pos) const
{
    if (pos > m_body.size())
        return false;
    return pos == m_body.size() || pos > m_lastNonZero || frameAt(qsizetype(pos));
}

qsizetype FrameScanner::nextFrameAfter(qsizetype pos) const
{
    for (++pos; pos <= m_lastNonZero; ++pos) {
        if (frameAt(pos) && boundaryAt(pos + headerLength() + frameSize(pos)))
            return pos;
    }
    return m_body.size();
}

qint64 FrameScanner::frameSize(qsizetype pos) const
{
    const QByteArrayView header = QByteArrayView(m_body).sliced(pos, headerLength());
    if (m_version == 2)
        return bigEndian(header.sliced(3, 3));
    const QByteArrayView sizeBytes = header.sliced(4, 4);
    const qint64 plain = bigEndian(sizeBytes);
    if (m_version == 3)
        return plain;
    const qint64 safe = syncsafe(sizeBytes);
    if (plain == safe || std::any_of(sizeBytes.begin(), sizeBytes.end(), [](char c) { return c & 0x80; }))
        return plain;
    const qint64 dataStart = pos + headerLength();
    if (boundaryAt(dataStart + safe))
        return safe;
    return boundaryAt(dataStart + plain) ? plain : safe;
}

} // namespace id3v2
