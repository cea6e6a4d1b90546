#include "tags/ID3v2FrameDecoder.h"

#include "tags/ID3v2Bytes.h"

#include <optional>
#include <zlib.h>

namespace id3v2 {

namespace {
bool isShownText(const QByteArray &id)
{
    return id.startsWith('T') || id.startsWith('W') || id == "COMM" || id == "COM";
}

struct Inflated {
    QByteArray bytes;
    bool capped = false; // the output stopped at the limit
};

// The frame uncompressed, up to `limit` bytes; none when the data is broken or (unless
// `keepCapped`) larger than the limit.
std::optional<Inflated> inflated(const QByteArray &compressed, quint32 announcedSize, qsizetype limit,
                                 bool keepCapped)
{
    z_stream stream{};
    if (limit <= 0 || inflateInit(&stream) != Z_OK)
        return std::nullopt;
    qsizetype capacity = qBound<qsizetype>(qMin<qsizetype>(64, limit),
                                           announcedSize ? qsizetype(announcedSize) : compressed.size() * 4, limit);
    QByteArray output(capacity, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == uLong(output.size())) {
            if (output.size() >= limit)
                break;
            output.resize(qMin(output.size() * 2, limit));
        }
        stream.next_out = reinterpret_cast<Bytef *>(output.data()) + stream.total_out;
        stream.avail_out = uInt(output.size() - qsizetype(stream.total_out));
        status = inflate(&stream, Z_NO_FLUSH);
    }
    const qsizetype produced = qsizetype(stream.total_out);
    inflateEnd(&stream);
    const bool capped = status == Z_OK && produced >= limit;
    if (status != Z_STREAM_END && !(capped && keepCapped))
        return std::nullopt;
    output.truncate(produced);
    return Inflated{output, capped};
}
} // namespace

Frame decodeFrame(int version, const QByteArray &id, quint8 statusFlags, quint8 formatFlags,
                  const QByteArray &stored, bool tagUnsynchronised, qint64 *inflateBudget)
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
        // A text the window shows is cut at its limit; other frames larger than theirs, or
        // than what is left of the tag's budget, stay unread and are kept as they are.
        const bool text = isShownText(id);
        qint64 limit = text ? MaxInflatedTextSize : MaxInflatedFrameSize;
        if (inflateBudget)
            limit = qMin(limit, *inflateBudget);
        const std::optional<Inflated> content = inflated(frame.payload, frame.dataLength, qsizetype(limit), text);
        frame.readable = content.has_value();
        if (content) {
            frame.content = content->bytes;
            frame.capped = content->capped;
            if (inflateBudget)
                *inflateBudget -= content->bytes.size();
        }
    } else {
        frame.content = frame.payload;
    }
    return frame;
}

} // namespace id3v2
