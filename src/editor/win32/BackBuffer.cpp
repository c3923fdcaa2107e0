#include "editor/win32/BackBuffer.h"

namespace pw::win32 {

bool BackBuffer::Paint(HDC target, const RECT& area, const RECT& dirty,
                       const std::function<void(const DCHandle&, const RECT&)>& draw) {
    const SIZE size{area.right - area.left, area.bottom - area.top};
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    // A bitmap smaller than the area would leave part of the window unpainted.
    if (bitmap_ && (size.cx > size_.cx || size.cy > size_.cy))
        bitmap_.Reset();
    RECT part{};
    if (!IntersectRect(&part, &dirty, &area))
        return true;
    if (!bitmap_) {
        bitmap_.Reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        if (!bitmap_)
            return false;
        size_ = size;
        part = area;  // nothing in it yet
    }
    MemoryDC memory(target);
    if (!memory)
        return false;
    SelectScope select(memory, bitmap_.Get());
    // The drawing code works in the target's coordinates.
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    draw(memory, part);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    return BitBlt(target, part.left, part.top, part.right - part.left, part.bottom - part.top, memory,
                  part.left - area.left, part.top - area.top, SRCCOPY) != FALSE;
}

}  // namespace pw::win32
