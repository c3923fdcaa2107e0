#pragma once
// Tests drive the control's DLL as automation clients do: objects made by its class factories
// without the registry, members called by name through IDispatch, errors read from EXCEPINFO.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "activex/Identifiers.h"

namespace pw::test {

// A VARIANT that clears itself.
struct Variant : VARIANT {
    Variant() { VariantInit(this); }
    Variant(long value) : Variant() {  // NOLINT: converts like the automation types do
        vt = VT_I4;
        lVal = value;
    }
    Variant(IDispatch* object) : Variant() {  // NOLINT
        vt = VT_DISPATCH;
        pdispVal = object;
        if (object)
            object->AddRef();
    }
    Variant(bool value) : Variant() {  // NOLINT
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    Variant(const wchar_t* text) : Variant() {  // NOLINT
        vt = VT_BSTR;
        bstrVal = text ? SysAllocString(text) : nullptr;
    }
    Variant(const Variant& other) : Variant() { VariantCopy(this, const_cast<Variant*>(&other)); }
    Variant& operator=(const Variant& other) {
        VariantCopy(this, const_cast<Variant*>(&other));
        return *this;
    }
    ~Variant() { VariantClear(this); }

    std::wstring Text() const {
        return vt == VT_BSTR && bstrVal ? std::wstring(bstrVal, SysStringLen(bstrVal)) : L"";
    }
    long Long() const {
        Variant copy;
        return SUCCEEDED(VariantChangeType(&copy, const_cast<Variant*>(this), 0, VT_I4)) ? copy.lVal : -12345;
    }
    bool Bool() const { return vt == VT_BOOL && boolVal != VARIANT_FALSE; }
};

// What a call through IDispatch gave: its HRESULT, the error's code and description when it
// raised one, and its result.
struct Outcome {
    HRESULT hr = E_FAIL;
    HRESULT error = S_OK;
    std::wstring description;
    Variant result;
};

// `name` called with `arguments` in their written order (a property put: the value last).
inline Outcome Invoke(IDispatch* object, const wchar_t* name, WORD flags,
                      std::vector<Variant> arguments = {}) {
    Outcome outcome;
    DISPID id = 0;
    auto* names = const_cast<LPOLESTR>(name);
    if (outcome.hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id); FAILED(outcome.hr))
        return outcome;
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    EXCEPINFO exception{};
    outcome.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                put ? nullptr : &outcome.result, &exception, nullptr);
    if (outcome.hr == DISP_E_EXCEPTION) {
        outcome.error = exception.scode;
        if (exception.bstrDescription)
            outcome.description = exception.bstrDescription;
    }
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    return outcome;
}

inline Outcome Get(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments = {}) {
    return Invoke(object, name, DISPATCH_PROPERTYGET, std::move(arguments));
}
inline Outcome Put(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments) {
    return Invoke(object, name, DISPATCH_PROPERTYPUT, std::move(arguments));
}
inline Outcome Call(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments = {}) {
    return Invoke(object, name, DISPATCH_METHOD, std::move(arguments));
}
// An object property's IDispatch, with a reference of the caller's.
inline IDispatch* GetObject(IDispatch* object, const wchar_t* name) {
    Outcome got = Get(object, name);
    if (got.result.vt != VT_DISPATCH || !got.result.pdispVal)
        return nullptr;
    got.result.pdispVal->AddRef();
    return got.result.pdispVal;
}

// The control's DLL loaded into the test, OLE started on the thread.
class ControlDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        dll_ = LoadLibraryW(L"" PW_CONTROL_DLL);
        ASSERT_TRUE(dll_) << GetLastError();
    }
    void TearDown() override {
        OleUninitialize();
        FreeLibrary(dll_);
    }
    // A new object of the class, as its class factory makes it; null when it is not served.
    IDispatch* Create(const wchar_t* classId = ControlIds::kControlClassId) {
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
        CLSID clsid{};
        CLSIDFromString(classId, &clsid);
        IClassFactory* factory = nullptr;
        if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
            return nullptr;
        IDispatch* object = nullptr;
        factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object));
        factory->Release();
        return object;
    }
    HMODULE dll_ = nullptr;
};

}  // namespace pw::test
