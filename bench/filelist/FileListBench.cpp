// Listing a folder with the file list, against GNU "ls -l" on the same folder (the
// same stat work plus formatting) and Qt's QDirIterator + QFileInfo as a floor.
// Counters: ratio of the list's time to ls -l, and the heap the list's rows take; the
// share of a core the program takes while idle next to a busy folder.

#include "explorer/filelist/FileListModel.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/tree/DirTree.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"

#include <QApplication>
#include <QDirIterator>
#include <QEventLoop>
#include <QTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {
// Fills a folder with `count` files with names and extensions as in a music
// collection, and one subfolder per hundred files.
void fillFolder(const QString &path, int count)
{
    QDir dir(path);
    dir.mkpath(QStringLiteral("."));
    static const char *const extensions[] = {"mp3", "jpg", "txt", "flac", "ogg", "png", "pdf", "m4a", "wav", "nfo"};
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Artist %1 - Song Title %2.%3").arg(i % 97).arg(i).arg(QLatin1String(extensions[i % 10]));
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(i % 5000, 'x'));
    }
    for (int i = 0; i < count / 100; ++i)
        dir.mkdir(QStringLiteral("Album %1").arg(i));
}

const QTemporaryDir &folderWith(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir> &folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        fillFolder(folder->path(), count);
    }
    return *folder;
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// What the rows themselves hold: each record and the heap block of its name.
size_t bytesOfRows(const TZuFilelistView28 &list)
{
    const auto *model = static_cast<const FileListModel *>(list.model());
    size_t bytes = 0;
    for (int row = 0; row < model->count(); ++row) {
        QString name = model->row(row).name; // shares the block
        const void *block = name.data_ptr().d_ptr();
        bytes += sizeof(FileListRow) + (block ? malloc_usable_size(const_cast<void *>(block)) : 0);
    }
    return bytes;
}

