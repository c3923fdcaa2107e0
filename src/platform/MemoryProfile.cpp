#include "platform/Profile.h"

namespace pw {

std::optional<std::wstring> MemoryProfile::ReadString(const std::wstring& section, const std::wstring& key) {
    auto it = values_.find({section, key});
    return it == values_.end() ? std::nullopt : it->second.text;
}

std::optional<uint32_t> MemoryProfile::ReadInt(const std::wstring& section, const std::wstring& key) {
    auto it = values_.find({section, key});
    return it == values_.end() ? std::nullopt : it->second.number;
}

std::optional<std::vector<uint8_t>> MemoryProfile::ReadBinary(const std::wstring& section,
                                                              const std::wstring& key) {
    auto it = values_.find({section, key});
    return it == values_.end() ? std::nullopt : it->second.bytes;
}

// Each write replaces the whole value, so the old value's type goes with it.
bool MemoryProfile::WriteString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) {
    if (failWrites)
        return false;
    values_[{section, key}] = Value{value, std::nullopt, std::nullopt};
    return true;
}

bool MemoryProfile::WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) {
    if (failWrites)
        return false;
    values_[{section, key}] = Value{std::nullopt, value, std::nullopt};
    return true;
}

bool MemoryProfile::WriteBinary(const std::wstring& section, const std::wstring& key,
                                const std::vector<uint8_t>& value) {
    if (failWrites)
        return false;
    values_[{section, key}] = Value{std::nullopt, std::nullopt, value};
    return true;
}

}  // namespace pw
