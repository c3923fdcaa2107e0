#pragma once
// Worker threads with a priority and a bounded join.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Event.h"  // kInfinite

namespace pw {

enum class ThreadPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest };

using ThreadId = uint64_t;
ThreadId CurrentThreadId();

class Thread {
public:
    Thread();
    ~Thread();  // a thread still running is detached, never killed: killing could leave locks held
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts `body` on a new thread. Fails when a thread is already running. The priority is
    // applied before `body` runs, best effort. `body` must not throw.
    bool Start(std::function<void()> body, ThreadPriority priority = ThreadPriority::Normal);
    // Waits at most timeoutMs (or kInfinite) for the thread to end; true when it has ended
    // (also when none was started). After a successful join a new thread may be started.
    // A thread cannot join itself (false).
    bool Join(uint32_t timeoutMs);
    bool IsRunning() const;
    ThreadId Id() const;  // 0 when no thread was started

    // Best effort: where the system refuses (raising priority without the right), false; also
    // false when no thread is running. GetPriority reads the system's value back where it can.
    bool SetPriority(ThreadPriority priority);
    ThreadPriority GetPriority() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace pw
