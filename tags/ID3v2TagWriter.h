#pragma once
// Writing the values and the kept frames of a TagInfo as a 2.3 tag.

#include "tags/ID3v2TagInfo.h"

#include <optional>

namespace id3v2 {

// Whether writing the tag again from info would leave out parts of the old tag that could
// not be read (skipped bytes, frames read only in part, frames a 2.3 tag cannot carry).
bool losesUnreadableParts(const TagInfo &info);

// The 10 header bytes of a 2.3 tag whose frames take `bodySize` bytes.
QByteArray BuildHeader(qint64 bodySize);
// The slot texts, and every other frame of info.frames, as a 2.3 tag; none when larger
// than a tag can be.
std::optional<QByteArray> BuildTag(const TagInfo &info);
} // namespace id3v2
