#include "PairedTimer.h"

#include <algorithm>
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

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
} // namespace

PairedTimer::PairedTimer(benchmark::State &state, std::string peerName) : m_state(state), m_peerName(std::move(peerName)) {}

PairedTimer::~PairedTimer()
{
    m_state.counters["ours_s"] = median(m_ours);
    m_state.counters["peer_s"] = median(m_peer);
    m_state.SetLabel(m_peerName);
}

void PairedTimer::measure(const std::function<void()> &ours, const std::function<void()> &peer, const std::function<void()> &settle)
{
    double oursSeconds = 0;
    double peerSeconds = 0;
    if (m_ours.size() % 2 == 0) {
        oursSeconds = secondsOf(ours, settle);
        peerSeconds = secondsOf(peer, settle);
    } else {
        peerSeconds = secondsOf(peer, settle);
        oursSeconds = secondsOf(ours, settle);
    }
    m_ours.push_back(oursSeconds);
    m_peer.push_back(peerSeconds);
    m_state.SetIterationTime(oursSeconds);
}
