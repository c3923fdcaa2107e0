#include "platform/IniFile.h"

#include <algorithm>
#include <cstddef>

#include "platform/CodePage.h"

namespace pw {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f';
}

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

wchar_t FoldAscii(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

// The name of a "[name]" line: what lies between '[' and the last ']'; none for other lines.
std::optional<std::wstring_view> HeaderName(std::wstring_view line) {
    line = Trim(line);
    size_t close = line.rfind(L']');
    if (line.empty() || line.front() != L'[' || close == std::wstring_view::npos)
        return std::nullopt;
    return line.substr(1, close - 1);
}

bool IsEntry(std::wstring_view line) {
    line = Trim(line);
    return !line.empty() && line.front() != L';' && !HeaderName(line);
}

bool DecodeFileText(std::string_view bytes, std::wstring& text) {
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2)
            return false;  // a cut-off code unit: the file is damaged
        text.resize(bytes.size() / 2);
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                           (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        return true;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return Utf8ToUtf16(bytes, text);
}

}  // namespace

IniEntry SplitIniLine(const std::wstring& line) {
    size_t equals = line.find(L'=');
    if (equals == std::wstring::npos)
        return {std::wstring(Trim(line)), {}};
    std::wstring_view view(line);
    return {std::wstring(Trim(view.substr(0, equals))), std::wstring(Trim(view.substr(equals + 1)))};
}

bool IniDocument::Parse(std::string_view bytes) {
    lines_.clear();
    std::wstring text;
    if (!DecodeFileText(bytes, text))
        return false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        size_t stop = end > start && text[end - 1] == L'\r' ? end - 1 : end;
        lines_.emplace_back(text, start, stop - start);
        start = end + 1;
    }
    return true;
}

bool IniDocument::Serialize(std::string& bytes) const {
    std::wstring text;
    for (const auto& line : lines_) text.append(line).push_back(L'\n');
    return Utf16ToUtf8(text, bytes);
}

std::vector<std::wstring> IniDocument::SectionNames() const {
    std::vector<std::wstring> names;
    for (const auto& line : lines_) {
        auto name = HeaderName(line);
        if (name && !name->empty())  // "[]" names nothing that could be looked up
            names.emplace_back(*name);
    }
    return names;
}

std::vector<IniEntry> IniDocument::Section(const std::wstring& name) const {
    std::vector<IniEntry> entries;
    if (auto header = FindSection(name)) {
        for (size_t i = *header + 1, end = SectionEnd(*header); i < end; ++i)
            if (IsEntry(lines_[i]))
                entries.push_back(SplitIniLine(lines_[i]));
    }
    return entries;
}

std::optional<std::wstring> IniDocument::Value(const std::wstring& section, const std::wstring& key) const {
    for (auto& entry : Section(section))
        if (EqualNoCase(entry.name, key))
            return entry.value;
    return std::nullopt;
}

void IniDocument::SetValue(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    std::wstring entry = key + L'=' + value;
    auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back(L'[' + section + L']');
        lines_.push_back(entry);
        return;
    }
    size_t end = SectionEnd(*header);
    for (size_t i = *header + 1; i < end; ++i) {
        if (IsEntry(lines_[i]) && EqualNoCase(SplitIniLine(lines_[i]).name, key)) {
            lines_[i] = entry;
            return;
        }
    }
    // After the section's last non-blank line, so that the blank line before the next header stays.
    size_t at = end;
    while (at > *header + 1 && Trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

std::optional<size_t> IniDocument::FindSection(const std::wstring& name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto header = HeaderName(lines_[i]);
        if (header && EqualNoCase(*header, name))
            return i;
    }
    return std::nullopt;
}

size_t IniDocument::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i])) ++i;
    return i;
}

}  // namespace pw
