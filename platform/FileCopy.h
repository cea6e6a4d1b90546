#pragma once
// Copying one file so that a failure or a cancel never leaves a partial file under the
// target's name: the bytes go to a hidden temporary file beside the target, copied by
// the kernel (blocks shared where the file system can), and only a complete copy takes
// the target's name. Nothing is flushed here: a caller that removes the source
// afterwards flushes the copy to disk first.

#include <QString>
#include <functional>

namespace platform {

enum class CopyOutcome { Done, Cancelled, Failed };

struct CopyStatus {
    CopyOutcome outcome = CopyOutcome::Failed;
    int error = 0; // why it failed: the system's error number (EIO for a copy shorter than its source)
};

// What a copy keeps of the source besides its bytes and times.
enum class CopyKind {
    Copy, // the permission bits the umask lets through, as a plain copy does
    Move, // every mode bit, and owner and group where the system allows it
};

// Called on the caller's thread after every chunk and, while a long copy lasts, at least
// every `copyProgressIntervalMs` with 0 bytes, so the caller can keep its window alive.
// Returning false cancels the copy.
using CopyProgress = std::function<bool(qint64 bytes)>;
inline constexpr int copyProgressIntervalMs = 50;

// Native paths. An existing target is replaced only when `replace` is set.
CopyStatus copyFile(const QString &source, const QString &target, bool replace, CopyKind kind,
                    const CopyProgress &onBytes);

// Recreates a symbolic link at the target (replacing an existing one only when
// `replace` is set).
CopyStatus copySymbolicLink(const QString &source, const QString &target, bool replace);

} // namespace platform