double secondsOfLsLong(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    char *const argv[] = {const_cast<char *>("ls"), const_cast<char *>("-l"), const_cast<char *>(path.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    if (posix_spawnp(&child, "ls", &actions, nullptr, argv, environ) == 0)
        waitpid(child, nullptr, 0);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    return seconds;
}

// Shown, so that every listing includes the view's layout and painting.
void showOffscreen(TZuFilelistView28 &list)
{
    list.resize(640, 480);
    list.show();
    QCoreApplication::processEvents();
}

// A big folder is read off the window thread: the time runs until its rows are shown.
void waitUntilShown(TZuFilelistView28 &list)
{
    while (list.isListing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

double secondsOfRefresh(TZuFilelistView28 &list)
{
    QElapsedTimer timer;
    timer.start();
    list.RefreshList();
    waitUntilShown(list);
    return double(timer.nsecsElapsed()) / 1e9;
}

void BM_RefreshList(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QTemporaryDir &folder = folderWith(count);
    QTemporaryDir empty;
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(empty.path()));
    const size_t heapBefore = heapInUse();
    list.SetDirectory(platform::toDrivePath(folder.path()));
    waitUntilShown(list);
    const double heapOfRows = double(heapInUse() - heapBefore);
    for (auto _ : state)
        state.SetIterationTime(secondsOfRefresh(list));
    state.SetItemsProcessed(state.iterations() * list.itemCount());
    state.counters["rows"] = list.itemCount();
    state.counters["heap_MB"] = heapOfRows / 1e6;
    state.counters["heap_bytes_per_row"] = heapOfRows / list.itemCount();
    state.counters["row_bytes"] = double(bytesOfRows(list)) / list.itemCount();
}

void BM_LsLong(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    for (auto _ : state)
        state.SetIterationTime(secondsOfLsLong(folder.path()));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_QDirIteratorFloor(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    for (auto _ : state) {
        QDirIterator it(folder.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            benchmark::DoNotOptimize(info.size());
            benchmark::DoNotOptimize(info.lastModified());
            benchmark::DoNotOptimize(info.isDir());
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Runs a program, its output discarded, and gives its peak resident memory in KB.
long spawnAndMeasure(char *const argv[])
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    struct rusage usage {};
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv, environ) == 0)
        wait4(child, nullptr, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    return usage.ru_maxrss;
}

const char *const peakOfOption = "--peak-of";

// A spawned child starts its peak at its parent's: the program measured is started by
// a fresh, small process of this benchmark, which prints the figure.
long peakResidentKBOf(const QByteArray &self, const std::vector<QByteArray> &arguments)
{
    QProcess measurer;
    QStringList measurerArguments{QString::fromLatin1(peakOfOption)};
    for (const QByteArray &argument : arguments)
        measurerArguments.append(QFile::decodeName(argument));
    measurer.start(QFile::decodeName(self), measurerArguments);
    measurer.waitForFinished(-1);
    return measurer.readAllStandardOutput().trimmed().toLong();
}

QByteArray selfPath;
const char *const listOnceOption = "--list-once";

// The whole program's peak resident memory while it shows the folder, against ls -l
// on the same folder, each in a process of its own.
void BM_PeakResidentOverLsLong(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    const QByteArray path = QFile::encodeName(folder.path());
    long listKB = 0, lsKB = 0, emptyKB = 0;
    QTemporaryDir empty;
    for (auto _ : state) {
        listKB = peakResidentKBOf(selfPath, {selfPath, listOnceOption, path});
        emptyKB = peakResidentKBOf(selfPath, {selfPath, listOnceOption, QFile::encodeName(empty.path())});
        lsKB = peakResidentKBOf(selfPath, {"ls", "-l", path});
    }
    const double rows = double(state.range(0)) * 1.01;
    state.counters["list_peak_MB"] = double(listKB) / 1024;
    state.counters["ls_peak_MB"] = double(lsKB) / 1024;
    state.counters["ratio_to_ls"] = double(listKB) / double(lsKB);
    state.counters["bytes_per_row"] = double(listKB - emptyKB) * 1024 / rows;
}

// Lists one folder in a shown list and ends: what BM_PeakResidentOverLsLong measures.
int listOnce(int argc, char **argv, const char *folder)
{
    QApplication application(argc, argv);
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(QFile::decodeName(folder)));
    waitUntilShown(list);
    QCoreApplication::processEvents();
    return list.itemCount() >= 0 ? 0 : 1;
}

// Both in the same iterations, so that the ratio sees the same machine load.
void BM_RefreshListOverLsLong(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(folder.path()));
    waitUntilShown(list);
    double listSeconds = 0, lsSeconds = 0;
    for (auto _ : state) {
        const double mine = secondsOfRefresh(list);
        lsSeconds += secondsOfLsLong(folder.path());
        listSeconds += mine;
        state.SetIterationTime(mine);
    }
    state.counters["ratio_to_ls"] = listSeconds / lsSeconds;
}

// A re-listing that keeps every row selected and the scroll position, against one that
// keeps nothing, in the same iterations: the cost of finding the rows again by path.
void BM_RefreshListKeepingTheSelection(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(folder.path()));
    waitUntilShown(list);
    double keepingSeconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        list.selectAll();
        list.scrollItemIntoView(list.itemCount() / 2);
        const double keeping = secondsOfRefresh(list);
        list.clearSelection();
        plainSeconds += secondsOfRefresh(list);
        keepingSeconds += keeping;
        state.SetIterationTime(keeping);
    }
    state.counters["ratio_to_plain_refresh"] = keepingSeconds / plainSeconds;
}
// Processor time of the whole process (every thread) so far, in seconds.
double processSeconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The fields after the command name, which ends at the last ')': utime and stime
    // are the 14th and 15th fields of the line.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

// Another program making and removing a folder every 50 ms, while it lives.
class Churn {
public:
    explicit Churn(const QString &where)
    {
        m_process.setWorkingDirectory(where);
        m_process.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                               QStringLiteral("while :; do mkdir d; sleep 0.05; rmdir d; sleep 0.05; done")});
        m_process.waitForStarted();
    }
    ~Churn()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// The program idle with 100,000 files listed while another program makes and removes
