// Costs of the explorer's shell services against what they sit on, as ratios:
// - type name and icon from a name, against the lstat a listing makes per entry.
// (File operations are measured in bench/fileops.)

#include "explorer/shared/ShellFileInfo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList names = {"01 - Intro.mp3", "cover.jpg", "notes.txt", "track.flac", "setup.exe",
                           "archive.tar.gz", "README", "video.mkv", "list.m3u", "photo.PNG"};

void BM_NameLookupAgainstStat(benchmark::State &state)
{
    QTemporaryDir folder;
    QList<QByteArray> paths;
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        paths.append(QFile::encodeName(folder.filePath(name)));
    }
    double lookupNs = 0, statNs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QString &name : names) {
            benchmark::DoNotOptimize(shellFileEntry(name, false));
        }
        lookupNs += double(timer.nsecsElapsed());
        timer.restart();
        for (const QByteArray &path : paths) {
            struct stat info {};
            benchmark::DoNotOptimize(::lstat(path.constData(), &info));
        }
        statNs += double(timer.nsecsElapsed());
    }
    state.counters["lookup_per_stat"] = lookupNs / statNs;
}
BENCHMARK(BM_NameLookupAgainstStat);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
