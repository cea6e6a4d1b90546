#include "PairedTimer.h"

#include <chrono>

namespace {
double secondsOf(const std::function<void()> &work, const std::function<void()> &settle)
{
    if (settle)
        settle();
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

PairedTimer::PairedTimer(benchmark::State &state, std::string peerName) : m_state(state), m_peerName(std::move(peerName)) {}

PairedTimer::~PairedTimer()
{
    m_state.counters["ours_s"] = benchmark::Counter(m_ours, benchmark::Counter::kAvgIterations);
    m_state.counters["peer_s"] = benchmark::Counter(m_peer, benchmark::Counter::kAvgIterations);
    m_state.SetLabel(m_peerName);
}

void PairedTimer::measure(const std::function<void()> &ours, const std::function<void()> &peer, const std::function<void()> &settle)
{
    double oursSeconds = 0;
    double peerSeconds = 0;
    if (m_pairs++ % 2 == 0) {
        oursSeconds = secondsOf(ours, settle);
        peerSeconds = secondsOf(peer, settle);
    } else {
        peerSeconds = secondsOf(peer, settle);
        oursSeconds = secondsOf(ours, settle);
    }
    m_ours += oursSeconds;
    m_peer += peerSeconds;
    m_state.SetIterationTime(oursSeconds);
}
