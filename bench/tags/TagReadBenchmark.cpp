// Reading both tags of a file: our classes against TagLib's FileRef without audio properties.

#include "BenchFiles.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tags/TagSession.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

static void ReadTags_Kestrava(benchmark::State &state)
{
    const QStringList &files = taggedFiles();
    for (auto _ : state) {
        for (const QString &file : files) {
            // As the program loads a file: one session serves both tags.
            const TagSession session(file);
            TID3v2 v2;
            TID3TagInfo v1;
            v2.ReadFromFile(session);
            v1.ReadFromFile(session);
            benchmark::DoNotOptimize(v2.Title().size() + v1.GetTitle().size());
        }
    }
    state.SetItemsProcessed(state.iterations() * files.size());
}
BENCHMARK(ReadTags_Kestrava);

static void ReadTags_TagLib(benchmark::State &state)
{
    QList<QByteArray> files;
    for (const QString &file : taggedFiles())
        files.append(QFile::encodeName(file));
    for (auto _ : state) {
        for (const QByteArray &file : files) {
            const TagLib::FileRef ref(file.constData(), false);
            benchmark::DoNotOptimize(ref.tag()->title().size());
        }
    }
    state.SetItemsProcessed(state.iterations() * files.size());
}
BENCHMARK(ReadTags_TagLib);
