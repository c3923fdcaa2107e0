#pragma once
// Intrusive reference counting for the objects that several owners share (buffer manager,
// connections, schemas). Counts are atomic because worker threads hold references too.
#include <atomic>
#include <utility>

namespace pw {

class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    long AddRef() const noexcept { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    long Release() const noexcept {
        long left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }
    long RefCount() const noexcept { return refs_.load(std::memory_order_relaxed); }

protected:
    virtual ~RefCounted() = default;

private:
    mutable std::atomic<long> refs_{0};
};

// Owning pointer to a RefCounted object: copies AddRef, destruction Releases.
template <class T>
class RefPtr {
public:
    RefPtr() = default;
    RefPtr(T* p) : p_(p) {  // NOLINT: implicit from raw pointers, like COM smart pointers
        if (p_) p_->AddRef();
    }
    RefPtr(const RefPtr& o) : RefPtr(o.p_) {}
    RefPtr(RefPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    RefPtr(const RefPtr<U>& o) : RefPtr(o.get()) {}
    ~RefPtr() { reset(); }

    RefPtr& operator=(RefPtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    void reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    friend bool operator==(const RefPtr& a, const RefPtr& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

template <class T, class... Args>
RefPtr<T> MakeRef(Args&&... args) {
    return RefPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace pw
