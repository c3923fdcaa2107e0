#pragma once
// Conversion between UTF-16 and 8-bit code pages. Failures are reported, never papered over
// with replacement characters: the user's text must survive a round trip or the caller hears.
#include <string>
#include <string_view>

namespace pw {

inline constexpr int kCodePageSystem = 0;  // the ANSI code page on Windows, UTF-8 elsewhere
inline constexpr int kCodePageUtf8 = 65001;

// The code page that 0 stands for on this system.
int SystemCodePage();
bool IsCodePageAvailable(int codePage);

// False when the code page is unknown or the bytes are not valid in it; `out` is then unspecified.
bool MultiByteToUtf16(int codePage, std::string_view bytes, std::wstring& out);
// False when the code page is unknown or a character has no representation in it.
bool Utf16ToMultiByte(int codePage, std::wstring_view text, std::string& out);

// Plain UTF-8 <-> UTF-16 code units, the same on every platform. Unpaired surrogates fail.
bool Utf8ToUtf16(std::string_view bytes, std::wstring& out);
bool Utf16ToUtf8(std::wstring_view text, std::string& out);
// For literals and paths in our own code where failure cannot happen (ASCII) or does not matter:
// a bad sequence becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace pw
