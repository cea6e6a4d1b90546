#pragma once
// The total size of the regular files below a folder, as `du` counts it: symbolic links
// below the folder are never followed (the folder itself may be reached through one), a
// file with several hard links counts once, pseudo file systems (proc, sysfs, cgroup…)
// and desktop network mounts inside the folder are never entered, and a folder on one
// of them counts nothing. Folders that cannot be read add nothing and are counted. Two
// threads at a lower priority than the caller share the work; progress can be read and
// the count cancelled from any thread.

#include <QString>
#include <atomic>
#include <cstdint>

namespace platform {

struct FolderSizeResult {
    std::uint64_t bytes = 0;
    std::uint64_t folders = 0;           // folders read, the counted one included
    std::uint64_t unreadableFolders = 0; // folders that could not be listed
    bool cancelled = false;
};

class FolderSizeCounter {
public:
    // Counts below the native path on `threads` workers; blocks until done or cancelled.
    FolderSizeResult count(const QString &nativePath, int threads = 2);
    // Ends a running count soon; the result then says cancelled.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }

    // The running count's figures so far.
    std::uint64_t bytesSoFar() const { return m_bytes.load(std::memory_order_relaxed); }
    std::uint64_t foldersSoFar() const { return m_folders.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<std::uint64_t> m_bytes{0};
    std::atomic<std::uint64_t> m_folders{0};
};

} // namespace platform
