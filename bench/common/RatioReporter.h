#pragma once
// A console reporter that prints, after the usual table, each measurement as a ratio to
// its peer of the same run (the median when the run has repetitions):
// - pairs of benchmarks named at construction, each timed on its own;
// - every benchmark that times itself and its peer in turn, pair by pair, and reports
//   both as the counters "ours_s" and "peer_s" (see PairedTimer.h), its label naming the peer.

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    using NamePairs = std::vector<std::pair<std::string, std::string>>;
    explicit RatioReporter(NamePairs pairs = {}, std::string note = {});

    void ReportRuns(const std::vector<Run> &runs) override;
    void Finalize() override;

private:
    struct Paired {
        double ours = 0;
        double peer = 0;
        std::string peerName;
    };
    double time(const std::string &name) const;

    NamePairs m_pairs;
    std::string m_note;
    std::map<std::string, double> m_median;
    std::map<std::string, double> m_last;
    std::vector<std::pair<std::string, Paired>> m_paired;
};
