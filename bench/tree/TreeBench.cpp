// The folder tree on large folders.
// - Expanding a folder of 5,000 subfolders (half of them with subfolders of their own,
//   so every one is probed), against "find DIR -mindepth 1 -maxdepth 2 -type d" on the
//   same folder, which reads the same folders to the end. Counter: ratio to find.
// - Opening a folder 12 levels down a wide tree after a rebuild (ReloadTree + OpenPath,
//   what a refresh or a change notification does), against find over the folders that
//   OpenPath has to list. Counters: milliseconds, ratio to find.
// - Showing a drive of 200 folders, each with a subfolder, from a new tree: run under
//   "strace -e trace=openat" to count the reads of the mount table.
// - Tree size of 100,000 files in 5,000 folders (warm cache), a small program around the
//   counter paired with `du -sb` on the same folder; and the longest pause of the window's
//   event loop in each of 20 rounds while the size command counts it in the background
//   with its progress window, with other processes keeping every core busy.

#include "PairedTimer.h"
#include "RatioReporter.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "platform/FolderSizeCounter.h"
#include "explorer/shared/DirTreeNodes.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <csignal>
#include <functional>
#include <cstdio>
#include <thread>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {
constexpr int wideCount = 5000;
constexpr int depth = 12;
constexpr int siblingsPerLevel = 200;

void makeFolder(const QString &path)
{
    QDir().mkpath(path);
}

void touch(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("x");
}

// "Wide": 5,000 album folders; the even ones hold a "CD1" folder, every one a file.
const QTemporaryDir &wideFolder()
{
    static QTemporaryDir folder;
    static bool made = false;
    if (!made) {
        for (int i = 0; i < wideCount; ++i) {
            const QString album = folder.filePath(QStringLiteral("Wide/Album %1").arg(i, 4, 10, QLatin1Char('0')));
            makeFolder(i % 2 == 0 ? album + QStringLiteral("/CD1") : album);
            touch(album + QStringLiteral("/cover.jpg"));
        }
        made = true;
    }
    return folder;
}

// "Deep": 12 levels; each level holds 200 folders with a subfolder each, one of which
// leads on.
const QTemporaryDir &deepFolder()
{
    static QTemporaryDir folder;
    static bool made = false;
    if (!made) {
        QString level = folder.filePath(QStringLiteral("Deep"));
        for (int d = 0; d < depth; ++d) {
            for (int i = 0; i < siblingsPerLevel; ++i)
                makeFolder(level + QStringLiteral("/Folder %1/Inner").arg(i));
            level += QStringLiteral("/Folder %1").arg(siblingsPerLevel / 2);
        }
        made = true;
    }
    return folder;
}

// The folders that opening the deepest one lists, from the drive root down.
QStringList foldersOnTheWayDown()
{
    QStringList folders{deepFolder().path(), deepFolder().filePath(QStringLiteral("Deep"))};
    for (int d = 0; d < depth; ++d)
        folders.append(folders.back() + QStringLiteral("/Folder %1").arg(siblingsPerLevel / 2));
    return folders;
}

// Each tree is a drive of its own, so that the tree shows nothing above it.
constexpr char wideLetter = 'W';
constexpr char deepLetter = 'P';

// "Sized": 5,000 folders in 50 groups, 20 files of 1 to 4 KB in each.
const QTemporaryDir &sizedFolder()
{
    static QTemporaryDir folder;
    static bool made = false;
    if (!made) {
        const QByteArray data(4096, 'x');
        for (int f = 0; f < 5000; ++f) {
            const QString path = folder.filePath(QStringLiteral("Sized/Group %1/Folder %2").arg(f % 50).arg(f));
            makeFolder(path);
            for (int i = 0; i < 20; ++i) {
                QFile file(path + QStringLiteral("/file %1.bin").arg(i));
                if (file.open(QIODevice::WriteOnly))
                    file.write(data.left(1024 * (1 + (f + i) % 4)));
            }
        }
        made = true;
    }
    return folder;
}

