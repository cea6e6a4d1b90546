#pragma once
// Times an operation of ours and its peer in turn, pair by pair in the same run, the
// one that goes first alternating, so both meet the same state of the machine. The
// benchmark's own time is ours (register it with UseManualTime); both totals go to the
// counters "ours_s" and "peer_s" that RatioReporter prints as a ratio.

#include <benchmark/benchmark.h>
#include <functional>
#include <string>

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
    int m_pairs = 0;
    double m_ours = 0;
    double m_peer = 0;
};
