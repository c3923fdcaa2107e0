#pragma once
// A recursive lock that can be waited for with a limit, like a Win32 mutex: a background parse
// holds it for long stretches, and painting must give up after a few milliseconds rather than
// freeze the window. The standard library's timed mutex is enough on every build we make.
#include <chrono>
#include <cstdint>
#include <mutex>

#include "platform/Event.h"  // kInfinite

namespace pw {

class TimedMutex {
public:
    TimedMutex() = default;
    TimedMutex(const TimedMutex&) = delete;
    TimedMutex& operator=(const TimedMutex&) = delete;

    void Lock() { mutex_.lock(); }
    void Unlock() { mutex_.unlock(); }
    bool TryLock() { return mutex_.try_lock(); }
    // True when the lock was taken within timeoutMs (kInfinite waits as long as it takes).
    bool TryLockFor(uint32_t timeoutMs) {
        if (timeoutMs == kInfinite) {
            mutex_.lock();
            return true;
        }
        return mutex_.try_lock_for(std::chrono::milliseconds(timeoutMs));
    }

private:
    std::recursive_timed_mutex mutex_;
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
