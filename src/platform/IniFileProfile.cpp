#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Profile.h"

#include <algorithm>

namespace pw {

namespace {

bool HasControlOrEdgeBlank(const std::wstring& name) {
    return name.empty() || name.front() == L' ' || name.back() == L' ' ||
           std::any_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x20 || c == 0x7F; });
}

bool IsSectionName(const std::wstring& name) {
    return !HasControlOrEdgeBlank(name) && name.find(L']') == std::wstring::npos;
}

bool IsKeyName(const std::wstring& name) {
    return !HasControlOrEdgeBlank(name) && name.find(L'=') == std::wstring::npos && name.front() != L';' &&
           name.front() != L'[';
}

std::wstring Quote(const std::wstring& value) {
    std::wstring quoted = L"\"";
    for (wchar_t c : value) {
        if (c == L'\\')
            quoted += L"\\\\";
        else if (c == L'\n')
            quoted += L"\\n";
        else if (c == L'\r')
            quoted += L"\\r";
        else
            quoted += c;
    }
    return quoted + L'"';
}

// Undoes Quote; a value someone wrote by hand without our quotes stays as it is.
std::wstring Unquote(const std::wstring& value) {
    if (value.size() < 2 || value.front() != L'"' || value.back() != L'"')
        return value;
    std::wstring text;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        wchar_t next = i + 2 < value.size() ? value[i + 1] : L'\0';
        if (value[i] == L'\\' && (next == L'\\' || next == L'n' || next == L'r')) {
            text += next == L'n' ? L'\n' : next == L'r' ? L'\r' : L'\\';
            ++i;
        } else {
            text += value[i];
        }
    }
    return text;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

}  // namespace

std::optional<std::wstring> IniFileProfile::ReadString(const std::wstring& section, const std::wstring& key) {
    auto value = Read(section, key);
    return value ? std::optional(Unquote(*value)) : std::nullopt;
}

std::optional<uint32_t> IniFileProfile::ReadInt(const std::wstring& section, const std::wstring& key) {
    auto value = Read(section, key);
    if (!value || value->empty() || value->size() > 10)
        return std::nullopt;
    uint64_t number = 0;
    for (wchar_t c : *value) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        number = number * 10 + static_cast<uint64_t>(c - L'0');
    }
    if (number > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(number);
}

std::optional<std::vector<uint8_t>> IniFileProfile::ReadBinary(const std::wstring& section,
                                                               const std::wstring& key) {
    auto value = Read(section, key);
    if (!value || value->size() % 2)
        return std::nullopt;
    std::vector<uint8_t> bytes(value->size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int high = HexDigit((*value)[2 * i]);
        int low = HexDigit((*value)[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return bytes;
}

bool IniFileProfile::WriteString(const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value) {
    return Write(section, key, Quote(value));
}

bool IniFileProfile::WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) {
    return Write(section, key, std::to_wstring(value));
}

bool IniFileProfile::WriteBinary(const std::wstring& section, const std::wstring& key,
                                 const std::vector<uint8_t>& value) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (uint8_t byte : value) text.append({kDigits[byte >> 4], kDigits[byte & 15]});
    return Write(section, key, text);
}

std::optional<std::wstring> IniFileProfile::Read(const std::wstring& section, const std::wstring& key) {
    std::lock_guard lock(mutex_);
    IniDocument document;
    auto bytes = ReadFileBytes(path_);
    if (!bytes || !document.Parse(*bytes))
        return std::nullopt;
    return document.Value(section, key);
}

bool IniFileProfile::Write(const std::wstring& section, const std::wstring& key, const std::wstring& text) {
    if (!IsSectionName(section) || !IsKeyName(key))
        return false;
    std::lock_guard lock(mutex_);
    IniDocument document;
    auto bytes = ReadFileBytes(path_);
    // A file that is there but cannot be read or decoded holds settings we must not destroy.
    if (bytes ? !document.Parse(*bytes) : FileExists(path_))
        return false;
    document.SetValue(section, key, text);
    std::string out;
    return document.Serialize(out) && WriteFileAtomic(path_, out);
}

}  // namespace pw
