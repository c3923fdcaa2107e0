#pragma once
// Windows only: screen fonts (LOGFONTW, the height in screen pixels) as automation's font objects
// and back, the size in points as those objects keep it.
#include <windows.h>
// After windows.h, which it needs.
#include <olectl.h>

#include <optional>

namespace pw::win32 {

// A new font object showing `font` into `out`.
HRESULT NewFontDisp(const LOGFONTW& font, IFontDisp** out);
// The screen font that a font object describes; nothing when `font` is none or no font.
std::optional<LOGFONTW> ScreenFontOf(IUnknown* font);

}  // namespace pw::win32
