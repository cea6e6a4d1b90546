#include "tags/ID3v2Tag.h"

#include "platform/RandomAccessFile.h"

#include <algorithm>
#include <cerrno>

using platform::RandomAccessFile;

namespace id3v2 {

bool hasIdentifier(const TagInfo &info)
{
    return info.header[0] == 'I' && info.header[1] == 'D' && info.header[2] == '3';
}

int majorVersion(const TagInfo &info)
{
    return quint8(info.header[3]);
}

quint8 headerFlags(const TagInfo &info)
{
    return quint8(info.header[5]);
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

int GetTagSize(const TagInfo &info)
{
    const auto byte = [&](int index) { return qint64(quint8(info.header[index])); };
    qint64 size = (byte(6) << 21) + (byte(7) << 14) + (byte(8) << 7) + byte(9) + HeaderSize;
    if (headerFlags(info) & FooterFlag)
        size += FooterSize;
    return size > info.fileSize ? 0 : int(size);
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
