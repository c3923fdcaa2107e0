// Windows only: the four functions every in-process COM server exports: the class objects, whether
// the DLL may be unloaded, and registering and unregistering the type library and the classes.
#include <windows.h>
// After windows.h, which they need.
#include <olectl.h>

#include <string>

#include "activex/Identifiers.h"
#include "activex/Registration.h"
#include "activex/win32/ClassFactory.h"
#include "activex/win32/ControlObject.h"
#include "activex/win32/GlobalSettings.h"
#include "platform/win32/Module.h"

namespace {

// The type library registers under the platform of the process that loads the DLL.
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(pw::ThisModule(), path.data(), MAX_PATH));
    return path;
}

bool WriteValue(const RegistryValue& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, value.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    const bool written =
        RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.data.c_str()), bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

// Whether the server of the other bitness has `key` (a class key: those are apart for each).
bool InOtherView(const std::wstring& key) {
    const REGSAM other = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | other, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return pw::win32::Guarded([&] {
        IClassFactory* factory = nullptr;
        if (IsEqualCLSID(classId, __uuidof(Penwright)))
            factory = new pw::win32::ClassFactory<CPenwrightCtrl>();
        else if (IsEqualCLSID(classId, __uuidof(PenwrightGlobalSettings)))
            factory = new pw::win32::ClassFactory<CPenwrightGlobalSettings>();
        else
            return CLASS_E_CLASSNOTAVAILABLE;
        const HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    });
}

STDAPI DllCanUnloadNow() {
    return pw::win32::ModuleLocks() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return pw::win32::Guarded([] {
        const std::wstring path = ModulePath();
        ITypeLib* library = nullptr;
        if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &library)))
            return SELFREG_E_TYPELIB;
        library->Release();
        for (const RegistryValue& value : ServerRegistryValues(path))
            if (!WriteValue(value))
                return SELFREG_E_CLASS;
        return S_OK;
    });
}

STDAPI DllUnregisterServer() {
    return pw::win32::Guarded([] {
        HRESULT result = S_OK;
        GUID library{};
        CLSIDFromString(ControlIds::kLibraryId, &library);
        const HRESULT typeLib = UnRegisterTypeLib(library, ControlIds::kLibraryMajor,
                                                  ControlIds::kLibraryMinor, LOCALE_NEUTRAL, kSysKind);
        if (FAILED(typeLib) && typeLib != TYPE_E_REGISTRYACCESS)  // not registered: nothing to undo
            result = SELFREG_E_TYPELIB;
        for (const RegistryKey& key : ServerRegistryKeys()) {
            if (!key.keptWhile.empty() && InOtherView(key.keptWhile))
                continue;
            const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.key.c_str());
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && SUCCEEDED(result))
                result = SELFREG_E_CLASS;
        }
        return result;
    });
}
