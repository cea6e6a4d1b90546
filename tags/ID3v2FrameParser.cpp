#include "tags/ID3v2Tag.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2FrameDecoder.h"

#include "platform/RandomAccessFile.h"

#include <algorithm>
#include <cerrno>

using platform::RandomAccessFile;

namespace id3v2 {

namespace {
bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isFrameIdCharacter(char c) { return isUpperLetter(c) || (c >= '0' && c <= '9'); }

bool isFrameId(const char *bytes, int length)
{
    return isUpperLetter(bytes[0]) && std::all_of(bytes + 1, bytes + length, isFrameIdCharacter);
}

// The bytes of the frames: the tag after its header, without a footer. A read that
// delivers less than the tag's size (it lies within the file) is noted as a read error.
QByteArray readTagBody(const RandomAccessFile &file, TagInfo &info)
{
    qint64 length = GetTagSize(info) - HeaderSize;
    if (headerFlags(info) & FooterFlag)
        length -= FooterSize;
    if (!file.isOpen()) {
        info.readError = file.openError();
        return QByteArray();
    }
    QByteArray body = file.readAt(HeaderSize, length);
    if (body.size() < length && info.readError == 0)
        info.readError = file.readError() ? file.readError() : EIO;
    return body;
}

// Where the frames begin: after an extended header, -1 when that does not fit.
qsizetype framesStart(const QByteArray &body, int version, quint8 flags)
{
    if (version == 2 || !(flags & ExtendedHeaderFlag))
        return 0;
    if (body.size() < 4)
        return -1;
    const QByteArrayView sizeBytes = QByteArrayView(body).first(4);
    qint64 end;
    if (version == 3) {
        end = 4 + qint64(bigEndian(sizeBytes)); // the size leaves out its own four bytes
    } else {
        end = syncsafe(sizeBytes);               // the size counts the whole extended header
        if (end < 6)
            end += 4;
    }
    return end <= body.size() ? qsizetype(end) : -1;
}

class FrameScanner {
public:
    FrameScanner(const QByteArray &body, int version) : m_body(body), m_version(version)
    {
        m_lastNonZero = body.size() - 1;
        while (m_lastNonZero >= 0 && body.at(m_lastNonZero) == '\0')
            --m_lastNonZero;
    }

    int idLength() const { return m_version == 2 ? 3 : 4; }
    int headerLength() const { return m_version == 2 ? 6 : 10; }

    bool headerAt(qsizetype pos) const { return m_body.size() - pos >= headerLength(); }
    bool frameAt(qsizetype pos) const
    {
        return headerAt(pos) && isFrameId(m_body.constData() + pos, idLength());
    }
    // Only zero padding from here.
    bool paddingAt(qsizetype pos) const { return pos > m_lastNonZero; }
    // Where a frame may end: at the next frame, the padding or the end.
    bool boundaryAt(qint64 pos) const { return nextFrameFits(pos); }
    // The first frame header after pos whose frame ends at a boundary; the end when none.
    qsizetype nextFrameAfter(qsizetype pos) const
    {
        for (++pos; pos <= m_lastNonZero; ++pos) {
            if (frameAt(pos) && boundaryAt(pos + headerLength() + frameSize(pos)))
                return pos;
        }
        return m_body.size();
    }

    // The declared size of the frame at pos.
    qint64 frameSize(qsizetype pos) const
    {
        const QByteArrayView header = QByteArrayView(m_body).sliced(pos, headerLength());
        if (m_version == 2)
            return bigEndian(header.sliced(3, 3));
        const QByteArrayView sizeBytes = header.sliced(4, 4);
        const qint64 plain = bigEndian(sizeBytes);
        if (m_version == 3)
            return plain;
        // Version 4 sizes are syncsafe, but some writers put plain sizes: take the
        // reading after which the next frame, the padding or the end follows.
        const qint64 safe = syncsafe(sizeBytes);
        if (plain == safe || std::any_of(sizeBytes.begin(), sizeBytes.end(), [](char c) { return c & 0x80; }))
            return plain;
        const qint64 dataStart = pos + headerLength();
        if (nextFrameFits(dataStart + safe))
            return safe;
        return nextFrameFits(dataStart + plain) ? plain : safe;
    }

private:
    bool nextFrameFits(qint64 pos) const
    {
        if (pos > m_body.size())
            return false;
        return pos == m_body.size() || pos > m_lastNonZero || frameAt(qsizetype(pos));
    }

