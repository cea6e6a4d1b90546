// File operations against the system's own tools, timed pair by pair in one run:
// - a paste of 1,000 small files (one operation per file, as the file list pastes them,
//   and one operation on their folder) against cp -r of the folder;
// - a copy of a 1 GB file against cp;
// - a move from another file system (a tmpfs) onto the disk, of 1,000 small files and of
//   an album of 12 files of 8 MB, against cp -r, sync and rm -r.
// The disk side lives under TMPDIR (default /tmp), the tmpfs side under /dev/shm; the
// report names both with their file systems. Everything is removed at the end.

#include "RatioReporter.h"
#include "PairedTimer.h"

#include "explorer/shared/ShellFileOp.h"
#include "platform/DrivePaths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int smallFileCount = 1000;
constexpr qint64 bigFileBytes = qint64(1) << 30;

QTemporaryDir &diskFolder()
{
    static QTemporaryDir folder;
    return folder;
}

QTemporaryDir &memoryFolder()
{
    static QTemporaryDir folder(QStringLiteral("/dev/shm/kestrava-bench-XXXXXX"));
    return folder;
}

QString describe(const QTemporaryDir &folder)
{
    return QStringLiteral("%1 (%2)").arg(folder.path(), QString::fromLatin1(QStorageInfo(folder.path()).fileSystemType()));
}

void runTool(std::initializer_list<QString> arguments)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.append(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0 || ::waitpid(child, &status, 0) != child
        || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::abort();
}

void writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    QByteArray block(int(std::min<qint64>(size, 1 << 20)), Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        file.write(block.constData(), std::min<qint64>(block.size(), size - written));
    }
}

// A folder of 1,000 files of 1 to 32 KB.
QString makeSmallFiles(const QString &folder)
{
    QDir().mkpath(folder);
    for (int i = 0; i < smallFileCount; ++i)
        writeRandomFile(QStringLiteral("%1/%2 - track.mp3").arg(folder).arg(i, 4, 10, QLatin1Char('0')),
                        1024 * (1 + i % 32));
    return folder;
}

const QString &smallFiles()
{
    static const QString folder = makeSmallFiles(diskFolder().filePath("small"));
    return folder;
}

const QString &bigFile()
{
    static const QString path = [] {
        const QString file = diskFolder().filePath("big.bin");
        writeRandomFile(file, bigFileBytes);
        return file;
    }();
    return path;
}

// The templates the moves start from, on the tmpfs.
QString memoryTemplate(int kind)
{
    static const QString small = makeSmallFiles(memoryFolder().filePath("template-small"));
    static const QString album = [] {
        const QString folder = memoryFolder().filePath("template-album");
        QDir().mkpath(folder);
        for (int i = 1; i <= 12; ++i)
            writeRandomFile(QStringLiteral("%1/%2.mp3").arg(folder).arg(i), 8 << 20);
        return folder;
    }();
    return kind == 0 ? small : album;
}

bool shellFileOp(int operation, const QString &source, const QString &target)
{
    bool aborted = false;
    return ShellFileOp(nullptr, operation, platform::toDrivePath(source), platform::toDrivePath(target), aborted);
}

void removeAll(std::initializer_list<QString> paths)
{
    for (const QString &path : paths) {
        if (!QDir(path).removeRecursively() || QFile::exists(path))
            QFile::remove(path);
    }
}

// Each measurement starts with nothing dirty in the page cache.
void settle()
{
    ::sync();
}

void PasteSmallFiles(benchmark::State &state)
{
    const bool perFile = state.range(0) == 0;
    const QString source = smallFiles();
    const QStringList names = QDir(source).entryList(QDir::Files);
    const QString ours = diskFolder().filePath("pasted");
    const QString peer = diskFolder().filePath("pasted-by-cp");
    PairedTimer timer(state, "cp -r");
    for (auto _ : state) {
        timer.measure(
            [&] {
                bool done = true;
                if (perFile) {
                    QDir().mkpath(ours);
                    for (const QString &name : names)
                        done &= shellFileOp(FO_COPY, source + '/' + name, ours + '/' + name);
                } else {
                    done = shellFileOp(FO_COPY, source, ours);
                }
                if (!done)
                    state.SkipWithError("the paste failed");
            },
            [&] { runTool({"cp", "-r", source, peer}); },
            [&] {
                removeAll({ours, peer});
                settle();
            });
    }
    removeAll({ours, peer});
}
BENCHMARK(PasteSmallFiles)->ArgName("one_operation")->Arg(0)->Arg(1)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

void CopyBigFile(benchmark::State &state)
{
    const QString source = bigFile();
    const QString ours = diskFolder().filePath("big-copy.bin");
    const QString peer = diskFolder().filePath("big-copy-by-cp.bin");
    PairedTimer timer(state, "cp");
    for (auto _ : state) {
        timer.measure(
            [&] {
                if (!shellFileOp(FO_COPY, source, ours))
                    state.SkipWithError("the copy failed");
            },
            [&] { runTool({"cp", source, peer}); },
            [&] {
                removeAll({ours, peer});
                settle();
            });
    }
    removeAll({ours, peer});
}
BENCHMARK(CopyBigFile)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void MoveAcrossFileSystems(benchmark::State &state)
{
    const QString from = memoryTemplate(int(state.range(0)));
    const QString oursSource = memoryFolder().filePath("to-move");
    const QString peerSource = memoryFolder().filePath("to-move-by-cp");
    const QString ours = diskFolder().filePath("moved");
    const QString peer = diskFolder().filePath("moved-by-cp");
    PairedTimer timer(state, "cp -r + sync + rm -r");
    for (auto _ : state) {
        timer.measure(
            [&] {
                if (!shellFileOp(FO_MOVE, oursSource, ours))
                    state.SkipWithError("the move failed");
            },
            [&] {
                runTool({"cp", "-r", peerSource, peer});
                runTool({"sync"});
                runTool({"rm", "-r", peerSource});
            },
            [&] {
                removeAll({ours, peer, oursSource, peerSource});
                runTool({"cp", "-r", from, oursSource});
                runTool({"cp", "-r", from, peerSource});
                settle();
            });
    }
    removeAll({ours, peer, oursSource, peerSource});
}
BENCHMARK(MoveAcrossFileSystems)->ArgName("album")->Arg(0)->Arg(1)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!diskFolder().isValid() || !memoryFolder().isValid()) {
        std::fprintf(stderr, "cannot make the bench folders under TMPDIR and /dev/shm\n");
        return 1;
    }
    // Qt loads its style and fonts when the first dialog shows, once per program run
    {
        QProgressDialog warmUp;
        warmUp.show();
        QCoreApplication::processEvents();
    }
    // the sample files are made and on disk before the first measurement
    smallFiles();
    bigFile();
    memoryTemplate(0);
    memoryTemplate(1);
    ::sync();
    RatioReporter reporter({}, ("disk: " + describe(diskFolder()) + ", other file system: " + describe(memoryFolder())).toStdString());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
