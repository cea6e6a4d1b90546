// Runs the tag benchmarks and prints each measurement as a ratio to its peer.

#include "BenchFiles.h"
#include "RatioReporter.h"

#include <unistd.h>

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // The sample files are made and on disk before the first measurement.
    taggedFiles();
    ::sync();
    // The saves measure their peers pair by pair and report the ratios as counters.
    RatioReporter reporter({{"ReadTags_Kestrava", "ReadTags_TagLib"}},
                           "files in " + benchFolderDescription().toStdString());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
