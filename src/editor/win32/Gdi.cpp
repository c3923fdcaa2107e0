#include "editor/win32/Gdi.h"

namespace pw::win32 {

Brush MakeHalftoneBrush() {
    // Eight rows of a monochrome bitmap, each a 16-bit word as CreateBitmap wants them.
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    Bitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
    return Brush(pattern ? CreatePatternBrush(pattern.Get()) : nullptr);
}

void DCHandle::FillSolid(const RECT& rect, COLORREF colour) const {
    COLORREF old = SetBkColor(dc_, colour);
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc_, old);
}

}  // namespace pw::win32
