// Critical sections, events, threads and ticks on Win32: thin wrappers over the kernel objects.
#include <process.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>

#include "platform/CriticalSection.h"
#include "platform/Event.h"
#include "platform/Thread.h"
#include "platform/Time.h"

namespace pw {

// ---- CriticalSection -------------------------------------------------------------------------

struct CriticalSection::Impl {
    CRITICAL_SECTION section;
};

CriticalSection::CriticalSection() : impl_(std::make_unique<Impl>()) {
    InitializeCriticalSection(&impl_->section);
}
CriticalSection::~CriticalSection() {
    DeleteCriticalSection(&impl_->section);
}
void CriticalSection::Lock() {
    EnterCriticalSection(&impl_->section);
}
void CriticalSection::Unlock() {
    LeaveCriticalSection(&impl_->section);
}
bool CriticalSection::TryLock() {
    return TryEnterCriticalSection(&impl_->section) != FALSE;
}

// ---- Event -----------------------------------------------------------------------------------

namespace {

// Win32 cannot look at an event without waiting on it, and a wait consumes an auto-reset
// signal; ntdll's NtQueryEvent reads the state without touching it (Wine has it too).
struct EventBasicInformation {
    int type;  // EVENT_TYPE
    LONG state;
};
using NtQueryEventFn = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);

NtQueryEventFn QueryEventFunction() {
    static const NtQueryEventFn query = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        FARPROC proc = ntdll ? GetProcAddress(ntdll, "NtQueryEvent") : nullptr;
        // Through void(*)() so compilers accept the cast between function pointer types.
        return reinterpret_cast<NtQueryEventFn>(reinterpret_cast<void (*)()>(proc));
    }();
    return query;
}

}  // namespace

struct Event::Impl {
    HANDLE handle;
    bool manual;
    // A manual event's state, kept beside the handle so that looking costs no system call: the
    // parser looks at its stop event thousands of times a second. Set and Reset change both
    // under `change`, so the two never disagree for long.
    std::atomic<bool> state{false};
    SRWLOCK change = SRWLOCK_INIT;
};

Event::Event(enum Reset reset, bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->manual = reset == Reset::Manual;
    impl_->state = initiallySet;
    impl_->handle = CreateEventW(nullptr, impl_->manual, initiallySet, nullptr);
}

Event::~Event() {
    if (impl_->handle)
        CloseHandle(impl_->handle);
}

void Event::Set() {
    AcquireSRWLockExclusive(&impl_->change);
    impl_->state.store(true, std::memory_order_release);
    SetEvent(impl_->handle);
    ReleaseSRWLockExclusive(&impl_->change);
}
void Event::Reset() {
    AcquireSRWLockExclusive(&impl_->change);
    impl_->state.store(false, std::memory_order_release);
    ResetEvent(impl_->handle);
    ReleaseSRWLockExclusive(&impl_->change);
}

bool Event::IsSet() const {
    if (impl_->manual)
        return impl_->state.load(std::memory_order_acquire);
    if (NtQueryEventFn query = QueryEventFunction()) {
        EventBasicInformation info{};
        if (query(impl_->handle, 0 /*EventBasicInformation*/, &info, sizeof info, nullptr) >= 0) {
            return info.state != 0;
        }
    }
    if (WaitForSingleObject(impl_->handle, 0) != WAIT_OBJECT_0)
        return false;
    if (!impl_->manual)
        SetEvent(impl_->handle);  // put back what the look consumed
    return true;
}

bool Event::Wait(uint32_t timeoutMs) {
    return WaitForSingleObject(impl_->handle, timeoutMs == kInfinite ? INFINITE : timeoutMs) == WAIT_OBJECT_0;
}

int Event::WaitMultiple(std::initializer_list<Event*> events, bool waitAll, uint32_t timeoutMs) {
    if (events.size() == 0 || events.size() > kMaxWaitEvents)
        return kWaitTimeout;
    HANDLE handles[kMaxWaitEvents];
    DWORD count = 0;
    for (Event* e : events) {
        if (e == nullptr)
            return kWaitTimeout;
        handles[count++] = e->impl_->handle;
    }
    // Windows refuses duplicates; Wine lets them pass. Refuse them here so both behave alike.
    for (DWORD i = 0; i < count; ++i) {
        if (std::find(handles + i + 1, handles + count, handles[i]) != handles + count)
            return kWaitTimeout;
    }
    DWORD result =
        WaitForMultipleObjects(count, handles, waitAll, timeoutMs == kInfinite ? INFINITE : timeoutMs);
    if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
        return waitAll ? 0 : static_cast<int>(result - WAIT_OBJECT_0);
    }
    return kWaitTimeout;  // WAIT_TIMEOUT, or WAIT_FAILED for a list Win32 rejects
}

