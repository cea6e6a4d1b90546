#include "tags/ID3v2TagReader.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2FrameDecoder.h"
#include "tags/ID3v2FrameScanner.h"

#include "platform/RandomAccessFile.h"

#include <algorithm>
#include <cerrno>

using platform::RandomAccessFile;

namespace id3v2 {

namespace {
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
        if (length > 0 && (info.keepsAllFrames || slotOfFrame(id, info) >= 0)) {
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

bool ReadTagHeader(const QString &fileName, TagInfo &info)
{
    return ReadTagHeader(RandomAccessFile(fileName, RandomAccessFile::ReadOnly), info);
}

bool ReadTagHeader(const RandomAccessFile &file, TagInfo &info)
{
    info.header.fill(0);
    info.fileSize = 0;
    if (!file.isOpen()) {
        info.readError = file.openError();
        return false;
    }
    const QByteArray bytes = file.readAt(0, HeaderSize);
    std::copy(bytes.cbegin(), bytes.cend(), info.header.begin());
    info.fileSize = file.size();
    if (info.fileSize < 0)
        info.readError = EIO;
    else if (file.readError())
        info.readError = file.readError();
    return bytes.size() == HeaderSize;
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

void readTag(const QString &fileName, TagInfo &info)
{
    const RandomAccessFile file(fileName, RandomAccessFile::ReadOnly);
    if (!ReadTagHeader(file, info) || !hasIdentifier(info) || GetTagSize(info) == 0)
        return;
    switch (majorVersion(info)) {
    case 2:
        ReadFramesV22(file, info);
        break;
    case 3:
    case 4:
        ReadFramesV23(file, info);
        break;
    default:
        break;
    }
}

} // namespace id3v2
