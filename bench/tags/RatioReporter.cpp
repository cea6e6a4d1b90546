// Runs the benchmarks and prints, after the usual table, each measurement as a ratio to
// its peer of the same run.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const std::pair<const char *, const char *> ratios[] = {
            {"ReadTags_Kestrava", "ReadTags_TagLib"},
            {"RewriteTag_Kestrava/5/real_time", "CopyFile_Cp/5/real_time"},
            {"RewriteTag_Kestrava/5/real_time", "CopyFile_CpAndFlush/5/real_time"},
            {"RewriteTag_Kestrava/50/real_time", "CopyFile_Cp/50/real_time"},
            {"RewriteTag_Kestrava/50/real_time", "CopyFile_CpAndFlush/50/real_time"},
        };
        for (const auto &[ours, peer] : ratios) {
            if (m_seconds.count(ours) && m_seconds.count(peer) && m_seconds[peer] > 0)
                std::printf("ratio %s / %s = %.2f\n", ours, peer, m_seconds[ours] / m_seconds[peer]);
        }
    }

private:
    std::map<std::string, double> m_seconds;
};
} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
