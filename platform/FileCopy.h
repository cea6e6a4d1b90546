#pragma once
// Copying one file so that a failure never leaves a partial file under the target's
// name: the bytes go to a hidden temporary file beside the target, are flushed to
// disk and read back for comparison, and only then does the temporary take the
// target's name. Times and permissions follow the source.

#include <QString>
#include <functional>

namespace platform {

enum class CopyOutcome { Done, Cancelled, Failed };

struct CopyStatus {
    CopyOutcome outcome = CopyOutcome::Failed;
    QString reason; // why it failed, as the system words it
};

// Native paths. An existing target is replaced only when `replace` is set.
// `onBytes` is told of every chunk copied; returning false cancels the copy.
CopyStatus copyFileVerified(const QString &source, const QString &target, bool replace,
                            const std::function<bool(qint64 bytes)> &onBytes);

// Recreates a symbolic link at the target (replacing an existing one only when
// `replace` is set).
CopyStatus copySymbolicLink(const QString &source, const QString &target, bool replace);

} // namespace platform
