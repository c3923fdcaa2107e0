#include "editor/win32/BackBuffer.h"

namespace pw::win32 {

bool BackBuffer::Paint(HDC target, const RECT& area, const std::function<void(const DCHandle&)>& draw) {
    const SIZE size{area.right - area.left, area.bottom - area.top};
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    // A bitmap smaller than the area would leave part of the window unpainted.
    if (bitmap_ && (size.cx > size_.cx || size.cy > size_.cy))
        bitmap_.Reset();
    if (!bitmap_) {
        bitmap_.Reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        if (!bitmap_)
            return false;
        size_ = size;
    }
    MemoryDC memory(target);
    if (!memory)
        return false;
    SelectScope select(memory, bitmap_.Get());
    // The drawing code works in the target's coordinates.
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    draw(memory);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    return BitBlt(target, area.left, area.top, size.cx, size.cy, memory, 0, 0, SRCCOPY) != FALSE;
}

}  // namespace pw::win32
