#pragma once
// The total size of the regular files below a folder, counted by worker threads.
// Symbolic links are never followed, pseudo file systems (proc, sysfs, devtmpfs, ...)
// are never entered, and a file with several hard links counts once. A folder that
// cannot be read adds nothing and is counted as unreadable.
// The count runs in the background; progress can be read at any time, and cancel()
// stops it promptly. Destroying the counter cancels it without waiting: a worker held
// by a slow disk ends on its own.

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace platform {

struct FolderSizeResult {
    quint64 bytes = 0;
    quint64 folders = 0;           // folders read, the unreadable ones included
    quint64 unreadableFolders = 0;
    bool cancelled = false;
};

class FolderSizeCounter {
public:
    static constexpr int workerCount = 2;

    FolderSizeCounter();
    ~FolderSizeCounter();
    FolderSizeCounter(const FolderSizeCounter &) = delete;
    FolderSizeCounter &operator=(const FolderSizeCounter &) = delete;

    // Starts counting a native folder (a symbolic link given here is followed). The
    // callback runs once, on a worker thread, when the count has ended or stopped.
    void start(const QString &nativeFolder, std::function<void()> onFinished = {});
    // Waits for the end of the count started last.
    FolderSizeResult wait();
    // start() and wait().
    FolderSizeResult count(const QString &nativeFolder);

    void cancel();
    bool isFinished() const;
    // What has been counted so far; the final result once finished.
    FolderSizeResult progress() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace platform
