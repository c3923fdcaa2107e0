#pragma once
// The application profile: per-user settings kept under a section name (the editor uses
// "Settings"). The registry on Windows, an ini file elsewhere, memory in tests.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pw {

class Profile {
public:
    virtual ~Profile() = default;
    virtual std::optional<std::wstring> ReadString(const std::wstring& section, const std::wstring& key) = 0;
    virtual std::optional<uint32_t> ReadInt(const std::wstring& section, const std::wstring& key) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::wstring& section,
                                                           const std::wstring& key) = 0;
    virtual bool WriteString(const std::wstring& section, const std::wstring& key,
                             const std::wstring& value) = 0;
    virtual bool WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) = 0;
    virtual bool WriteBinary(const std::wstring& section, const std::wstring& key,
                             const std::vector<uint8_t>& value) = 0;

    int GetInt(const std::wstring& section, const std::wstring& key, int fallback) {
        auto v = ReadInt(section, key);
        return v ? static_cast<int>(*v) : fallback;
    }
    std::wstring GetString(const std::wstring& section, const std::wstring& key,
                           const std::wstring& fallback) {
        auto v = ReadString(section, key);
        return v ? *v : fallback;
    }
};

// Settings held in memory only; tests install one as the application profile. Like the
// registry, each value has one type: reading it as another type finds nothing. Names are
// compared exactly, which is stricter than the system profiles.
class MemoryProfile : public Profile {
public:
    std::optional<std::wstring> ReadString(const std::wstring& section, const std::wstring& key) override;
    std::optional<uint32_t> ReadInt(const std::wstring& section, const std::wstring& key) override;
    std::optional<std::vector<uint8_t>> ReadBinary(const std::wstring& section,
                                                   const std::wstring& key) override;
    bool WriteString(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;
    bool WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) override;
    bool WriteBinary(const std::wstring& section, const std::wstring& key,
                     const std::vector<uint8_t>& value) override;

    bool failWrites = false;  // lets tests see how callers handle a profile that cannot be written

private:
    struct Value {
        std::optional<std::wstring> text;
        std::optional<uint32_t> number;
        std::optional<std::vector<uint8_t>> bytes;
    };
    std::map<std::pair<std::wstring, std::wstring>, Value> values_;
};

// Settings in an ini file (the system profile outside Windows): integers in decimal, binary
// data as hexadecimal digits, strings in double quotes with '\\', line feed and carriage return
// written as \\, \n and \r so that any text survives. A value that is not in our quotes is
// read as it stands. Every call reads the file afresh; every write rewrites it through a
// temporary file and an atomic replace, and fails rather than overwrite a file it cannot read.
// Names that the ini syntax cannot hold are refused: empty ones, control characters, blanks
// at either end, ']' in a section, and in a key '=' or a first ';' or '['.
class IniFileProfile : public Profile {
public:
    explicit IniFileProfile(std::wstring path) : path_(std::move(path)) {}
    std::optional<std::wstring> ReadString(const std::wstring& section, const std::wstring& key) override;
    std::optional<uint32_t> ReadInt(const std::wstring& section, const std::wstring& key) override;
    std::optional<std::vector<uint8_t>> ReadBinary(const std::wstring& section,
                                                   const std::wstring& key) override;
    bool WriteString(const std::wstring& section, const std::wstring& key,
                     const std::wstring& value) override;
    bool WriteInt(const std::wstring& section, const std::wstring& key, uint32_t value) override;
    bool WriteBinary(const std::wstring& section, const std::wstring& key,
                     const std::vector<uint8_t>& value) override;

private:
    std::optional<std::wstring> Read(const std::wstring& section, const std::wstring& key);
    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& text);

    std::mutex mutex_;  // one read-change-write at a time within the process
    std::wstring path_;
};

// The profile of the running application: the registry key HKEY_CURRENT_USER\Software\Penwright
// on Windows, $XDG_CONFIG_HOME/penwright/profile.ini (or ~/.config/...) elsewhere.
std::unique_ptr<Profile> MakeSystemProfile();

// The process's application profile, null when there is none ("no application object").
Profile* AppProfile();
// Installs a profile (or none) and answers the previous one. The caller keeps ownership.
Profile* SetAppProfile(Profile* profile);

}  // namespace pw
