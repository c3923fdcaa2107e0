// What registration writes: each ProgID leads to a class served by the given file, only the
// control is marked a control, and unregistering deletes every key that was written but the
// shared category names.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "activex/Identifiers.h"
#include "activex/Registration.h"

namespace {

TEST(Registration, ProgIdsLeadToClassesServedByTheFileAndAllIsUndone) {
    const std::vector<RegistryValue> values = ServerRegistryValues(L"C:\\ctl\\Penwright.dll");
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> registry;
    for (const RegistryValue& v : values)
        EXPECT_TRUE(registry.emplace(std::pair(v.key, v.name), v.data).second);
    auto at = [&](const std::wstring& key, const std::wstring& name = L"") {
        auto it = registry.find({key, name});
        return it == registry.end() ? std::wstring(L"(none)") : it->second;
    };
    for (const auto& [progId, current] :
         {std::pair(ControlIds::kControlProgId, ControlIds::kControlCurrentProgId),
          std::pair(ControlIds::kSettingsProgId, ControlIds::kSettingsCurrentProgId)}) {
        const std::wstring key = L"CLSID\\" + at(std::wstring(progId) + L"\\CLSID");
        // The ProgID without the version leads to the same class and names the current one.
        EXPECT_EQ(at(std::wstring(current) + L"\\CLSID"), at(std::wstring(progId) + L"\\CLSID"));
        EXPECT_EQ(at(std::wstring(current) + L"\\CurVer"), progId);
        EXPECT_EQ(at(key + L"\\VersionIndependentProgID"), current);
        EXPECT_EQ(at(key + L"\\InprocServer32"), L"C:\\ctl\\Penwright.dll");
        EXPECT_EQ(at(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(at(key + L"\\ProgID"), progId);
        EXPECT_EQ(at(key + L"\\TypeLib"), ControlIds::kLibraryId);
        EXPECT_EQ(at(key + L"\\Version"), L"11.2");
        EXPECT_EQ(at(key + L"\\Control") != L"(none)", progId == ControlIds::kControlProgId) << progId;
    }
    EXPECT_EQ(at(L"Component Categories\\{7DD95801-9882-11CF-9FA9-00AA006C42C4}", L"409"),
              L"Controls that are safely scriptable");
    const std::vector<RegistryKey> deleted = ServerRegistryKeys();
    for (const RegistryValue& v : values)
        EXPECT_TRUE(v.key.rfind(L"Component Categories\\", 0) == 0 ||
                    std::any_of(deleted.begin(), deleted.end(),
                                [&](const RegistryKey& key) {
                                    return v.key == key.key || v.key.rfind(key.key + L"\\", 0) == 0;
                                }))
            << std::string(v.key.begin(), v.key.end());
    // A ProgID, shared by the 32- and 64-bit servers, stays while its class is still there for
    // the other one; class keys always go.
    for (const RegistryKey& key : deleted) {
        const bool classKey = key.key.rfind(L"CLSID\\", 0) == 0;
        EXPECT_EQ(key.keptWhile.empty(), classKey) << std::string(key.key.begin(), key.key.end());
        if (!classKey) {
            EXPECT_EQ(L"CLSID\\" + at(key.key + L"\\CLSID"), key.keptWhile);
        }
    }
}

}  // namespace
