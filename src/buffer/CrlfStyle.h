#pragma once
// Line-end styles of a document. Row text never holds its line end; these are what goes between
// rows when text is extracted or saved.
#include <string_view>

namespace CrlfStyle {
inline constexpr int None = -1;  // no line end, or "the buffer's own", as each use states
inline constexpr int CrLf = 0;
inline constexpr int LfCr = 1;
inline constexpr int Lf = 2;
}  // namespace CrlfStyle

// The UTF-16 line end of a style; any value outside 0..2 gives CR LF.
constexpr std::wstring_view LineEndText(int style) {
    switch (style) {
        case CrlfStyle::LfCr:
            return L"\n\r";
        case CrlfStyle::Lf:
            return L"\n";
        default:
            return L"\r\n";
    }
}
