#include "RatioReporter.h"

#include <cstdio>

RatioReporter::RatioReporter(NamePairs pairs, std::string note) : m_pairs(std::move(pairs)), m_note(std::move(note)) {}

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        if (run.error_occurred)
            continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (median)
            m_median[run.run_name.str()] = run.GetAdjustedRealTime();
        else if (run.run_type == Run::RT_Iteration)
            m_last[run.run_name.str()] = run.GetAdjustedRealTime();
        const auto ours = run.counters.find("ours_s");
        const auto peer = run.counters.find("peer_s");
        if (ours == run.counters.end() || peer == run.counters.end() || (run.run_type == Run::RT_Aggregate && !median))
            continue;
        // a median replaces the single measurements of its benchmark
        std::erase_if(m_paired, [&](const auto &entry) { return entry.first == run.run_name.str(); });
        m_paired.push_back({run.run_name.str(), {ours->second.value, peer->second.value, run.report_label}});
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize()
{
    ConsoleReporter::Finalize();
    if (!m_note.empty())
        std::printf("%s\n", m_note.c_str());
    for (const auto &[ours, peer] : m_pairs) {
        const double oursTime = time(ours);
        const double peerTime = time(peer);
        if (oursTime > 0 && peerTime > 0)
            std::printf("ratio %s / %s = %.2f\n", ours.c_str(), peer.c_str(), oursTime / peerTime);
    }
    for (const auto &[name, paired] : m_paired) {
        if (paired.ours > 0 && paired.peer > 0)
            std::printf("ratio %s / %s = %.2f (%.3f s / %.3f s)\n", name.c_str(), paired.peerName.c_str(),
                        paired.ours / paired.peer, paired.ours, paired.peer);
    }
}

double RatioReporter::time(const std::string &name) const
{
    if (const auto median = m_median.find(name); median != m_median.end())
        return median->second;
    const auto last = m_last.find(name);
    return last == m_last.end() ? 0 : last->second;
}