    const QByteArray &m_body;
    int m_version;
    qsizetype m_lastNonZero;
};
} // namespace

namespace {
// Reads the frames of the body into info. A frame whose ID is not valid but whose size
// ends where a frame or the padding begins is kept whole; other bytes that are no frame
// are skipped up to the next frame header and counted as unreadable.
void parseFrames(const QByteArray &body, int version, quint8 flags, TagInfo &info)
{
    qsizetype pos = framesStart(body, version, flags);
    if (pos < 0) {
        info.unreadableBytes += body.size();
        return;
    }
    const FrameScanner scanner(body, version);
    const bool allFramesUnsynchronised = version == 4 && (flags & UnsynchronisationFlag);
    qint64 inflateBudget = MaxInflatedTagSize;
    while (pos < body.size() && !scanner.paddingAt(pos)) {
        if (!scanner.frameAt(pos)) {
            if (version > 2 && scanner.headerAt(pos)) {
                const qint64 end = pos + scanner.headerLength() + scanner.frameSize(pos);
                if (end > pos + scanner.headerLength() && end <= body.size() && scanner.boundaryAt(end)) {
                    Frame frame;
                    frame.id = body.mid(pos, scanner.idLength());
                    frame.version = version;
                    frame.stored = body.mid(pos, qsizetype(end - pos));
                    frame.readable = false;
                    frame.verbatim = true;
                    info.frames.append(frame);
                    pos = qsizetype(end);
                    continue;
                }
            }
            const qsizetype next = scanner.nextFrameAfter(pos);
            info.unreadableBytes += std::min(next, body.size()) - pos;
            pos = next;
            continue;
        }
        const qsizetype dataStart = pos + scanner.headerLength();
        const qint64 declared = scanner.frameSize(pos);
        if (declared > body.size() - dataStart)
            ++info.overrunFrames;
        const qsizetype length = qsizetype(std::min<qint64>(declared, body.size() - dataStart));
        const QByteArray id(body.constData() + pos, scanner.idLength());
        if (length > 0 && (info.keepsAllFrames || slotOfFrame(id, info) >= 0)) {
            const char *header = body.constData() + pos;
            const quint8 status = version == 2 ? 0 : quint8(header[8]);
            const quint8 format = version == 2 ? 0 : quint8(header[9]);
            StoreFrame(id,
                       decodeFrame(version, id, status, format, body.mid(dataStart, length), allFramesUnsynchronised,
                                   &inflateBudget),
                       info);
        }
        pos = dataStart + length;
    }
}

bool wellFormed(const TagInfo &info)
{
    return info.unreadableBytes == 0 && info.overrunFrames == 0 &&
           std::none_of(info.frames.cbegin(), info.frames.cend(), [](const Frame &frame) { return frame.verbatim; });
}
} // namespace

void parseTagBody(QByteArray body, TagInfo &info)
{
    const int version = majorVersion(info);
    const quint8 flags = headerFlags(info);
    if (version == 2 && (flags & Version22CompressionFlag)) {
        info.unreadableBytes += body.size(); // no compression scheme was ever defined for 2.2
        return;
    }
    if (version == 4 || !(flags & UnsynchronisationFlag)) {
        parseFrames(body, version, flags, info);
        return;
    }
    // The flag is trusted when undoing the unsynchronisation yields well-formed frames;
    // where only the bytes as they stand do, the flag is wrong.
    TagInfo undone = info;
    parseFrames(removeUnsynchronisation(body), version, flags, undone);
    if (!wellFormed(undone)) {
        TagInfo asStored = info;
        parseFrames(body, version, flags, asStored);
        if (wellFormed(asStored)) {
            info = std::move(asStored);
            return;
        }
    }
    info = std::move(undone);
}

void ReadFramesV23(const RandomAccessFile &file, TagInfo &info)
{
    parseTagBody(readTagBody(file, info), info);
}

void ReadFramesV23(const QString &fileName, TagInfo &info)
{
    ReadFramesV23(RandomAccessFile(fileName, RandomAccessFile::ReadOnly), info);
}

// The frame loop follows the tag's version: 6-byte frame headers in version 2.
void ReadFramesV22(const RandomAccessFile &file, TagInfo &info)
{
    ReadFramesV23(file, info);
}

void ReadFramesV22(const QString &fileName, TagInfo &info)
{
    ReadFramesV22(RandomAccessFile(fileName, RandomAccessFile::ReadOnly), info);
}

} // namespace id3v2
