// Rewriting the tag of a large MP3 file against copying the file with cp, and against
// replacing a file durably by such a copy: cp to a new file, flush it to disk, rename it
// over the old one and flush the folder. The rewrite does the same to be crash-safe, so
// that is the least it can cost where the file system copies the data.

#include "BenchFiles.h"

#include "tags/TID3v2.h"

#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {
void copyWithCp(const QByteArray &from, const QByteArray &to)
{
    const char *arguments[] = {"cp", from.constData(), to.constData(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, "cp", nullptr, nullptr, const_cast<char **>(arguments), environ) != 0)
        std::abort();
    int status = 0;
    ::waitpid(child, &status, 0);
}

void flush(const QByteArray &file, int flags = O_RDONLY)
{
    const int fd = ::open(file.constData(), flags);
    ::fsync(fd);
    ::close(fd);
}
} // namespace

static void RewriteTag_Kestrava(benchmark::State &state)
{
    const QString file = largeFile(int(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        TID3v2 tag;
        tag.ReadFromFile(file);
        tag.SetTitle(QStringLiteral("Title %1").arg(++round));
        if (!tag.WriteToFile(file))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
}
BENCHMARK(RewriteTag_Kestrava)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

static void CopyFile_Cp(benchmark::State &state)
{
    const QByteArray file = QFile::encodeName(largeFile(int(state.range(0))));
    const QByteArray copy = file + ".copy";
    for (auto _ : state)
        copyWithCp(file, copy);
    state.SetBytesProcessed(state.iterations() * QFile(QFile::decodeName(file)).size());
    ::unlink(copy.constData());
}
BENCHMARK(CopyFile_Cp)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

static void CopyFile_CpDurably(benchmark::State &state)
{
    const QByteArray file = QFile::encodeName(largeFile(int(state.range(0))));
    const QByteArray copy = file + ".copy";
    const QByteArray replaced = file + ".replaced";
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(file)).path());
    for (auto _ : state) {
        copyWithCp(file, copy);
        flush(copy);
        ::rename(copy.constData(), replaced.constData());
        flush(folder, O_RDONLY | O_DIRECTORY);
    }
    state.SetBytesProcessed(state.iterations() * QFile(QFile::decodeName(file)).size());
    ::unlink(replaced.constData());
}
BENCHMARK(CopyFile_CpDurably)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();
