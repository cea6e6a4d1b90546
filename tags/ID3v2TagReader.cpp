#include "tags/ID3v2TagReader.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2FrameDecoder.h"
#include "tags/ID3v2FrameScanner.h"

#include "tags/TagSession.h"

#include <algorithm>
#include <cerrno>

namespace id3v2 {

namespace {
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
    info.buffers.append(body);
    // A view of part of the body, without copying it.
    const auto view = [&body](qsizetype from, qsizetype length) {
        return QByteArray::fromRawData(body.constData() + from, length);
    };
    const FrameScanner scanner(body, version);
    const bool allFramesUnsynchronised = version == 4 && (flags & UnsynchronisationFlag);
    qint64 inflateBudget = MaxInflatedTagSize;
    while (pos < body.size() && !scanner.paddingAt(pos)) {
        if (!scanner.frameAt(pos)) {
            if (version > 2 && scanner.headerAt(pos)) {
                const qint64 end = pos + scanner.headerLength() + scanner.frameSize(pos);
                if (end > pos + scanner.headerLength() && end <= body.size() && scanner.boundaryAt(end)) {
                    Frame frame;
                    frame.id = QByteArray(body.constData() + pos, scanner.idLength());
                    frame.version = version;
                    frame.stored = view(pos, qsizetype(end - pos));
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
        if (length > 0) {
            const char *header = body.constData() + pos;
            const quint8 status = version == 2 ? 0 : quint8(header[8]);
            const quint8 format = version == 2 ? 0 : quint8(header[9]);
            StoreFrame(id,
                       decodeFrame(version, id, status, format, view(dataStart, length), allFramesUnsynchronised,
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

void readTag(const QString &fileName, TagInfo &info)
{
    const TagSession session(fileName);
    info = session.id3v2();
    info.readError = session.error();
}

} // namespace id3v2
