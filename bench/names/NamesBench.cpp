// The lossless name mapping against QFile::decodeName / encodeName, which it replaces,
// on 100,000 names of a music collection: most ASCII, some UTF-8 with accents or
// Cyrillic, some Latin-1 and cp1251.

#include "platform/NativeNames.h"

#include "PairedTimer.h"
#include "RatioReporter.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <benchmark/benchmark.h>

namespace {
constexpr int nameCount = 100000;

const QList<QByteArray> &nativeNames()
{
    static const QList<QByteArray> names = [] {
        const QByteArray kinds[] = {"01 - Intro.mp3", "Queen - Bohemian Rhapsody.mp3", "cover.jpg",
                                    "Edith Piaf - Je ne regrette rien.mp3", "Beyonc\xc3\xa9 - Halo.mp3",
                                    "\xd0\x9f\xd0\xb5\xd1\x81\xd0\xbd\xd1\x8f.mp3", "Caf\xe9 del Mar.mp3",
                                    "\xcf\xe5\xf1\xed\xff.mp3", "track 12.flac", "notes.txt"};
        QList<QByteArray> list;
        for (int i = 0; i < nameCount; ++i)
            list.append(QByteArray::number(i) + ' ' + kinds[i % std::size(kinds)]);
        return list;
    }();
    return names;
}

const QStringList &decodedNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const QByteArray &name : nativeNames())
            list.append(platform::decodeNativeName(name));
        return list;
    }();
    return names;
}

void DecodeNames(benchmark::State &state)
{
    PairedTimer timer(state, "QFile::decodeName");
    for (auto _ : state) {
        timer.measure(
            [] {
                for (const QByteArray &name : nativeNames())
                    benchmark::DoNotOptimize(platform::decodeNativeName(name));
            },
            [] {
                for (const QByteArray &name : nativeNames())
                    benchmark::DoNotOptimize(QFile::decodeName(name));
            },
            {});
    }
}
BENCHMARK(DecodeNames)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);

void EncodeNames(benchmark::State &state)
{
    PairedTimer timer(state, "QFile::encodeName");
    for (auto _ : state) {
        timer.measure(
            [] {
                for (const QString &name : decodedNames())
                    benchmark::DoNotOptimize(platform::encodeNativeName(name));
            },
            [] {
                for (const QString &name : decodedNames())
                    benchmark::DoNotOptimize(QFile::encodeName(name));
            },
            {});
    }
}
BENCHMARK(EncodeNames)->Iterations(21)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    nativeNames();
    decodedNames();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