// ---- Time ------------------------------------------------------------------------------------

uint32_t TickCount() {
    return GetTickCount();
}

void SleepMs(uint32_t ms) {
    Sleep(ms == kInfinite ? INFINITE : ms);
}

// ---- Thread ----------------------------------------------------------------------------------

ThreadId CurrentThreadId() {
    return GetCurrentThreadId();
}

namespace {

constexpr int kWin32Priority[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                  THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST};

int Win32Priority(ThreadPriority priority) {
    return kWin32Priority[static_cast<int>(priority)];
}

// The level nearest to a Win32 priority (time-critical counts as highest).
ThreadPriority PriorityFor(int win32) {
    ThreadPriority best = ThreadPriority::Normal;
    int bestDistance = 1000;
    for (int p = 0; p <= static_cast<int>(ThreadPriority::Highest); ++p) {
        int distance = std::abs(kWin32Priority[p] - win32);
        if (distance < bestDistance) {
            best = static_cast<ThreadPriority>(p);
            bestDistance = distance;
        }
    }
    return best;
}

unsigned __stdcall ThreadEntry(void* parameter) {
    // The thread owns its body, so a detached thread needs nothing from the Thread object.
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

struct Thread::Impl {
    HANDLE handle = nullptr;
    ThreadId id = 0;
    ThreadPriority lastPriority = ThreadPriority::Normal;
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() {
    if (impl_->handle)
        CloseHandle(impl_->handle);  // a running thread goes on, detached
}

bool Thread::Start(std::function<void()> body, ThreadPriority priority) {
    if (impl_->handle) {
        if (WaitForSingleObject(impl_->handle, 0) != WAIT_OBJECT_0)
            return false;
        CloseHandle(impl_->handle);
        impl_->handle = nullptr;
    }
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the C runtime sets itself up for the thread.
    // Suspended, so the priority holds before the body runs.
    uintptr_t handle = _beginthreadex(nullptr, 0, ThreadEntry, owned.get(), CREATE_SUSPENDED, &id);
    if (handle == 0)
        return false;
    owned.release();  // ThreadEntry owns it now
    impl_->handle = reinterpret_cast<HANDLE>(handle);
    impl_->id = id;
    impl_->lastPriority = ThreadPriority::Normal;
    if (SetThreadPriority(impl_->handle, Win32Priority(priority)))
        impl_->lastPriority = priority;
    ResumeThread(impl_->handle);
    return true;
}

bool Thread::Join(uint32_t timeoutMs) {
    if (!impl_->handle)
        return true;
    if (GetCurrentThreadId() == impl_->id)
        return false;
    if (WaitForSingleObject(impl_->handle, timeoutMs == kInfinite ? INFINITE : timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(impl_->handle);
    impl_->handle = nullptr;
    return true;
}

bool Thread::IsRunning() const {
    return impl_->handle && WaitForSingleObject(impl_->handle, 0) == WAIT_TIMEOUT;
}

ThreadId Thread::Id() const {
    return impl_->id;
}

bool Thread::SetPriority(ThreadPriority priority) {
    if (!IsRunning())
        return false;
    if (!SetThreadPriority(impl_->handle, Win32Priority(priority)))
        return false;
    impl_->lastPriority = priority;
    return true;
}

ThreadPriority Thread::GetPriority() const {
    if (!impl_->handle)
        return impl_->lastPriority;
    int win32 = GetThreadPriority(impl_->handle);
    if (win32 == THREAD_PRIORITY_ERROR_RETURN)
        return impl_->lastPriority;
    if (win32 == Win32Priority(impl_->lastPriority))
        return impl_->lastPriority;
    return PriorityFor(win32);
}

}  // namespace pw
