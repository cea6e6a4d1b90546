#include "tags/ID3v2Tag.h"

#include "tags/ID3v2Bytes.h"

#include "platform/FileRewrite.h"
#include "platform/FileSystem.h"
#include "platform/RandomAccessFile.h"

using platform::RandomAccessFile;
namespace filerewrite = platform::filerewrite;

namespace id3v2 {

QByteArray alignedTag(const QByteArray &tag, qint64 oldTagSize, int alignment)
{
    if (alignment <= 0 || tag.size() < HeaderSize)
        return tag;
    const qint64 padding = ((oldTagSize - tag.size()) % alignment + alignment) % alignment;
    const qint64 bodySize = tag.size() - HeaderSize + padding;
    if (padding == 0 || bodySize > MaxBodySize)
        return tag;
    QByteArray padded = tag + QByteArray(qsizetype(padding), '\0');
    padded.replace(6, 4, syncsafeBytes(quint32(bodySize)));
    return padded;
}

bool ReplaceTag(const QString &fileName, const QByteArray &tag)
{
    if (!platform::fileExists(fileName) || !platform::setAttributesNormal(fileName))
        return false;
    TagInfo info;
    if (!ReadTagHeader(fileName, info))
        return false;
    const qint64 oldTagSize = hasIdentifier(info) ? GetTagSize(info) : 0;
    // Where the file system can share the audio blocks with the new file instead of
    // copying them, the tag is padded so the audio keeps its offset within a block.
    const QByteArray nativeName = RandomAccessFile::nativeName(fileName);
    const int alignment = filerewrite::blockSharingAlignment(nativeName);
    return filerewrite::replaceFileStart(nativeName, alignedTag(tag, oldTagSize, alignment), oldTagSize);
}

} // namespace id3v2
