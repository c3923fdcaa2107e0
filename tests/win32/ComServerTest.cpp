// The control's DLL as a COM server: registered as regsvr32 registers it, its global settings
// object created by ProgID and driven through IDispatch from its type library, then unregistered.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "AutomationClient.h"

namespace {

using pw::test::Get;
using pw::test::Put;
using ServerCall = HRESULT(STDAPICALLTYPE*)();

class ComServer : public pw::test::ControlDll {
protected:
    HRESULT Call(const char* name) {
        auto call = reinterpret_cast<ServerCall>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
        return call ? call() : E_NOTIMPL;
    }
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
    EXPECT_EQ(Get(settings, L"Version").result.Text(), L"11.2.2");
    const pw::test::Outcome unicode = Get(settings, L"Unicode");
    EXPECT_EQ(unicode.result.vt, VT_BOOL);
    EXPECT_TRUE(unicode.result.Bool());
    const std::wstring module = Get(settings, L"OcxPath").result.Text();
    EXPECT_NE(module.find(L"Penwright.dll"), std::wstring::npos) << module;

    // The resource file is the process's: a second object sees what the first was given.
    EXPECT_EQ(Put(settings, L"ResourceFile", {L"C:\\fr\\Penwright.res"}).hr, S_OK);
    IDispatch* other = nullptr;
    ASSERT_EQ(CoCreateInstance(settingsClass, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&other)),
              S_OK);
    EXPECT_EQ(Get(other, L"ResourceFile").result.Text(), L"C:\\fr\\Penwright.res");
    // A read-only property refuses a value; an unknown name is unknown.
    EXPECT_TRUE(FAILED(Put(settings, L"Version", {3L}).hr));
    EXPECT_EQ(Get(settings, L"NoSuchThing").hr, DISP_E_UNKNOWNNAME);
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
