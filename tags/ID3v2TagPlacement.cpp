#include "tags/ID3v2TagPlacement.h"

#include "tags/ID3v2TagReader.h"

#include "tags/ID3v2Bytes.h"

#include "platform/FileRewrite.h"
#include "platform/FileSystem.h"
#include "platform/InternalFiles.h"
#include "platform/RegionJournal.h"
#include "platform/RandomAccessFile.h"

#include <algorithm>

using platform::RandomAccessFile;
namespace filerewrite = platform::filerewrite;

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

bool ReplaceTag(const QString &fileName, const QByteArray &tag)
{
    if (!platform::fileExists(fileName) || !platform::setAttributesNormal(fileName))
        return false;
    const QByteArray nativeName = RandomAccessFile::nativeName(fileName);
    platform::internalfiles::removeStaleBeside(nativeName);
    TagInfo info;
    if (!ReadTagHeader(fileName, info))
        return false;
    const qint64 oldTagSize = hasIdentifier(info) ? GetTagSize(info) : 0;
    // A tag that fits in the old one's space (frames and padding) is written in place,
    // the rest of the space padded; the audio is not touched.
    if (oldTagSize > 0 && tag.size() <= oldTagSize) {
        const QByteArray inPlace = paddedTag(tag, oldTagSize);
        if (inPlace.size() == oldTagSize) {
            switch (platform::RegionJournal::overwrite(nativeName, 0, inPlace)) {
            case platform::RegionJournal::Result::Written:
                return true;
            case platform::RegionJournal::Result::Failed:
                return false;
            case platform::RegionJournal::Result::Unsupported:
                break; // a file system without in-place writes: the file is rewritten
            }
        }
    }
    // Otherwise the file is rewritten, with padding left so that the next change fits.
    // Where the file system can share the audio blocks with the new file instead of
    // copying them, the tag is padded further so the audio keeps its offset within a block.
    const QByteArray grown = paddedTag(tag, tag.size() + paddingForGrowth(tag.size()));
    const int alignment = filerewrite::blockSharingAlignment(nativeName);
    return filerewrite::replaceFileStart(nativeName, alignedTag(grown, oldTagSize, alignment), oldTagSize);
}

} // namespace id3v2
