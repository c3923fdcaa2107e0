// The control's DLL as a COM server: registered as regsvr32 registers it, its global settings
// object created by ProgID and driven through IDispatch from its type library, then unregistered.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "activex/Identifiers.h"

namespace {

using ServerCall = HRESULT(STDAPICALLTYPE*)();

// A property read through IDispatch as automation clients read it.
HRESULT Get(IDispatch* object, const wchar_t* name, VARIANT& value) {
    DISPID id = 0;
    auto* names = const_cast<LPOLESTR>(name);
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr))
        return hr;
    DISPPARAMS none{};
    VariantInit(&value);
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                          nullptr);
}

HRESULT Put(IDispatch* object, const wchar_t* name, VARIANT value) {
    DISPID id = 0;
    auto* names = const_cast<LPOLESTR>(name);
    if (HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr))
        return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                          nullptr);
}

std::wstring Text(const VARIANT& value) {
    return value.vt == VT_BSTR && value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal))
                                                : L"";
}

class ComServer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        dll_ = LoadLibraryW(L"" PW_CONTROL_DLL);
        ASSERT_TRUE(dll_) << GetLastError();
    }
    void TearDown() override {
        CoUninitialize();
        FreeLibrary(dll_);
    }
    HRESULT Call(const char* name) {
        auto call = reinterpret_cast<ServerCall>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
        return call ? call() : E_NOTIMPL;
    }
    HMODULE dll_ = nullptr;
};

TEST_F(ComServer, RegistersAndServesTheGlobalSettingsByProgId) {
    ASSERT_EQ(Call("DllRegisterServer"), S_OK);
    CLSID settingsClass{};
    ASSERT_EQ(CLSIDFromProgID(ControlIds::kSettingsProgId, &settingsClass), S_OK);
    wchar_t text[64];
    StringFromGUID2(settingsClass, text, 64);
    EXPECT_STREQ(text, ControlIds::kSettingsClassId);

    IDispatch* settings = nullptr;
    ASSERT_EQ(CoCreateInstance(settingsClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&settings)),
              S_OK);
    VARIANT value;
    ASSERT_EQ(Get(settings, L"Version", value), S_OK);
    EXPECT_EQ(Text(value), L"11.2.2");
    VariantClear(&value);
    ASSERT_EQ(Get(settings, L"Unicode", value), S_OK);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(value.boolVal, VARIANT_TRUE);
    ASSERT_EQ(Get(settings, L"OcxPath", value), S_OK);
    EXPECT_NE(Text(value).find(L"Penwright.dll"), std::wstring::npos) << Text(value);
    VariantClear(&value);

    // The resource file is the process's: a second object sees what the first was given.
    VARIANT path;
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(L"C:\\fr\\Penwright.res");
    EXPECT_EQ(Put(settings, L"ResourceFile", path), S_OK);
    VariantClear(&path);
    IDispatch* other = nullptr;
    ASSERT_EQ(CoCreateInstance(settingsClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    ASSERT_EQ(Get(other, L"ResourceFile", value), S_OK);
    EXPECT_EQ(Text(value), L"C:\\fr\\Penwright.res");
    VariantClear(&value);
    // A read-only property refuses a value; an unknown name is unknown.
    VARIANT number;
    number.vt = VT_I4;
    number.lVal = 3;
    EXPECT_TRUE(FAILED(Put(settings, L"Version", number)));
    EXPECT_EQ(Get(settings, L"NoSuchThing", value), DISP_E_UNKNOWNNAME);
    other->Release();
    settings->Release();
    EXPECT_EQ(Call("DllCanUnloadNow"), S_OK);

    // The type library is registered at its version, and goes with the classes.
    GUID library{};
    CLSIDFromString(ControlIds::kLibraryId, &library);
    ITypeLib* registered = nullptr;
    ASSERT_EQ(LoadRegTypeLib(library, 11, 2, LOCALE_NEUTRAL, &registered), S_OK);
    registered->Release();
    EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
    EXPECT_TRUE(FAILED(CLSIDFromProgID(ControlIds::kSettingsProgId, &settingsClass)));
    EXPECT_TRUE(FAILED(LoadRegTypeLib(library, 11, 2, LOCALE_NEUTRAL, &registered)));
}

}  // namespace
