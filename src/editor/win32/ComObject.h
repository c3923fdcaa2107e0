#pragma once
// Windows only: the IUnknown of our hand-written COM objects, each implementing one interface: an
// atomic count from one (the maker's reference), the object deleted with the last reference.
#include <unknwn.h>

#include <atomic>

namespace pw::win32 {

template <class I>
class ComObject : public I {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(I))) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> refs_{1};
};

// Runs a COM method's body: nothing thrown may cross the interface, it becomes E_UNEXPECTED.
template <class Body>
HRESULT Guarded(Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pw::win32
