#pragma once
// Reading an ID3v2 tag from a file into a TagInfo. File names are bare names resolved
// against the current folder (or drive paths).

#include "tags/ID3v2TagInfo.h"

namespace platform {
class RandomAccessFile;
}

namespace id3v2 {

// Reads the header and the file's size; false when 10 bytes cannot be read (readError
// then tells a failed read from a short file).
bool ReadTagHeader(const QString &fileName, TagInfo &info);
bool ReadTagHeader(const platform::RandomAccessFile &file, TagInfo &info);
// Read the frames of a version 3/4 (resp. 2) tag into the slots and the frame list.
void ReadFramesV23(const QString &fileName, TagInfo &info);
void ReadFramesV23(const platform::RandomAccessFile &file, TagInfo &info);
void ReadFramesV22(const QString &fileName, TagInfo &info);
void ReadFramesV22(const platform::RandomAccessFile &file, TagInfo &info);
// Reads the tag's frames from the bytes after the header.
void parseTagBody(QByteArray body, TagInfo &info);
// Reads header and frames of the file's tag when it has one of versions 2-4; a failed
// open or read is in info.readError.
void readTag(const QString &fileName, TagInfo &info);

} // namespace id3v2
