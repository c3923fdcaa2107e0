#include "platform/CodePage.h"

#include <windows.h>

#include <climits>

namespace pw {

namespace {

int Resolve(int codePage) {
    return codePage == kCodePageSystem ? static_cast<int>(GetACP()) : codePage;
}

}  // namespace

int SystemCodePage() {
    return static_cast<int>(GetACP());
}

bool IsCodePageAvailable(int codePage) {
    codePage = Resolve(codePage);
    return codePage == kCodePageUtf8 || IsValidCodePage(static_cast<UINT>(codePage));
}

// UTF-8 goes through our own converter on every system, so it refuses the same input everywhere.
bool MultiByteToUtf16(int codePage, std::string_view bytes, std::wstring& out) {
    codePage = Resolve(codePage);
    if (codePage == kCodePageUtf8)
        return Utf8ToUtf16(bytes, out);
    out.clear();
    if (bytes.size() > INT_MAX || !IsValidCodePage(static_cast<UINT>(codePage)))
        return false;
    if (bytes.empty())
        return true;
    auto cp = static_cast<UINT>(codePage);
    auto size = static_cast<int>(bytes.size());
    int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    out.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n) == n;
}

// No best-fit mapping (it would turn characters into look-alikes) and no default character:
// either every character has its own bytes or the conversion fails.
bool Utf16ToMultiByte(int codePage, std::wstring_view text, std::string& out) {
    codePage = Resolve(codePage);
    if (codePage == kCodePageUtf8)
        return Utf16ToUtf8(text, out);
    out.clear();
    if (text.size() > INT_MAX || !IsValidCodePage(static_cast<UINT>(codePage)))
        return false;
    if (text.empty())
        return true;
    auto cp = static_cast<UINT>(codePage);
    auto size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    int n =
        WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return false;
    out.resize(static_cast<size_t>(n));
    return WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr,
                               &usedDefault) == n &&
           !usedDefault;
}

}  // namespace pw
