#pragma once
// A recursive lock with the semantics of a Win32 critical section.
#include <memory>

namespace pw {

class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock();
    void Unlock();
    bool TryLock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Holds a lock for a scope. Works with any type that has Lock and Unlock.
template <class L>
class ScopedLock {
public:
    explicit ScopedLock(L& lock) : lock_(lock) { lock_.Lock(); }
    ~ScopedLock() { lock_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    L& lock_;
};

}  // namespace pw
