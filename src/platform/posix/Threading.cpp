// Critical sections, events, threads and ticks on POSIX (pthreads underneath the standard library).
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/Time.h"

namespace pw {

// ---- CriticalSection -------------------------------------------------------------------------

struct CriticalSection::Impl {
    std::recursive_mutex mutex;
};

CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {}
CriticalSection::~CriticalSection() = default;
void CriticalSection::Lock() {
    impl_->mutex.lock();
}
void CriticalSection::Unlock() {
    impl_->mutex.unlock();
}
bool CriticalSection::TryLock() {
    return impl_->mutex.try_lock();
}

// ---- Event -----------------------------------------------------------------------------------

namespace {

// All events share one lock and one condition variable: waiting on several events at once, and
// consuming auto-reset signals only when the whole wait succeeds, then needs no lock ordering.
// Every Set wakes every waiter; waits are few in this product, so that costs nothing worth a
// cleverer scheme.
struct EventHub {
    std::mutex mutex;
    std::condition_variable changed;
};

EventHub& Hub() {
    // Never destroyed: detached threads may still wait while the process exits.
    static EventHub* hub = new EventHub;
    return *hub;
}

}  // namespace

struct Event::Impl {
    bool manual;
    bool set;  // guarded by Hub().mutex
};

Event::Event(enum Reset reset, bool initiallySet)
    : impl_(std::make_unique<Impl>(Impl{reset == Reset::Manual, initiallySet})) {}

Event::~Event() = default;

void Event::Set() {
    EventHub& hub = Hub();
    {
        std::lock_guard<std::mutex> lock(hub.mutex);
        if (impl_->set)
            return;
        impl_->set = true;
    }
    hub.changed.notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(Hub().mutex);
    impl_->set = false;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> lock(Hub().mutex);
    return impl_->set;
}

bool Event::Wait(uint32_t timeoutMs) {
    return WaitMultiple({this}, false, timeoutMs) == 0;
}

int Event::WaitMultiple(std::initializer_list<Event*> events, bool waitAll, uint32_t timeoutMs) {
    if (events.size() == 0 || events.size() > kMaxWaitEvents)
        return kWaitTimeout;
    for (auto a = events.begin(); a != events.end(); ++a) {
        if (*a == nullptr || std::find(a + 1, events.end(), *a) != events.end())
            return kWaitTimeout;
    }

    // Answers the index the wait succeeds with, consuming auto-reset signals, or -1.
    auto satisfied = [&]() -> int {
        if (waitAll) {
            for (Event* e : events) {
                if (!e->impl_->set)
                    return -1;
            }
            for (Event* e : events) {
                if (!e->impl_->manual)
                    e->impl_->set = false;
            }
            return 0;
        }
        int index = 0;
        for (Event* e : events) {
            if (e->impl_->set) {
                if (!e->impl_->manual)
                    e->impl_->set = false;
                return index;
            }
            ++index;
        }
        return -1;
    };

    EventHub& hub = Hub();
    std::unique_lock<std::mutex> lock(hub.mutex);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int index = satisfied();
        if (index >= 0)
            return index;
        if (timeoutMs == kInfinite) {
            hub.changed.wait(lock);
        } else if (hub.changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            index = satisfied();  // one last look: a Set may have raced the timeout
            return index >= 0 ? index : kWaitTimeout;
        }
    }
}

// ---- Time ------------------------------------------------------------------------------------

uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);  // wraps like GetTickCount
}

void SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// ---- Thread ----------------------------------------------------------------------------------

ThreadId CurrentThreadId() {
    // The kernel's thread id: what setpriority takes, and what ps and gdb show.
    thread_local const ThreadId id = static_cast<ThreadId>(gettid());
    return id;
}