double secondsOfProgram(const QStringList &arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    int status = 0;
    if (posix_spawnp(&child, argv.front(), &actions, nullptr, argv.data(), environ) == 0)
        ::waitpid(child, &status, 0);
    const double seconds = timer.nsecsElapsed() / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    return seconds;
}

void BM_ExpandFolderOf5000Subfolders(benchmark::State &state)
{
    const QString wide = wideFolder().filePath(QStringLiteral("Wide"));
    platform::mapDrive({QLatin1Char(wideLetter), wideFolder().path(), QString(), false});
    const auto unmap = qScopeGuard([] { platform::unmapDrive(QLatin1Char(wideLetter)); });
    TZuDirTree21 tree;
    tree.SetFolderType(TFileType{ftReadOnly, ftSystem, ftArchive});
    tree.resize(300, 600);
    tree.show();
    tree.OpenPath(QLatin1Char(wideLetter) + QStringLiteral(":\\"));
    QTreeWidgetItem *driveNode = tree.currentItem();
    QTreeWidgetItem *node = driveNode ? driveNode->child(0) : nullptr;
    if (!node || node->text(0) != QLatin1String("Wide")) {
        state.SkipWithError("the folder was not found in the tree");
        return;
    }
    double treeSeconds = 0;
    double findSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        node->setExpanded(true);
        QCoreApplication::processEvents();
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        treeSeconds += seconds;
        if (node->childCount() != wideCount)
            state.SkipWithError("not every subfolder was listed");
        node->setExpanded(false);
        qDeleteAll(node->takeChildren());
        setHasChildren(node, true);
        findSeconds += secondsOfProgram({QStringLiteral("find"), wide, QStringLiteral("-mindepth"), QStringLiteral("1"),
                                      QStringLiteral("-maxdepth"), QStringLiteral("2"), QStringLiteral("-type"),
                                      QStringLiteral("d")});
    }
    state.counters["find_ms"] = 1000 * findSeconds / double(state.iterations());
    state.counters["ratio_to_find"] = treeSeconds / findSeconds;
}
BENCHMARK(BM_ExpandFolderOf5000Subfolders)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_OpenPath12LevelsDeepAfterRebuild(benchmark::State &state)
{
    const QStringList wayDown = foldersOnTheWayDown();
    platform::mapDrive({QLatin1Char(deepLetter), wayDown.front(), QString(), false});
    const auto unmap = qScopeGuard([] { platform::unmapDrive(QLatin1Char(deepLetter)); });
    const QString deepest = QLatin1Char(deepLetter) + QStringLiteral(":\\")
                            + wayDown.back().mid(wayDown.front().size() + 1).replace(QLatin1Char('/'), QLatin1Char('\\'));
    TZuDirTree21 tree;
    tree.SetFolderType(TFileType{ftReadOnly, ftSystem, ftArchive});
    tree.resize(300, 600);
    tree.show();
    // find over the folders that OpenPath lists, to the contents of their subfolders.
    QStringList findArguments = QStringList{QStringLiteral("find")} + wayDown;
    findArguments << QStringLiteral("-mindepth") << QStringLiteral("1") << QStringLiteral("-maxdepth")
                   << QStringLiteral("2") << QStringLiteral("-type") << QStringLiteral("d");
    double treeSeconds = 0;
    double findSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        tree.ReloadTree();
        tree.OpenPath(deepest);
        QCoreApplication::processEvents();
        const double seconds = timer.nsecsElapsed() / 1e9;
        state.SetIterationTime(seconds);
        treeSeconds += seconds;
        if (tree.SelectedPath() != deepest + QLatin1Char('\\'))
            state.SkipWithError("the deepest folder was not opened");
        findSeconds += secondsOfProgram(findArguments);
    }
    state.counters["open_ms"] = 1000 * treeSeconds / double(state.iterations());
    state.counters["find_ms"] = 1000 * findSeconds / double(state.iterations());
    state.counters["ratio_to_find"] = treeSeconds / findSeconds;
}
BENCHMARK(BM_OpenPath12LevelsDeepAfterRebuild)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_ShowDriveOf200Folders(benchmark::State &state)
{
    static QTemporaryDir folder;
    for (int f = 0; f < 200; ++f)
        makeFolder(folder.filePath(QStringLiteral("Folder %1/Inner").arg(f)));
    constexpr char letter = 'V';
    platform::mapDrive({QLatin1Char(letter), folder.path(), QString(), false});
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        TZuDirTree21 tree;
        tree.resize(300, 600);
        tree.show();
        tree.OpenPath(QLatin1Char(letter) + QStringLiteral(":\\"));
        QCoreApplication::processEvents();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (!tree.currentItem() || tree.currentItem()->childCount() != 200)
            state.SkipWithError("the drive's folders were not shown");
    }
    platform::unmapDrive(QLatin1Char(letter));
}
BENCHMARK(BM_ShowDriveOf200Folders)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TreeSizeOf100000Files(benchmark::State &state)
{
    // Whole process against whole process: a small program around the counter.
    const QString sized = sizedFolder().filePath(QStringLiteral("Sized"));
    secondsOfProgram({QStringLiteral(FOLDER_SIZE_EXECUTABLE), sized}); // the cache warmed
    PairedTimer timer(state, "du -sb");
    for (auto _ : state) {
        timer.measure([&] { secondsOfProgram({QStringLiteral(FOLDER_SIZE_EXECUTABLE), sized}); },
                      [&] { secondsOfProgram({QStringLiteral("du"), QStringLiteral("-sb"), sized}); }, [] {});
    }
}
BENCHMARK(BM_TreeSizeOf100000Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

// Processes that keep every core busy while they live.
class CoreLoad {
public:
    CoreLoad()
    {
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                for (;;)
                    asm volatile("");
            }
            m_children.push_back(child);
        }
    }
    ~CoreLoad()
    {
        for (const pid_t child : m_children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }

private:
    std::vector<pid_t> m_children;
};

