#pragma once
// How often the parser's progress may repaint the window: at most once per throttle period,
// which is three times the mean of the last paints and at least a second, so that a slow paint
// does not starve the parse. Progress within the period waits for a timer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "editor/ScreenRowMap.h"

class RepaintThrottle {
public:
    static constexpr size_t kRingSize = 100;
    static constexpr uint32_t kMinThrottleMs = 1000;
    static constexpr uint32_t kUnmeasuredPaintMs = 333;  // before the first paint
    static constexpr uint32_t kTimerFactor = 5;

    using Clock = std::function<uint32_t()>;  // tick count in milliseconds, wrapping
    explicit RepaintThrottle(Clock clock) : clock_(std::move(clock)) {}

    void PaintTook(uint32_t ms);
    uint32_t ThrottleMs() const;

    enum class Action { kNone, kRepaintNow, kRestartTimer };
    struct Decision {
        Action action = Action::kNone;
        uint32_t timerMs = 0;  // kRestartTimer: the period
        friend bool operator==(const Decision&, const Decision&) = default;
    };
    void ParseStarted() { lastRepaint_ = clock_(); }
    // Rows were parsed; `onScreen` says whether they touch the screen. kRepaintNow and
    // kRestartTimer both stop a running repaint timer first.
    Decision RowsParsed(bool onScreen);

    // Whether parsed rows first..last can show: they start no lower than a few rows below the
    // page and end no higher than the top row.
    static bool OnScreen(const ScreenRowMap& map, int topRow, int rowsPerPage, int first, int last);

private:
    Clock clock_;
    std::array<uint32_t, kRingSize> ring_{};
    size_t count_ = 0;
    size_t next_ = 0;
    uint32_t lastRepaint_ = 0;
};
