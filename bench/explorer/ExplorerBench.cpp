// Costs of the explorer's shell services against what they sit on, as ratios:
// - type name and icon from a name, against the lstat a listing makes per entry;
// - a verified copy (flush, read back, compare), against a plain read/write copy.

#include "explorer/shared/ShellFileInfo.h"
#include "platform/FileCopy.h"

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

void plainCopy(const QByteArray &from, const QByteArray &to)
{
    const int in = ::open(from.constData(), O_RDONLY);
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (ssize_t count; (count = ::read(in, buffer.data(), size_t(buffer.size()))) > 0;)
        benchmark::DoNotOptimize(::write(out, buffer.constData(), size_t(count)));
    ::close(in);
    ::close(out);
}

void BM_VerifiedCopyAgainstPlainCopy(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString source = folder.filePath("source.bin");
    {
        QFile file(source);
        file.open(QIODevice::WriteOnly);
        const QByteArray block(1 << 20, 'k');
        for (int i = 0; i < state.range(0); ++i)
            file.write(block);
    }
    double verifiedNs = 0, plainNs = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        platform::copyFileVerified(source, folder.filePath("verified.bin"), true, {});
        verifiedNs += double(timer.nsecsElapsed());
        timer.restart();
        plainCopy(QFile::encodeName(source), QFile::encodeName(folder.filePath("plain.bin")));
        plainNs += double(timer.nsecsElapsed());
    }
    state.counters["verified_per_plain"] = verifiedNs / plainNs;
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0) * (1 << 20));
}
BENCHMARK(BM_VerifiedCopyAgainstPlainCopy)->Arg(64)->Unit(benchmark::kMillisecond);

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
