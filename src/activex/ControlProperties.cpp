#include "activex/ControlProperties.h"

namespace {

class StreamWriter : public PropertyExchange {
public:
    bool IsLoading() const override { return false; }
    bool Long(std::wstring_view, int32_t& value) override {
        Put(static_cast<uint32_t>(value));
        return true;
    }
    bool String(std::wstring_view, std::wstring& value) override {
        Put(static_cast<uint32_t>(value.size()));
        for (const wchar_t c : value) {
            bytes.push_back(static_cast<uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
        }
        return true;
    }
    void Put(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
    std::vector<uint8_t> bytes;
};

class StreamReader : public PropertyExchange {
public:
    explicit StreamReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    bool IsLoading() const override { return true; }
    bool Long(std::wstring_view, int32_t& value) override {
        uint32_t word = 0;
        if (!Get(word))
            return false;
        value = static_cast<int32_t>(word);
        return true;
    }
    bool String(std::wstring_view, std::wstring& value) override {
        uint32_t count = 0;
        if (!Get(count) || count > (bytes_.size() - at_) / 2)
            return false;
        value.resize(count);
        for (wchar_t& c : value) {
            c = static_cast<wchar_t>(bytes_[at_] | (bytes_[at_ + 1] << 8));
            at_ += 2;
        }
        return true;
    }
    bool Get(uint32_t& value) {
        if (bytes_.size() - at_ < 4)
            return false;
        value = 0;
        for (int shift = 0; shift < 32; shift += 8) value |= static_cast<uint32_t>(bytes_[at_++]) << shift;
        return true;
    }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

}  // namespace

bool ExchangeProperties(PropertyExchange& exchange, PersistedProperties& properties) {
    if (!exchange.Long(L"BorderStyle", properties.borderStyle) ||
        !exchange.String(L"EditorText", properties.editorText))
        return false;
    int32_t readOnly = properties.readOnly ? 1 : 0;
    if (!exchange.Long(L"ReadOnly", readOnly))
        return false;
    properties.readOnly = readOnly != 0;
    for (size_t i = 0; i < properties.options.size(); ++i) {
        int32_t& option = properties.options[i];
        if (!exchange.Long(PersistedProperties::kOptionNames[i], option))
            return false;
        if (option != PersistedProperties::kNotStored)
            option = option != 0 ? 1 : 0;
    }
    return true;
}

std::vector<uint8_t> SaveToStream(PersistedProperties properties) {
    StreamWriter writer;
    writer.Put(PersistedProperties::kVersion);
    ExchangeProperties(writer, properties);
    return std::move(writer.bytes);
}

std::optional<PersistedProperties> LoadFromStream(const std::vector<uint8_t>& bytes) {
    StreamReader reader(bytes);
    uint32_t version = 0;
    PersistedProperties properties;
    if (!reader.Get(version) || version != PersistedProperties::kVersion ||
        !ExchangeProperties(reader, properties))
        return std::nullopt;
    return properties;
}
