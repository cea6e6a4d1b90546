#include "platform/ByteRangeCopy.h"

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr qint64 ChunkBytes = 8 << 20;
constexpr qint64 BufferBytes = 1 << 20;
constexpr qint64 SharedBlockSize = 4096;

// Errors of copy_file_range that mean "not between these two files".
bool kernelCopyUnavailable(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

} // namespace

int ByteRangeCopy::run(int from, qint64 offset, int to, qint64 end) const
{
    qint64 written = writeBehind || shareInOneCall ? ::lseek(to, 0, SEEK_CUR) : 0;
    bool kernelCopy = true;
    QByteArray buffer;
    for (;;) {
        const qint64 left = end == CopyToEnd ? qint64(SSIZE_MAX) : end - offset;
        if (left <= 0)
            return 0;
        const qint64 intoBlock = offset % SharedBlockSize;
        const bool aligned = intoBlock == 0 && written % SharedBlockSize == 0;
        qint64 want = std::min(left, intoBlock ? SharedBlockSize - intoBlock
                                     : shareInOneCall && aligned ? qint64(SSIZE_MAX) : ChunkBytes);
        ssize_t count = 0;
        if (kernelCopy) {
            off_t at = off_t(offset);
            count = ::copy_file_range(from, &at, to, nullptr, size_t(want), 0);
            if ((count < 0 && kernelCopyUnavailable(errno)) || count == 0) {
                kernelCopy = false; // a 0 may come before the end: reading tells
                continue;
            }
        } else {
            if (buffer.isEmpty())
                buffer.resize(BufferBytes);
            want = std::min(want, BufferBytes);
            count = ::pread(from, buffer.data(), size_t(want), off_t(offset));
            if (count > 0 && !FileDescriptor::writeFully(to, buffer.constData(), count))
                return errno;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        if (count == 0)
            return 0;
        if (writeBehind)
            ::sync_file_range(to, written, count, SYNC_FILE_RANGE_WRITE);
        offset += count;
        written += count;
        if (afterChunk) {
            if (const int stop = afterChunk(count))
                return stop;
        }
    }
}

} // namespace platform
