#pragma once
// Windows only: automation for our dual interfaces through the control's own type library, so
// that names, dispatch ids, argument conversion and errors follow the library exactly.
#include <windows.h>
// After windows.h, which they need.
#include <oaidl.h>

#include <string_view>

#include "editor/win32/ComObject.h"

namespace pw::win32 {

// The type information of an interface in the library built into this module; null when the
// library cannot be loaded. Loaded once and kept.
ITypeInfo* ControlTypeInfo(REFGUID interfaceId);

// A new BSTR with `text` into `out`: E_POINTER without a place, E_OUTOFMEMORY without memory.
HRESULT ReturnString(std::wstring_view text, BSTR* out);
// A BSTR as text: null is the empty string.
inline std::wstring_view StringOf(BSTR text) {
    return text ? std::wstring_view(text, SysStringLen(text)) : std::wstring_view();
}
// Automation's truth values, both ways: E_POINTER without a place.
inline HRESULT ReturnBool(bool value, VARIANT_BOOL* out) {
    if (!out)
        return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
inline bool BoolOf(VARIANT_BOOL value) {
    return value != VARIANT_FALSE;
}
// The object `make` returns into `out`, with the first reference it was made with: E_POINTER
// without a place.
template <class I, class Make>
HRESULT ReturnNew(I** out, Make make) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
        *out = make();
        return S_OK;
    });
}

// IDispatch of a dual interface I, answered from the type library by calling I's own methods;
// `More` are the object's other interfaces.
template <class I, class... More>
class DispatchObject : public ComObject<I, More...> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        ITypeInfo* type = ControlTypeInfo(__uuidof(I));
        if (!type)
            return TYPE_E_CANTLOADLIBRARY;
        type->AddRef();
        *info = type;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* type = ControlTypeInfo(__uuidof(I));
        return type ? type->GetIDsOfNames(names, count, ids) : TYPE_E_CANTLOADLIBRARY;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* type = ControlTypeInfo(__uuidof(I));
        if (!type)
            return TYPE_E_CANTLOADLIBRARY;
        return type->Invoke(static_cast<I*>(this), id, flags, params, result, exception, argError);
    }
};

}  // namespace pw::win32
