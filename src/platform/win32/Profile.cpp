#include "platform/Profile.h"

#include <windows.h>

namespace pw {

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* Receive() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// A NUL inside a name would make the registry act on a shorter name than the one asked for.
bool IsName(const std::wstring& name) {
    return !name.empty() && name.find(L'\0') == std::wstring::npos;
}

std::wstring KeyPath(const std::wstring& section) {
    return L"Software\\Penwright\\" + section;
}

class RegistryProfile : public Profile {
public:
    std::optional<std::wstring> ReadString(const std::wstring& section, const std::wstring& key) override {
        auto data = Query(section, key, REG_SZ);
        if (!data)
            return std::nullopt;
        std::wstring text(data->size() / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>((*data)[2 * i] | ((*data)[2 * i + 1] << 8));
        if (!text.empty() && text.back() == L'\0')
            text.pop_back();  // the terminator, not the text
        return text;
    }

    std::optional<uint32_t> ReadInt(const std::wstring& section, const std::wstring& key) override {
        auto data = Query(section, key, REG_DWORD);
        if (!data || data->size() != 4)
            return std::nullopt;
        return static_cast<uint32_t>((*data)[0] | ((*data)[1] << 8) | ((*data)[2] << 16)) |
               (static_cast<uint32_t>((*data)[3]) << 24);
    }

    std::optional<std::vector<uint8_t>> ReadBinary(const std::wstring& section,
                                                   const std::wstring& key) override {
        return Query(section, key, REG_BINARY);
    }

    bool WriteString(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override {
        return Set(section, key, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
    }

    bool WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) override {
        DWORD data = value;
        return Set(section, key, REG_DWORD, &data, sizeof data);
    }

    bool WriteBinary(const std::wstring& section, const std::wstring& key,
                     const std::vector<uint8_t>& value) override {
        return Set(section, key, REG_BINARY, value.data(), value.size());
    }

private:
    // The value's bytes when it exists with the wanted type; a value of another type is not ours.
    static std::optional<std::vector<uint8_t>> Query(const std::wstring& section, const std::wstring& key,
                                                     DWORD wantedType) {
        RegistryKey hkey;
        if (!IsName(section) || !IsName(key) ||
            RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, KEY_QUERY_VALUE, hkey.Receive()) !=
                ERROR_SUCCESS)
            return std::nullopt;
        for (;;) {
            DWORD type = 0;
            DWORD size = 0;
            if (RegQueryValueExW(hkey.Get(), key.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
                type != wantedType)
                return std::nullopt;
            std::vector<uint8_t> data(size + 1);  // never empty, so the call always gets a buffer
            LONG result = RegQueryValueExW(hkey.Get(), key.c_str(), nullptr, &type, data.data(), &size);
            if (result == ERROR_MORE_DATA)
                continue;  // it grew between the two calls
            if (result != ERROR_SUCCESS || type != wantedType)
                return std::nullopt;
            data.resize(size);
            return data;
        }
    }

    static bool Set(const std::wstring& section, const std::wstring& key, DWORD type, const void* data,
                    size_t size) {
        RegistryKey hkey;
        return IsName(section) && IsName(key) && size <= MAXDWORD &&
               RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                               nullptr, hkey.Receive(), nullptr) == ERROR_SUCCESS &&
               RegSetValueExW(hkey.Get(), key.c_str(), 0, type, static_cast<const BYTE*>(data),
                              static_cast<DWORD>(size)) == ERROR_SUCCESS;
    }
};

}  // namespace

std::unique_ptr<Profile> MakeSystemProfile() {
    return std::make_unique<RegistryProfile>();
}

}  // namespace pw
