#include "editor/win32/Gdi.h"

namespace pw::win32 {

void DCHandle::FillSolid(const RECT& rect, COLORREF colour) const {
    COLORREF old = SetBkColor(dc_, colour);
    ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc_, old);
}

}  // namespace pw::win32
