// kestrava-tags against a TagLib program doing the same, each run as a whole process
// (start-up, reading, writing, exit), pair by pair in the same run:
// - dump of 200 MP3 files with 200 KB covers;
// - an in-place save of the title of a 50 MB file, the peer's save followed by fdatasync
//   (ours flushes through its journal).

#include "BenchFiles.h"
#include "PairedTimer.h"

#include <QByteArrayList>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {
// Runs the program with its output thrown away; false when it failed.
bool run(const QByteArrayList &arguments)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const bool started = ::posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), environ) == 0;
    ::posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArrayList encoded(const QStringList &files)
{
    QByteArrayList names;
    for (const QString &file : files)
        names.append(QFile::encodeName(file));
    return names;
}
} // namespace

static void DumpCoveredFiles_VsTagLibProgram(benchmark::State &state)
{
    const QByteArrayList files = encoded(coveredFiles(int(state.range(0)), 200 * 1024));
    PairedTimer timer(state, "taglib_peer dump");
    for (auto _ : state) {
        timer.measure([&] {
            if (!run(QByteArrayList{KESTRAVA_TAGS_TOOL, "dump"} + files))
                state.SkipWithError("kestrava-tags dump failed");
        },
                      [&] { run(QByteArrayList{TAGLIB_PEER, "dump"} + files); }, [] {});
    }
}
BENCHMARK(DumpCoveredFiles_VsTagLibProgram)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

static void SaveInPlace_VsTagLibProgramAndFdatasync(benchmark::State &state)
{
    const QString source = largeFile(int(state.range(0)));
    const QByteArray ours = QFile::encodeName(source + ".whole-ours");
    const QByteArray peer = QFile::encodeName(source + ".whole-peer");
    QFile::remove(QFile::decodeName(ours));
    QFile::remove(QFile::decodeName(peer));
    QFile::copy(source, QFile::decodeName(ours));
    QFile::copy(source, QFile::decodeName(peer));
    // One save each first, so that both tags have room for the change.
    run({KESTRAVA_TAGS_TOOL, "set", ours, "--title", "Title 000"});
    run({TAGLIB_PEER, "set", peer, "Title 000"});
    ::sync();
    PairedTimer timer(state, "taglib_peer set + fdatasync");
    int round = 0;
    for (auto _ : state) {
        const QByteArray title = "Title " + QByteArray::number(100 + ++round % 800);
        timer.measure([&] {
            if (!run({KESTRAVA_TAGS_TOOL, "set", ours, "--title", title}))
                state.SkipWithError("kestrava-tags set failed");
        },
                      [&] { run({TAGLIB_PEER, "set", peer, title}); }, [] {});
    }
    QFile::remove(QFile::decodeName(ours));
    QFile::remove(QFile::decodeName(peer));
}
BENCHMARK(SaveInPlace_VsTagLibProgramAndFdatasync)->Arg(50)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
