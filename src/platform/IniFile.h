#pragma once
// Reading ini files the way the Win32 private-profile functions do: section names in file
// order, and a section's entries in file order.
#include <string>
#include <vector>

namespace pw {

struct IniEntry {
    std::wstring name;   // text before the first '=', trimmed; the whole line when there is none
    std::wstring value;  // text after the first '=', trimmed
};

// Empty when the file cannot be read.
std::vector<std::wstring> IniSectionNames(const std::wstring& path);
// Entries of the first section of that name (compared without regard to case); comment
// lines (';') and blank lines are left out.
std::vector<IniEntry> IniSection(const std::wstring& path, const std::wstring& section);

// Shared by both implementations: one entry from one raw section line.
IniEntry SplitIniLine(const std::wstring& line);

}  // namespace pw
