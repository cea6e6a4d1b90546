#pragma once
// The one loop that copies bytes from one open file to another: in the kernel where the
// file systems allow it (blocks shared where they can be), else through a buffer.

#include <QtGlobal>
#include <functional>

namespace platform {

inline constexpr qint64 CopyToEnd = -1;

struct ByteRangeCopy {
    // Called after every chunk with its size; a non-zero result (an error number,
    // ECANCELED for a cancel) stops the copy with it.
    std::function<int(qint64 bytes)> afterChunk;
    // Where the file systems share blocks, the rest after the first block boundary goes in
    // one call instead of in chunks.
    bool shareInOneCall = false;
    // Each chunk is handed to the disk while the next one is copied.
    bool writeBehind = false;

    // Copies [offset, end) of `from` (to its end for CopyToEnd) at the current position of
    // `to`. A 0 from copy_file_range is never taken for the end of the file: some file
    // systems answer it before the end, so the copy goes on by reading, and only a read
    // that gives nothing ends it. Returns 0 or the error number.
    int run(int from, qint64 offset, int to, qint64 end) const;
};

} // namespace platform
