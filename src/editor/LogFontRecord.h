#pragma once
// The text font as the profile keeps it: the 92 bytes of a wide LOGFONT under "LogFont". Read
// portably so the rules for trusting a stored value are tested everywhere; the Windows painter
// copies the record into its LOGFONTW as it stands.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pw {
class Profile;
}

struct LogFontRecord {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    char16_t faceName[32] = {};

    static constexpr size_t kBytes = 92;
    static constexpr int kMaxHeight = 1000;  // pixels either way; larger is a damaged value

    // Height -13, normal weight, the default character set, and "Courier New" asked for as a
    // fixed-pitch modern face, so that a machine without that face gives a monospaced one.
    static LogFontRecord Default();
    // The record in `bytes` when it is exactly a record's size, its face name is terminated and
    // its height is sane; otherwise none.
    static std::optional<LogFontRecord> FromBytes(std::span<const uint8_t> bytes);
    std::vector<uint8_t> Bytes() const;

    // The profile's font under "LogFont", or the default when it holds none that can be trusted.
    static LogFontRecord Load(pw::Profile* profile);
    // False when there is no profile or it cannot be written.
    bool Save(pw::Profile* profile) const;
};
static_assert(sizeof(LogFontRecord) == LogFontRecord::kBytes);
