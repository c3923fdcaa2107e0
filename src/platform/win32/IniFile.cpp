#include "platform/IniFile.h"

#include <windows.h>

#include "platform/FileSystem.h"

namespace pw {

namespace {

// Runs a private-profile call with a buffer that grows until the answer fits: a cut answer
// is reported as the buffer size minus 2. Gives up (empty) past a size no ini file reaches.
template <class Call>
std::wstring GrowingCall(Call call) {
    for (DWORD size = 4096; size <= (1u << 28); size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD n = call(buffer.data(), size);
        if (n < size - 2)
            return buffer.substr(0, n);
    }
    return {};
}

// "a\0b=c\0" -> {"a", "b=c"}
std::vector<std::wstring> SplitAtNul(const std::wstring& list) {
    std::vector<std::wstring> items;
    for (size_t start = 0; start < list.size();) {
        size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos)
            end = list.size();
        if (end > start)
            items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

}  // namespace

// The private-profile functions look a name without a folder up in the Windows folder; a relative
// path of ours means the current folder, as it does for every other file function.
std::vector<std::wstring> IniSectionNames(const std::wstring& path) {
    std::wstring file = FullPath(path);
    if (file.empty())
        return {};
    return SplitAtNul(GrowingCall([&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesW(buffer, size, file.c_str());
    }));
}

std::vector<IniEntry> IniSection(const std::wstring& path, const std::wstring& section) {
    std::wstring file = FullPath(path);
    if (file.empty() || section.find(L'\0') != std::wstring::npos)
        return {};
    std::vector<IniEntry> entries;
    for (const auto& line : SplitAtNul(GrowingCall([&](wchar_t*buffer, DWORD size) {
             return GetPrivateProfileSectionW(section.c_str(), buffer, size, file.c_str());
         })))
        entries.push_back(SplitIniLine(line));
    return entries;
}

}  // namespace pw
