#pragma once
// What a class tells the renderer about its text: colours and font flags. Colours are COLORREF
// values (0x00BBGGRR); schema and theme files write them as 0xRRGGBB.
#include <cstdint>

inline constexpr int32_t kColorNotSet = -1;

// Exchanges the lowest and the third byte: 0xRRGGBB as written in files <-> 0x00BBGGRR.
constexpr int32_t SwapRedBlue(int32_t color) {
    auto bits = static_cast<uint32_t>(color);
    bits = (bits & 0xFF00FF00u) | ((bits & 0xFFu) << 16) | ((bits >> 16) & 0xFFu);
    return static_cast<int32_t>(bits);
}

struct LexColorPair {
    int32_t standard = kColorNotSet;
    int32_t custom = kColorNotSet;

    bool IsSet() const { return standard != kColorNotSet || custom != kColorNotSet; }
    friend bool operator==(const LexColorPair&, const LexColorPair&) = default;
};

// The colour a pair shows: its custom colour, else its standard one, else `fallback`.
constexpr int32_t ShownColor(const LexColorPair& pair, int32_t fallback) {
    if (pair.custom != kColorNotSet)
        return pair.custom;
    return pair.standard != kColorNotSet ? pair.standard : fallback;
}

struct LexTextAttributes {
    static constexpr int kNotSet = 255;  // weight, italic and underline
    static constexpr int kBold = 700;

    LexColorPair text;
    LexColorPair background;
    LexColorPair selectedText;
    LexColorPair selectedBackground;
    int weight = kNotSet;
    int italic = kNotSet;     // 1 or kNotSet
    int underline = kNotSet;  // 1 or kNotSet

    friend bool operator==(const LexTextAttributes&, const LexTextAttributes&) = default;
};
