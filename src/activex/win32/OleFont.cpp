#include "activex/win32/OleFont.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "activex/win32/Dispatch.h"
#include "editor/win32/ComPtr.h"

namespace pw::win32 {

namespace {

// Font objects count sizes in ten-thousandths of a point: this many make an inch.
constexpr int64_t kSizeUnitsPerInch = 72 * 10000;

int ScreenDotsPerInch() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

HRESULT NewFontDisp(const LOGFONTW& font, IFontDisp** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    std::wstring name(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE));
    const int dpi = ScreenDotsPerInch();
    FONTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.lpstrName = name.data();
    description.cySize.int64 = (std::abs(int64_t{font.lfHeight}) * kSizeUnitsPerInch + dpi / 2) / dpi;
    description.sWeight = static_cast<SHORT>(std::clamp<LONG>(font.lfWeight, 0, SHRT_MAX));
    description.sCharset = font.lfCharSet;
    description.fItalic = font.lfItalic != 0;
    description.fUnderline = font.lfUnderline != 0;
    description.fStrikethrough = font.lfStrikeOut != 0;
    return OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(out));
}

std::optional<LOGFONTW> ScreenFontOf(IUnknown* font) {
    ComPtr<IFont> object;
    if (!font || FAILED(font->QueryInterface(IID_IFont, reinterpret_cast<void**>(object.Out()))))
        return std::nullopt;
    BSTR name = nullptr;
    if (FAILED(object->get_Name(&name)))
        return std::nullopt;
    const std::wstring faceName(StringOf(name));
    SysFreeString(name);
    CY size{};
    SHORT weight = FW_NORMAL;
    SHORT charset = DEFAULT_CHARSET;
    BOOL italic = FALSE, underline = FALSE, strikeOut = FALSE;
    if (FAILED(object->get_Size(&size)) || FAILED(object->get_Weight(&weight)) ||
        FAILED(object->get_Charset(&charset)) || FAILED(object->get_Italic(&italic)) ||
        FAILED(object->get_Underline(&underline)) || FAILED(object->get_Strikethrough(&strikeOut)))
        return std::nullopt;
    LOGFONTW screenFont{};
    const int64_t dpi = ScreenDotsPerInch();
    // Sizes no font has are kept within what a LOGFONT holds.
    const int64_t units = std::clamp<int64_t>(size.int64, 0, INT64_MAX / dpi);
    screenFont.lfHeight = -static_cast<LONG>(
        std::clamp<int64_t>((units * dpi + kSizeUnitsPerInch / 2) / kSizeUnitsPerInch, 1, LONG_MAX));
    screenFont.lfWeight = std::max<SHORT>(weight, 0);
    screenFont.lfCharSet = static_cast<BYTE>(charset);
    screenFont.lfItalic = italic ? TRUE : FALSE;
    screenFont.lfUnderline = underline ? TRUE : FALSE;
    screenFont.lfStrikeOut = strikeOut ? TRUE : FALSE;
    faceName.copy(screenFont.lfFaceName, LF_FACESIZE - 1);
    return screenFont;
}

}  // namespace pw::win32
