#include "editor/RepaintThrottle.h"

#include <algorithm>
#include <numeric>

void RepaintThrottle::PaintTook(uint32_t ms) {
    ring_[next_] = ms;
    next_ = (next_ + 1) % kRingSize;
    count_ = std::min(count_ + 1, kRingSize);
}

uint32_t RepaintThrottle::ThrottleMs() const {
    const uint64_t mean = count_
                              ? std::accumulate(ring_.begin(), ring_.begin() + count_, uint64_t{0}) / count_
                              : kUnmeasuredPaintMs;
    return static_cast<uint32_t>(std::clamp<uint64_t>(3 * mean, kMinThrottleMs, UINT32_MAX / kTimerFactor));
}

RepaintThrottle::Decision RepaintThrottle::RowsParsed(bool onScreen) {
    const uint32_t now = clock_();
    const uint32_t throttle = ThrottleMs();
    const bool longAgo = now - lastRepaint_ >= throttle;
    if (longAgo)
        lastRepaint_ = now;
    if (!onScreen)
        return {};
    if (longAgo)
        return {Action::kRepaintNow, 0};
    return {Action::kRestartTimer, kTimerFactor * throttle};
}

bool RepaintThrottle::OnScreen(const ScreenRowMap& map, int topRow, int rowsPerPage, int first, int last) {
    return first <= map.ScreenToDocRow(topRow, rowsPerPage + 4) && last >= topRow;
}
