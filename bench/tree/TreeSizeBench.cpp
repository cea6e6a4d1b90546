// The size of a folder tree of 100,000 files in 5,000 folders, warm cache:
// - counted to the end (two worker threads), against "du -sb" on the same tree, pair
//   by pair in the same run;
// - counted in the background through the progress window, while a 1 ms timer tells
//   the longest pause of the event loop (goal: at most 50 ms), beside the longest
//   pause of the same timer with no count running.
// The tree is made once under TMPDIR (default /tmp) with files of varied sizes that
// hold no data blocks, and removed at the end.

#include "PairedTimer.h"
#include "RatioReporter.h"

#include "explorer/tree/TreeSizeDialog.h"
#include "platform/FolderSizeCounter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int topFolders = 50;
constexpr int foldersPerTop = 100; // 5,000 folders of files
constexpr int filesPerFolder = 20; // 100,000 files

QTemporaryDir &treeFolder()
{
    static QTemporaryDir folder;
    return folder;
}

quint64 makeTree()
{
    quint64 total = 0;
    for (int top = 0; top < topFolders; ++top) {
        for (int sub = 0; sub < foldersPerTop; ++sub) {
            const QString folder = treeFolder().filePath(QStringLiteral("Artist %1/Album %2").arg(top).arg(sub));
            QDir().mkpath(folder);
            const QByteArray prefix = QFile::encodeName(folder) + "/Track ";
            for (int file = 0; file < filesPerFolder; ++file) {
                const off_t size = off_t((top * 7919 + sub * 104729 + file * 1299709) % 9000000);
                const int fd = ::open((prefix + QByteArray::number(file) + ".mp3").constData(),
                                      O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd >= 0 && ::ftruncate(fd, size) == 0)
                    total += quint64(size);
                if (fd >= 0)
                    ::close(fd);
            }
        }
    }
    return total;
}

quint64 &treeBytes()
{
    static quint64 bytes = 0;
    return bytes;
}

void runDu(const QString &folder)
{
    QByteArray path = QFile::encodeName(folder);
    char du[] = "du";
    char summary[] = "-sb";
    char *argv[] = {du, summary, path.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int status = 0;
    if (posix_spawnp(&child, "du", &actions, nullptr, argv, environ) == 0)
        ::waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
}

void BM_TreeSizeOf100000Files(benchmark::State &state)
{
    const QString folder = treeFolder().path();
    PairedTimer timer(state, "du -sb");
    platform::FolderSizeResult result;
    for (auto _ : state) {
        timer.measure([&] { result = platform::FolderSizeCounter().count(folder); }, [&] { runDu(folder); }, {});
        if (result.bytes != treeBytes())
            state.SkipWithError("the total is not the size of the files made");
    }
    state.counters["folders"] = double(result.folders);
}
BENCHMARK(BM_TreeSizeOf100000Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// The longest gap between two ticks of a 1 ms timer while `work` runs the event loop.
qint64 longestPauseMs(const std::function<void()> &work)
{
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start();
    work();
    longest = std::max(longest, sinceTick.elapsed());
    return longest;
}

void BM_EventLoopPauseWhileCounting(benchmark::State &state)
{
    const QString folder = treeFolder().path();
    qint64 counting = 0;
    qint64 idle = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        counting = std::max(counting, longestPauseMs([&] {
                                TreeSizeDialog dialog;
                                if (dialog.count(folder).bytes != treeBytes())
                                    state.SkipWithError("the total is not the size of the files made");
                            }));
        const qint64 countMs = timer.elapsed();
        state.SetIterationTime(countMs / 1000.0);
        // the same timer for as long, with nothing to count
        idle = std::max(idle, longestPauseMs([&] {
                            QEventLoop loop;
                            QTimer::singleShot(int(countMs), &loop, &QEventLoop::quit);
                            loop.exec();
                        }));
    }
    state.counters["longest_pause_ms"] = double(counting);
    state.counters["idle_pause_ms"] = double(idle);
}
BENCHMARK(BM_EventLoopPauseWhileCounting)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!treeFolder().isValid()) {
        std::fprintf(stderr, "cannot make the bench folder under TMPDIR\n");
        return 1;
    }
    treeBytes() = makeTree();
    // warm cache: both walk the tree once before the first measurement
    platform::FolderSizeCounter().count(treeFolder().path());
    runDu(treeFolder().path());
    RatioReporter reporter({}, "tree: " + treeFolder().path().toStdString() + ", 100,000 files in 5,000 folders");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    treeFolder().remove();
    return 0;
}
