#pragma once
// Text helpers of the schema language. Keys and class names compare without regard to case; the
// folding is our own rather than the C library's so that both builds, whatever their locale and
// wchar_t width, give the same answers. It folds upper-case letters to lower case in ASCII,
// Latin-1, Greek (U+0391..U+03A9) and Cyrillic (U+0400..U+042F); every other code unit stays.
#include <algorithm>
#include <string>
#include <string_view>

constexpr wchar_t FoldCase(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c + 0x20);
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : static_cast<wchar_t>(c + 0x20);  // 0xD7 is the multiplication sign
    if (c >= 0x391 && c <= 0x3A9)
        return c == 0x3A2 ? c : static_cast<wchar_t>(c + 0x20);  // 0x3A2 unassigned
    if (c >= 0x400 && c <= 0x40F)
        return static_cast<wchar_t>(c + 0x50);
    if (c >= 0x410 && c <= 0x42F)
        return static_cast<wchar_t>(c + 0x20);
    return c;
}

// The value of a digit in bases up to 16; 16 for any other character.
inline int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return 16;
}

inline std::wstring FoldCase(std::wstring_view text) {
    std::wstring folded(text);
    for (wchar_t& c : folded) c = FoldCase(c);
    return folded;
}

inline bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](wchar_t x, wchar_t y) { return FoldCase(x) == FoldCase(y); });
}

inline bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// White space as the C library's isspace sees it in the "C" locale.
constexpr bool IsLexSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

inline std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsLexSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsLexSpace(text.back())) text.remove_suffix(1);
    return text;
}
