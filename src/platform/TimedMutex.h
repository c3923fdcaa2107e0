#pragma once
// A recursive lock that can be waited for with a limit, like a Win32 mutex: a background parse
// holds it for long stretches, and painting must give up after a few milliseconds rather than
// freeze the window. Built on a plain mutex and a condition variable, which every build and the
// thread sanitizer understand (the standard timed mutexes are not seen by the sanitizer).
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/Event.h"  // kInfinite

namespace pw {

class TimedMutex {
public:
    TimedMutex() = default;
    TimedMutex(const TimedMutex&) = delete;
    TimedMutex& operator=(const TimedMutex&) = delete;

    void Lock() { TryLockFor(kInfinite); }
    // Releases one level of the calling thread's hold; a thread that holds nothing changes nothing.
    void Unlock();
    bool TryLock() { return TryLockFor(0); }
    // True when the lock was taken within timeoutMs (kInfinite waits as long as it takes).
    bool TryLockFor(uint32_t timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
};

// Holds a TimedMutex for a scope when it could be taken within the limit; test Owns().
class TimedLock {
public:
    TimedLock(TimedMutex& mutex, uint32_t timeoutMs) : mutex_(mutex), owns_(mutex.TryLockFor(timeoutMs)) {}
    ~TimedLock() {
        if (owns_)
            mutex_.Unlock();
    }
    TimedLock(const TimedLock&) = delete;
    TimedLock& operator=(const TimedLock&) = delete;

    bool Owns() const { return owns_; }

private:
    TimedMutex& mutex_;
    bool owns_;
};

}  // namespace pw