// The longest gap between the ticks of a 5 ms timer while `work` runs the event loop.
double longestPauseMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    double longest = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(clock.elapsed() - last));
        last = clock.elapsed();
    });
    ticker.start(5);
    work();
    return std::max(longest, double(clock.elapsed() - last));
}

void BM_TreeSizeWindowPauseUnderLoad(benchmark::State &state)
{
    const QString sized = sizedFolder().filePath(QStringLiteral("Sized"));
    TZuDirTree21 tree;
    tree.show();
    const CoreLoad load;
    double longest = 0;
    double idleLongest = 0;
    int round = 0;
    int roundsOver50Ms = 0;
    for (auto _ : state) {
        TreeSizeDialog dialog(&tree, QStringLiteral("S:\\Sized"), lnItalian);
        dialog.setShowDelay(0);
        QElapsedTimer timer;
        timer.start();
        const double counting = longestPauseMs([&] { dialog.count(sized); });
        const qint64 countMs = timer.elapsed();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        // The same time with nothing counted: what the load alone costs the window.
        const double idle = longestPauseMs([&] {
            QEventLoop wait;
            QTimer::singleShot(countMs, &wait, &QEventLoop::quit);
            wait.exec();
        });
        std::printf("round %d: longest pause %.0f ms counting, %.0f ms idle\n", ++round, counting, idle);
        longest = std::max(longest, counting);
        idleLongest = std::max(idleLongest, idle);
        roundsOver50Ms += counting > 50 ? 1 : 0;
    }
    state.counters["longest_pause_ms"] = longest;
    state.counters["idle_longest_pause_ms"] = idleLongest;
    state.counters["rounds_over_50ms"] = roundsOver50Ms;
}
BENCHMARK(BM_TreeSizeWindowPauseUnderLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
