#pragma once
// Windows only: the class factory of one of the module's classes.
#include <unknwn.h>

#include "editor/win32/ComObject.h"

namespace pw::win32 {

template <class T>
class ClassFactory : public ComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            T* object = new T();
            const HRESULT hr = object->QueryInterface(iid, out);
            object->Release();
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? ++ModuleLocks() : --ModuleLocks();
        return S_OK;
    }
};

}  // namespace pw::win32
