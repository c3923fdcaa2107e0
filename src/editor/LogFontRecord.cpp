#include "editor/LogFontRecord.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "editor/EditorOptions.h"
#include "platform/Profile.h"

namespace {

constexpr wchar_t kKey[] = L"LogFont";
constexpr uint8_t kFixedPitch = 0x01;
constexpr uint8_t kModernFamily = 0x30;

}  // namespace

LogFontRecord LogFontRecord::Default() {
    LogFontRecord font;
    font.height = -13;
    font.weight = 400;
    font.charSet = 1;
    font.pitchAndFamily = kFixedPitch | kModernFamily;
    constexpr char16_t kFace[] = u"Courier New";
    std::copy(std::begin(kFace), std::end(kFace), font.faceName);
    return font;
}

std::optional<LogFontRecord> LogFontRecord::FromBytes(std::span<const uint8_t> bytes) {
    if (bytes.size() != kBytes)
        return std::nullopt;
    LogFontRecord font;
    std::memcpy(static_cast<void*>(&font), bytes.data(), kBytes);
    const bool terminated =
        std::find(std::begin(font.faceName), std::end(font.faceName), u'\0') != std::end(font.faceName);
    if (!terminated || font.height < -kMaxHeight || font.height > kMaxHeight)
        return std::nullopt;
    return font;
}

std::vector<uint8_t> LogFontRecord::Bytes() const {
    std::vector<uint8_t> bytes(kBytes);
    std::memcpy(bytes.data(), this, kBytes);
    return bytes;
}

LogFontRecord LogFontRecord::Load(pw::Profile* profile) {
    if (profile) {
        if (auto bytes = profile->ReadBinary(std::wstring(EditorOptions::kSection), kKey))
            if (auto font = FromBytes(*bytes))
                return *font;
    }
    return Default();
}

bool LogFontRecord::Save(pw::Profile* profile) const {
    return profile && profile->WriteBinary(std::wstring(EditorOptions::kSection), kKey, Bytes());
}
