#include "tags/ID3v2FrameDecoder.h"

#include "tags/ID3v2Bytes.h"

#include <optional>
#include <zlib.h>

namespace id3v2 {

namespace {
// Uncompressed frames larger than this are not read (they stay preserved as they are).
constexpr qsizetype MaxInflatedSize = 16 * 1024 * 1024;

std::optional<QByteArray> inflated(const QByteArray &compressed, quint32 announcedSize)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    qsizetype capacity = qBound<qsizetype>(64, announcedSize ? qsizetype(announcedSize) : compressed.size() * 4,
                                           MaxInflatedSize);
    QByteArray output(capacity, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == uLong(output.size())) {
            if (output.size() >= MaxInflatedSize)
                break;
            output.resize(qMin(output.size() * 2, MaxInflatedSize));
        }
        stream.next_out = reinterpret_cast<Bytef *>(output.data()) + stream.total_out;
        stream.avail_out = uInt(output.size() - qsizetype(stream.total_out));
        status = inflate(&stream, Z_NO_FLUSH);
    }
    const qsizetype produced = qsizetype(stream.total_out);
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    output.truncate(produced);
    return output;
}
} // namespace

Frame decodeFrame(int version, const QByteArray &id, quint8 statusFlags, quint8 formatFlags,
                  const QByteArray &stored, bool tagUnsynchronised)
{
    Frame frame;
    frame.id = id;
    frame.version = version;
    frame.statusFlags = statusFlags;
    frame.formatFlags = formatFlags;
    frame.stored = stored;

    QByteArray data = stored;
    qsizetype pos = 0;
    bool encrypted = false;
    bool bytesMissing = false;
    const auto takeByte = [&]() -> int {
        if (pos >= data.size()) {
            bytesMissing = true;
            return -1;
        }
        return quint8(data.at(pos++));
    };
    const auto takeFour = [&]() -> QByteArrayView {
        if (data.size() - pos < 4) {
            bytesMissing = true;
            return {};
        }
        pos += 4;
        return QByteArrayView(data).sliced(pos - 4, 4);
    };

    if (version == 3) {
        if (formatFlags & V3Compression) {
            frame.compressed = true;
            frame.dataLength = bigEndian(takeFour());
        }
        if (formatFlags & V3Encryption) {
            encrypted = true;
            frame.encryptionMethod = takeByte();
        }
        if (formatFlags & V3Grouping)
            frame.groupId = takeByte();
    } else if (version == 4) {
        if (tagUnsynchronised || (formatFlags & V4Unsynchronisation))
            data = removeUnsynchronisation(data);
        if (formatFlags & V4Grouping)
            frame.groupId = takeByte();
        if (formatFlags & V4Encryption) {
            encrypted = true;
            frame.encryptionMethod = takeByte();
        }
        if (formatFlags & V4DataLength)
            frame.dataLength = syncsafe(takeFour());
        frame.compressed = formatFlags & V4Compression;
    }
    if (bytesMissing) {
        frame.readable = false;
        return frame;
    }
    frame.payload = pos == 0 ? data : data.sliced(pos);
    if (encrypted) {
        frame.readable = false;
    } else if (frame.compressed) {
        const std::optional<QByteArray> content = inflated(frame.payload, frame.dataLength);
        frame.readable = content.has_value();
        if (content)
            frame.content = *content;
    } else {
        frame.content = frame.payload;
    }
    return frame;
}

} // namespace id3v2
