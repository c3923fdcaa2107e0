#pragma once
// Windows only: the IUnknown of our hand-written COM objects, each implementing the interfaces it
// lists (and IDispatch through the first dual one): an atomic count from one (the maker's
// reference), the object deleted with the last reference. The module counts the objects alive, so that a DLL
// is not unloaded under them.
#include <oaidl.h>
#include <unknwn.h>

#include <atomic>
#include <type_traits>

namespace pw::win32 {

// The module's COM objects alive, and the locks its class factories were given.
inline std::atomic<long>& ModuleLocks() {
    static std::atomic<long> locks{0};
    return locks;
}

template <class I, class... More>
class ComObject : public I, public More... {
public:
    ComObject() { ++ModuleLocks(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = Find<I, More...>(iid);
        if (!*out && IsEqualIID(iid, IID_IUnknown))
            *out = static_cast<I*>(this);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() { --ModuleLocks(); }

private:
    // The first listed interface that is `iid`, or whose IDispatch it asks for.
    template <class First, class... Rest>
    void* Find(REFIID iid) {
        if (IsEqualIID(iid, __uuidof(First)) ||
            (std::is_base_of_v<IDispatch, First> && IsEqualIID(iid, IID_IDispatch)))
            return static_cast<First*>(this);
        if constexpr (sizeof...(Rest) > 0)
            return Find<Rest...>(iid);
        else
            return nullptr;
    }

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