// a folder every 50 ms in a sibling folder, over 10 s: its processor time against one
// core (the wall time). Arg 0: the list alone; 1: linked with a folder tree that shows
// the busy folder collapsed.
void BM_IdleNextToABusyFolder(benchmark::State &state)
{
    const bool withTree = state.range(0) == 1;
    QTemporaryDir root;
    fillFolder(root.filePath(QStringLiteral("Listed")), 100000);
    QDir(root.path()).mkdir(QStringLiteral("Busy"));
    platform::mapDrive({QLatin1Char('K'), root.path(), QString(), false});
    platform::refreshDrives();
    const QString listed = QStringLiteral("K:\\Listed");
    {
        TZuFilelistView28 list;
        std::unique_ptr<TZuDirTree21> tree;
        if (withTree) {
            tree = std::make_unique<TZuDirTree21>();
            tree->resize(300, 480);
            tree->show();
            list.SetDirTree(tree.get());
            tree->OpenPath(listed);
        }
        showOffscreen(list);
        list.SetDirectory(listed);
        waitUntilShown(list);
        Churn churn(root.filePath(QStringLiteral("Busy")));
        double share = 0;
        quint64 reads = 0;
        for (auto _ : state) {
            QEventLoop settle;
            QTimer::singleShot(1000, &settle, &QEventLoop::quit);
            settle.exec();
            const quint64 readsBefore = list.readsStarted();
            const double before = processSeconds();
            QElapsedTimer wall;
            wall.start();
            QEventLoop idle;
            QTimer::singleShot(10000, &idle, &QEventLoop::quit);
            idle.exec();
            share = (processSeconds() - before) / (double(wall.nsecsElapsed()) / 1e9);
            reads = list.readsStarted() - readsBefore;
            state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        }
        state.counters["share_of_a_core"] = share;
        state.counters["list_reads"] = double(reads);
        state.counters["rows"] = list.itemCount();
    }
    platform::unmapDrive(QLatin1Char('K'));
}
// A file written in the listed folder of `count` files, until its row shows the new
// size, against a whole re-listing of the folder in the same iterations; and the
// longest pause of the window's event loop meanwhile.
void BM_ChangeInTheListedFolder(benchmark::State &state)
{
    QTemporaryDir root;
    const QString listed = root.filePath(QStringLiteral("Listed"));
    fillFolder(listed, int(state.range(0)));
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(listed));
    waitUntilShown(list);
    const QString changed = QStringLiteral("Artist 0 - Song Title 0.mp3");
    const auto rowOf = [&] {
        for (int row = 0; row < list.itemCount(); ++row)
            if (list.item(row).caption == changed)
                return row;
        return -1;
    };
    const int row = rowOf();
    double changeSeconds = 0, relistSeconds = 0;
    qint64 longestPauseMs = 0;
    int size = 0;
    for (auto _ : state) {
        size += 2048;
        QFile file(QDir(listed).filePath(changed));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(size, 'x'));
        QElapsedTimer clock;
        clock.start();
        file.close();
        QElapsedTimer sinceTick;
        sinceTick.start();
        while (list.item(row).columnTexts[siSize] != QStringLiteral("%1 KB").arg(size / 1024)) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            longestPauseMs = std::max(longestPauseMs, sinceTick.restart());
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        relistSeconds += secondsOfRefresh(list);
        changeSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["ratio_to_relist"] = changeSeconds / relistSeconds;
    state.counters["longest_pause_ms"] = double(longestPauseMs);
}
} // namespace

BENCHMARK(BM_ChangeInTheListedFolder)->Arg(10000)->Arg(100000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IdleNextToABusyFolder)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshList)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LsLong)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QDirIteratorFloor)->Arg(1000)->Arg(10000)->Arg(100000)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakResidentOverLsLong)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshListKeepingTheSelection)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshListOverLsLong)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], peakOfOption) == 0) {
        std::printf("%ld\n", spawnAndMeasure(argv + 2));
        return 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome; // the list keeps a value in the hive: not the user's
    if (qEnvironmentVariableIsEmpty("KESTRAVA_BENCH_CONFIG"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    if (argc == 3 && qstrcmp(argv[1], listOnceOption) == 0)
        return listOnce(argc, argv, argv[2]);
    qputenv("KESTRAVA_BENCH_CONFIG", "1");
    selfPath = QFile::encodeName(QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
