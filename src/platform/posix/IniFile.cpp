#include "platform/IniFile.h"

#include "platform/FileSystem.h"

namespace pw {

namespace {

// An unreadable file and one that is not valid text both read as empty, as the private-profile
// functions answer for a missing file.
IniDocument Load(const std::wstring& path) {
    IniDocument document;
    if (auto bytes = ReadFileBytes(path))
        document.Parse(*bytes);
    return document;
}

}  // namespace

std::vector<std::wstring> IniSectionNames(const std::wstring& path) {
    return Load(path).SectionNames();
}

std::vector<IniEntry> IniSection(const std::wstring& path, const std::wstring& section) {
    return Load(path).Section(section);
}

}  // namespace pw
