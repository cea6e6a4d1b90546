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
    RatioReporter reporter({{"ReadTags_Kestrava", "ReadTags_TagLib"},
                            {"RewriteTag_Kestrava/5/real_time", "CopyFile_Cp/5/real_time"},
                            {"RewriteTag_Kestrava/5/real_time", "CopyFile_CpDurably/5/real_time"},
                            {"RewriteTag_Kestrava/50/real_time", "CopyFile_Cp/50/real_time"},
                            {"RewriteTag_Kestrava/50/real_time", "CopyFile_CpDurably/50/real_time"}},
                           "files in " + benchFolderDescription().toStdString());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
