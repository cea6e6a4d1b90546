#pragma once
// Times an operation of ours and its peer in turn, pair by pair in the same run, the
// one that goes first alternating, so both meet the same state of the machine. The
// benchmark's own time is ours (register it with UseManualTime); the medians of both
// over the pairs go to the counters "ours_s" and "peer_s" that RatioReporter prints as
// a ratio (a median, as the machine may be busy with other work now and then).

#include <benchmark/benchmark.h>
#include <functional>
#include <string>
#include <vector>

class PairedTimer {
public:
    PairedTimer(benchmark::State &state, std::string peerName);
    ~PairedTimer();
    PairedTimer(const PairedTimer &) = delete;
    PairedTimer &operator=(const PairedTimer &) = delete;

    // One pair; `settle` runs, untimed, before each of the two.
    void measure(const std::function<void()> &ours, const std::function<void()> &peer, const std::function<void()> &settle);

private:
    benchmark::State &m_state;
    std::string m_peerName;
    std::vector<double> m_ours;
    std::vector<double> m_peer;
};
