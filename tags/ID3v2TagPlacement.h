#pragma once
// The padding of a new tag put in place of a file's ID3v2 tag: in place when it fits,
// else by rewriting the file (see TagSession).

#include <QByteArray>
#include <QString>

namespace id3v2 {

// The tag with zero padding after its frames up to `size` bytes; unchanged when the
// padding would make it larger than a tag can be.
QByteArray paddedTag(const QByteArray &tag, qint64 size);
// The padding left after a tag of that size when the file has to be rewritten.
inline constexpr qint64 MaxGrowthPadding = 64 * 1024;
qint64 paddingForGrowth(qint64 tagSize);
// The tag with the least zero padding after its frames that puts what follows it at
// the old tag's offset within a block of `alignment` bytes (unchanged for 0).
QByteArray alignedTag(const QByteArray &tag, qint64 oldTagSize, int alignment);

} // namespace id3v2
