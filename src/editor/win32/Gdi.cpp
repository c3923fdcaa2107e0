#include "editor/win32/Gdi.h"

#include <cstdlib>

namespace pw::win32 {

Brush MakeHalftoneBrush() {
    // Eight rows of a monochrome bitmap, each a 16-bit word as CreateBitmap wants them.
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    Bitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
    return Brush(pattern ? CreatePatternBrush(pattern.Get()) : nullptr);
}

LOGFONTW FontForDevice(const LOGFONTW& screenFont, HDC dc) {
    HDC screen = GetDC(nullptr);
    const int screenX = GetDeviceCaps(screen, LOGPIXELSX);
    const int screenY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // An inch of the device in its logical units, whatever its mapping mode.
    POINT inch[2] = {{0, 0}, {GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)}};
    DPtoLP(dc, inch, 2);
    LOGFONTW font = screenFont;
    if (screenX > 0 && screenY > 0) {
        font.lfHeight = MulDiv(screenFont.lfHeight, std::abs(inch[1].y - inch[0].y), screenY);
        font.lfWidth = MulDiv(screenFont.lfWidth, std::abs(inch[1].x - inch[0].x), screenX);
    }
    return font;
}

void DCHandle::FillSolid(const RECT& rect, COLORREF colour) const {
    COLORREF old = SetBkColor(dc_, colour);
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc_, old);
}

}  // namespace pw::win32
