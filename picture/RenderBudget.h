#pragma once
// What one rendering may spend: time, memory, and whether it is still wanted. The
// renderer checks it between records and inside long loops, and stops by raising
// Cancelled (nobody waits for the picture any more) or Exceeded (it would take too
// long or too much memory to draw).

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>

namespace picture {

// How many times slower this build draws than a release build: the sanitizer builds
// get budgets as much longer, so that they refuse what a release build refuses.
#ifdef KESTRAVA_SLOWDOWN
inline constexpr int buildSlowdown = KESTRAVA_SLOWDOWN;
#else
inline constexpr int buildSlowdown = 1;
#endif

class RenderBudget {
public:
    struct Cancelled {};
    struct Exceeded {
        QString reason;
    };

    static constexpr int defaultMilliseconds = 1500 * buildSlowdown;
    static constexpr std::int64_t defaultBytes = std::int64_t(192) << 20;

    // Starts counting now; `stillWanted` (when given) tells whether the picture is still awaited.
    explicit RenderBudget(int milliseconds = defaultMilliseconds, std::int64_t bytes = defaultBytes,
                          std::function<bool()> stillWanted = {});

    // Raises Cancelled or Exceeded when the rendering should stop.
    void check() const;
    // Raises Exceeded when holding `bytes` would pass the memory budget.
    void requireMemory(std::int64_t bytes) const;

    std::int64_t bytes() const { return m_bytes; }

private:
    QElapsedTimer m_started;
    int m_milliseconds;
    std::int64_t m_bytes;
    std::function<bool()> m_stillWanted;
};

} // namespace picture
