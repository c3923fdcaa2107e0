#include "activex/win32/GlobalSettings.h"

#include <string>

#include "activex/Identifiers.h"
#include "platform/win32/Module.h"

namespace {

// One for the process, as every object of the class shows the same settings.
std::wstring& ResourceFile() {
    static std::wstring path;
    return path;
}

}  // namespace

HRESULT CPenwrightGlobalSettings::get_ResourceFile(BSTR* path) {
    return pw::win32::Guarded([&] { return pw::win32::ReturnString(ResourceFile(), path); });
}

HRESULT CPenwrightGlobalSettings::put_ResourceFile(BSTR path) {
    return pw::win32::Guarded([&] {
        ResourceFile() = pw::win32::StringOf(path);
        return S_OK;
    });
}

HRESULT CPenwrightGlobalSettings::get_Version(BSTR* version) {
    return pw::win32::ReturnString(ControlIds::kVersion, version);
}

HRESULT CPenwrightGlobalSettings::get_Unicode(VARIANT_BOOL* unicode) {
    return pw::win32::ReturnBool(true, unicode);
}

HRESULT CPenwrightGlobalSettings::get_OcxPath(BSTR* path) {
    return pw::win32::Guarded([&] {
        std::wstring module(MAX_PATH, L'\0');
        module.resize(GetModuleFileNameW(pw::ThisModule(), module.data(), MAX_PATH));
        return pw::win32::ReturnString(module, path);
    });
}
