#include "activex/Registration.h"

#include "activex/Identifiers.h"

namespace {

struct Class {
    const wchar_t* classId;
    const wchar_t* progId;
    const wchar_t* currentProgId;  // without the version
    const wchar_t* name;
    bool control;
};

constexpr Class kClasses[] = {
    {ControlIds::kControlClassId, ControlIds::kControlProgId, ControlIds::kControlCurrentProgId,
     ControlIds::kControlName, true},
    {ControlIds::kSettingsClassId, ControlIds::kSettingsProgId, ControlIds::kSettingsCurrentProgId,
     ControlIds::kSettingsName, false},
};

// The component categories the control belongs to, with their names in English (locale 409).
constexpr const wchar_t* kCategories[][2] = {
    {L"{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"Controls that are safely scriptable"},
    {L"{7DD95802-9882-11CF-9FA9-00AA006C42C4}", L"Controls safely initializable from persistent data"},
};

// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
// OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST
constexpr const wchar_t* kControlMiscStatus = L"131473";

}  // namespace

std::vector<RegistryValue> ServerRegistryValues(const std::wstring& serverPath) {
    const std::wstring version =
        std::to_wstring(ControlIds::kLibraryMajor) + L"." + std::to_wstring(ControlIds::kLibraryMinor);
    std::vector<RegistryValue> values;
    for (const Class& c : kClasses) {
        const std::wstring key = std::wstring(L"CLSID\\") + c.classId;
        values.push_back({key, L"", c.name});
        values.push_back({key + L"\\InprocServer32", L"", serverPath});
        values.push_back({key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        values.push_back({key + L"\\ProgID", L"", c.progId});
        values.push_back({key + L"\\VersionIndependentProgID", L"", c.currentProgId});
        values.push_back({key + L"\\TypeLib", L"", ControlIds::kLibraryId});
        values.push_back({key + L"\\Version", L"", version});
        if (c.control) {
            values.push_back({key + L"\\Control", L"", L""});
            values.push_back({key + L"\\MiscStatus", L"", L"0"});
            values.push_back({key + L"\\MiscStatus\\1", L"", kControlMiscStatus});
            for (const auto& [id, description] : kCategories) {
                values.push_back({key + L"\\Implemented Categories\\" + id, L"", L""});
                values.push_back({std::wstring(L"Component Categories\\") + id, L"409", description});
            }
        }
        values.push_back({c.progId, L"", c.name});
        values.push_back({std::wstring(c.progId) + L"\\CLSID", L"", c.classId});
        values.push_back({c.currentProgId, L"", c.name});
        values.push_back({std::wstring(c.currentProgId) + L"\\CLSID", L"", c.classId});
        values.push_back({std::wstring(c.currentProgId) + L"\\CurVer", L"", c.progId});
    }
    return values;
}

std::vector<RegistryKey> ServerRegistryKeys() {
    std::vector<RegistryKey> keys;
    for (const Class& c : kClasses) {
        const std::wstring classKey = std::wstring(L"CLSID\\") + c.classId;
        keys.push_back({classKey, L""});
        keys.push_back({c.progId, classKey});
        keys.push_back({c.currentProgId, classKey});
    }
    return keys;
}
