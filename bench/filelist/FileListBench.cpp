// Listing a folder with the file list, against GNU "ls -l" on the same folder (the
// same stat work plus formatting) and Qt's QDirIterator + QFileInfo as a floor.
// Counters: ratio of the list's time to ls -l, and the heap the list's rows take.

#include "explorer/filelist/FileListView.h"
#include "platform/DrivePaths.h"

#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {
// A folder of `count` files with names and extensions as in a music collection, and
// one subfolder per hundred files.
const QTemporaryDir &folderWith(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir> &folder = folders[count];
    if (!folder) {
        folder = std::make_unique<QTemporaryDir>();
        static const char *const extensions[] = {"mp3", "jpg", "txt", "flac", "ogg", "png", "pdf", "m4a", "wav", "nfo"};
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("Artist %1 - Song Title %2.%3").arg(i % 97).arg(i).arg(QLatin1String(extensions[i % 10]));
            QFile file(folder->filePath(name));
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray(i % 5000, 'x'));
        }
        QDir dir(folder->path());
        for (int i = 0; i < count / 100; ++i)
            dir.mkdir(QStringLiteral("Album %1").arg(i));
    }
    return *folder;
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
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

double secondsOfRefresh(TZuFilelistView28 &list)
{
    QElapsedTimer timer;
    timer.start();
    list.RefreshList();
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
    const double heapOfRows = double(heapInUse() - heapBefore);
    for (auto _ : state)
        state.SetIterationTime(secondsOfRefresh(list));
    state.SetItemsProcessed(state.iterations() * list.itemCount());
    state.counters["rows"] = list.itemCount();
    state.counters["heap_MB"] = heapOfRows / 1e6;
    state.counters["heap_bytes_per_row"] = heapOfRows / list.itemCount();
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

// Both in the same iterations, so that the ratio sees the same machine load.
void BM_RefreshListOverLsLong(benchmark::State &state)
{
    const QTemporaryDir &folder = folderWith(int(state.range(0)));
    TZuFilelistView28 list;
    showOffscreen(list);
    list.SetDirectory(platform::toDrivePath(folder.path()));
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
} // namespace

BENCHMARK(BM_RefreshList)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LsLong)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QDirIteratorFloor)->Arg(1000)->Arg(10000)->Arg(100000)->UseRealTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshListKeepingTheSelection)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshListOverLsLong)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->MinTime(2)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configHome; // the list keeps a value in the hive: not the user's
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
