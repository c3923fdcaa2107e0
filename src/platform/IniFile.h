#pragma once
// Reading ini files the way the Win32 private-profile functions do: section names in file
// order, and a section's entries in file order.
#include <optional>
#include <string>
#include <string_view>
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

// An ini file held in memory as its lines, seen as the private-profile functions see it and
// changed without disturbing the lines around the change (comments, order, other sections).
// Names are compared without regard to case (ASCII letters).
class IniDocument {
public:
    // Takes a file's bytes: UTF-16LE after the mark FF FE, otherwise UTF-8 with or without its
    // mark. False, leaving the document empty, when the bytes are not valid in that encoding.
    bool Parse(std::string_view bytes);
    // UTF-8 without a mark, one LF after each line. False when the text holds unpaired surrogates.
    bool Serialize(std::string& bytes) const;

    std::vector<std::wstring> SectionNames() const;
    std::vector<IniEntry> Section(const std::wstring& name) const;
    // The value of the first entry `key` in the first section `section`.
    std::optional<std::wstring> Value(const std::wstring& section, const std::wstring& key) const;
    // Replaces that entry's line; else adds the entry after the section's last line, or a new
    // section at the end.
    void SetValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);

private:
    std::optional<size_t> FindSection(const std::wstring& name) const;  // index of its header line
    size_t SectionEnd(size_t header) const;                             // next header or the end

    std::vector<std::wstring> lines_;
};

}  // namespace pw
