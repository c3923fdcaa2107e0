#pragma once
// What the control keeps with the host's document: the border style, the text, read only, and
// eight options (-1: never stored, the editor keeps its own). One exchange function runs over
// both forms a host may ask for, a stream and a property bag, in either direction.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PersistedProperties {
    static constexpr uint32_t kVersion = 0x000B0002;
    static constexpr int32_t kNotStored = -1;
    // The options' names, in the order they are stored and applied.
    static constexpr std::array<std::wstring_view, 8> kOptionNames = {
        L"EnableSyntaxColorization", L"ShowLineNumbers",    L"ShowSelectionMargin", L"ShowScrollBarVert",
        L"ShowScrollBarHorz",        L"EnableVirtualSpace", L"EnableAutoIndent",    L"ShowWhiteSpace"};

    int32_t borderStyle = 0;
    std::wstring editorText;
    bool readOnly = false;
    std::array<int32_t, 8> options{kNotStored, kNotStored, kNotStored, kNotStored,
                                   kNotStored, kNotStored, kNotStored, kNotStored};
};

// One direction of one form. Loading fills what it finds and leaves the default otherwise;
// false when the data is unusable (the exchange then stops).
class PropertyExchange {
public:
    virtual bool IsLoading() const = 0;
    virtual bool Long(std::wstring_view name, int32_t& value) = 0;
    virtual bool String(std::wstring_view name, std::wstring& value) = 0;

protected:
    ~PropertyExchange() = default;
};

// Every property through `exchange`; booleans are longs of 0 or 1 (an option may be -1). Loaded
// values are made sound: a boolean is 0 or 1, an option 0, 1 or -1. False when the exchange
// failed; `properties` then holds what was read before, the rest at its defaults.
bool ExchangeProperties(PropertyExchange& exchange, PersistedProperties& properties);

// The stream form: the version word, then the values in order, little-endian, a string as its
// count of UTF-16 units and the units.
std::vector<uint8_t> SaveToStream(PersistedProperties properties);
// Nothing for data of another version, cut short, or with a string longer than the data.
std::optional<PersistedProperties> LoadFromStream(const std::vector<uint8_t>& bytes);