namespace {

// Priorities are nice values relative to the process's own, so a process started under `nice`
// keeps its workers' order; Linux lets anyone lower a thread's priority, raising needs the right.
constexpr int kNiceOffset[] = {19, 10, 5, 0, -5, -10};  // Idle .. Highest

int BaseNice() {
    static const int base = [] {
        errno = 0;
        int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
        return errno == 0 ? nice : 0;
    }();
    return base;
}

int NiceFor(ThreadPriority priority) {
    return std::clamp(BaseNice() + kNiceOffset[static_cast<int>(priority)], -20, 19);
}

// The priority whose nice value is nearest; `hint` wins a tie (levels clamped onto one value).
ThreadPriority PriorityFor(int nice, ThreadPriority hint) {
    if (NiceFor(hint) == nice)
        return hint;
    ThreadPriority best = ThreadPriority::Normal;
    int bestDistance = 1000;
    for (int p = 0; p <= static_cast<int>(ThreadPriority::Highest); ++p) {
        int distance = std::abs(NiceFor(static_cast<ThreadPriority>(p)) - nice);
        if (distance < bestDistance) {
            best = static_cast<ThreadPriority>(p);
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

// Shared between the Thread object and the thread itself, so a detached thread never touches
// freed memory.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable started;
    pid_t tid = 0;        // guarded by mutex
    bool exited = false;  // guarded by mutex; once set, tid may belong to another thread
    ThreadPriority priority = ThreadPriority::Normal;  // last one set, guarded by mutex
    Event done{Event::Reset::Manual};
};

struct Thread::Impl {
    std::thread thread;
    std::shared_ptr<ThreadState> state;
    ThreadPriority lastPriority = ThreadPriority::Normal;
    ThreadId lastId = 0;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() {
    if (!impl_->thread.joinable())
        return;
    if (impl_->state->done.IsSet()) {
        impl_->thread.join();  // it is leaving: a moment at most
    } else {
        impl_->thread.detach();
    }
}

bool Thread::Start(std::function<void()> body, ThreadPriority priority) {
    if (impl_->thread.joinable()) {
        if (!impl_->state->done.IsSet())
            return false;
        impl_->thread.join();
    }
    auto state = std::make_shared<ThreadState>();
    try {
        impl_->thread = std::thread([state, body = std::move(body), priority] {
            pid_t tid = gettid();
            bool applied = setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceFor(priority)) == 0;
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->tid = tid;
                if (applied)
                    state->priority = priority;
            }
            state->started.notify_all();
            body();
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->exited = true;
            }
            state->done.Set();
        });
    } catch (const std::system_error&) {
        return false;
    }
    impl_->state = state;
    // Wait until the thread has its id and priority, so both can be asked at once.
    std::unique_lock<std::mutex> lock(state->mutex);
    state->started.wait(lock, [&] { return state->tid != 0; });
    impl_->lastId = static_cast<ThreadId>(state->tid);
    impl_->lastPriority = state->priority;
    return true;
}

bool Thread::Join(uint32_t timeoutMs) {
    if (!impl_->thread.joinable())
        return true;
    if (CurrentThreadId() == impl_->lastId)
        return false;
    if (!impl_->state->done.Wait(timeoutMs))
        return false;
    impl_->thread.join();
    {
        std::lock_guard<std::mutex> lock(impl_->state->mutex);
        impl_->lastPriority = impl_->state->priority;
    }
    return true;
}

bool Thread::IsRunning() const {
    return impl_->thread.joinable() && !impl_->state->done.IsSet();
}

ThreadId Thread::Id() const {
    return impl_->lastId;
}

bool Thread::SetPriority(ThreadPriority priority) {
    if (!impl_->state)
        return false;
    ThreadState& state = *impl_->state;
    // Holding the lock keeps the thread from leaving, so its id cannot be reused meanwhile.
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.exited)
        return false;
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(state.tid), NiceFor(priority)) != 0)
        return false;
    state.priority = priority;
    impl_->lastPriority = priority;
    return true;
}

ThreadPriority Thread::GetPriority() const {
    if (!impl_->state)
        return impl_->lastPriority;
    ThreadState& state = *impl_->state;
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.exited)
        return state.priority;
    errno = 0;
    int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(state.tid));
    if (errno != 0)
        return state.priority;
    return PriorityFor(nice, state.priority);
}

}  // namespace pw
