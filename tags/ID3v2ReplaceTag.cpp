#include "tags/ID3v2Tag.h"

#include "tags/FileRewrite.h"
#include "tags/TagFile.h"

#include "platform/FileSystem.h"

namespace id3v2 {

bool ReplaceTag(const QString &fileName, const QByteArray &tag)
{
    if (!platform::fileExists(fileName) || !platform::setAttributesNormal(fileName))
        return false;
    TagInfo info;
    if (!ReadTagHeader(fileName, info))
        return false;
    const qint64 oldTagSize = hasIdentifier(info) ? GetTagSize(info) : 0;
    return filerewrite::replaceFileStart(TagFile::nativeName(fileName), tag, oldTagSize);
}

} // namespace id3v2
