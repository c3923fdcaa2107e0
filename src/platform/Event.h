#pragma once
// Auto- and manual-reset events with the semantics of Win32 event objects.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

namespace pw {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr int kWaitTimeout = -1;
inline constexpr size_t kMaxWaitEvents = 64;  // MAXIMUM_WAIT_OBJECTS

class Event {
public:
    enum class Reset { Auto, Manual };
    explicit Event(Reset reset = Reset::Auto, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;  // peeks without consuming an auto-reset signal

    // True when signalled within the timeout (milliseconds, or kInfinite). A successful wait
    // on an auto-reset event consumes its signal.
    bool Wait(uint32_t timeoutMs = kInfinite);

    // Waits on several events. With waitAll clear, answers the index of the first signalled
    // event (lowest index wins); with waitAll set, answers 0 once all are signalled together.
    // Answers kWaitTimeout when the time runs out. Signals of auto-reset events are consumed
    // only by the wait that succeeds. As with WaitForMultipleObjects: at most
    // kMaxWaitEvents events, none listed twice; otherwise (or for an empty list) kWaitTimeout.
    static int WaitMultiple(std::initializer_list<Event*> events, bool waitAll, uint32_t timeoutMs);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace pw
