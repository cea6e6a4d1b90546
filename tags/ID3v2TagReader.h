#pragma once
// Reading an ID3v2 tag into a TagInfo: the frames of its bytes, or the tag of a file
// (a bare name resolved against the current folder, or a drive path).

#include "tags/ID3v2TagInfo.h"

namespace id3v2 {

// Reads the tag's frames from the bytes after the header.
void parseTagBody(QByteArray body, TagInfo &info);
// Reads header and frames of the file's tag when it has one of versions 2-4, every frame
// kept; a failed open or read is in info.readError.
void readTag(const QString &fileName, TagInfo &info);

} // namespace id3v2
