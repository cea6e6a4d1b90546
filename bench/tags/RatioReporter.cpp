// Runs the benchmarks and prints, after the usual table, each measurement as a ratio to
// its peer of the same run (the median when the run has repetitions).

#include "BenchFiles.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>
#include <map>
#include <string>
#include <vector>

namespace {
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_median[run.run_name.str()] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration)
                m_last[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("files in %s\n", qPrintable(benchFolderDescription()));
        const std::pair<const char *, const char *> ratios[] = {
            {"ReadTags_Kestrava", "ReadTags_TagLib"},
        };
        for (const auto &[ours, peer] : ratios) {
            const double oursTime = time(ours);
            const double peerTime = time(peer);
            if (oursTime > 0 && peerTime > 0)
                std::printf("ratio %s / %s = %.2f\n", ours, peer, oursTime / peerTime);
        }
    }

private:
    double time(const std::string &name) const
    {
        if (const auto median = m_median.find(name); median != m_median.end())
            return median->second;
        const auto last = m_last.find(name);
        return last == m_last.end() ? 0 : last->second;
    }

    std::map<std::string, double> m_median;
    std::map<std::string, double> m_last;
};
} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    // The sample files are made and on disk before the first measurement.
    taggedFiles();
    ::sync();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
