#include "tags/ID3v2TagPlacement.h"

#include "tags/ID3v2Bytes.h"
#include "tags/ID3v2TagInfo.h"


#include <algorithm>


namespace id3v2 {

QByteArray paddedTag(const QByteArray &tag, qint64 size)
{
    const qint64 bodySize = size - HeaderSize;
    if (size <= tag.size() || tag.size() < HeaderSize || bodySize > MaxBodySize)
        return tag;
    QByteArray padded = tag + QByteArray(qsizetype(size - tag.size()), '\0');
    padded.replace(6, 4, syncsafeBytes(quint32(bodySize)));
    return padded;
}

QByteArray alignedTag(const QByteArray &tag, qint64 oldTagSize, int alignment)
{
    if (alignment <= 0)
        return tag;
    const qint64 padding = ((oldTagSize - tag.size()) % alignment + alignment) % alignment;
    return paddedTag(tag, tag.size() + padding);
}

qint64 paddingForGrowth(qint64 tagSize)
{
    return std::min<qint64>(1024 + tagSize / 100, MaxGrowthPadding);
}

} // namespace id3v2
