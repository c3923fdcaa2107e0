#pragma once
// Windows only: an owning pointer to a COM interface, one reference held and released when it
// goes.
#include <unknwn.h>

#include <utility>

namespace pw::win32 {

template <class I>
class ComPtr {
public:
    ComPtr() = default;
    // Holds a reference of its own to `p`.
    explicit ComPtr(I* p) : p_(p) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over the reference the caller owns (a new object's first one).
    static ComPtr Adopt(I* p) {
        ComPtr owner;
        owner.p_ = p;
        return owner;
    }

    I* Get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For calls that hand out a reference: the old one is let go first.
    I** Out() {
        Reset();
        return &p_;
    }
    void Reset() {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }

private:
    I* p_ = nullptr;
};

}  // namespace pw::win32
