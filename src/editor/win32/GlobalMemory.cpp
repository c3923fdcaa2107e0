#include "editor/win32/GlobalMemory.h"

#include <algorithm>
#include <cstdint>

namespace pw::win32 {

Global UnicodeBlock(std::wstring_view text) {
    // Checked before anything reads the text, so a length that cannot be real fails here.
    if (text.size() >= SIZE_MAX / sizeof(wchar_t))
        return {};
    return MakeBlock((text.size() + 1) * sizeof(wchar_t), [text](void* data) {
        auto* units = static_cast<wchar_t*>(data);
        units[text.copy(units, text.size())] = L'\0';
        return true;
    });
}

Global MarkerBlock() {
    return MakeBlock(1, [](void* data) {
        *static_cast<BYTE*>(data) = 1;
        return true;
    });
}

std::optional<std::wstring> ReadUnicode(HGLOBAL memory) {
    const size_t units = GlobalSize(memory) / sizeof(wchar_t);
    if (units == 0)
        return std::wstring();
    Locked text(memory);
    if (!text.Data())
        return std::nullopt;
    const auto* begin = static_cast<const wchar_t*>(text.Data());
    return std::wstring(begin, std::find(begin, begin + units, L'\0'));
}

}  // namespace pw::win32
