#include "editor/win32/BackBuffer.h"

namespace pw::win32 {

bool BackBuffer::Paint(HDC target, const RECT& area, const RECT& dirty,
                       const std::function<void(const DCHandle&, const RECT&)>& draw) {
    const SIZE size{area.right - area.left, area.bottom - area.top};
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    // A bitmap smaller than the area would leave part of the window unpainted.
    if (bitmap_ && (size.cx > size_.cx || size.cy > size_.cy))
        Reset();
    RECT part{};
    if (!IntersectRect(&part, &dirty, &area))
        return true;
    if (!bitmap_) {
        bitmap_.Reset(CreateCompatibleBitmap(target, size.cx, size.cy));
        auto memory = std::make_unique<MemoryDC>(target);
        if (!bitmap_ || !*memory) {
            bitmap_.Reset();
            return false;
        }
        original_ = SelectObject(*memory, bitmap_.Get());
        memory_ = std::move(memory);
        size_ = size;
        part = area;  // nothing in it yet
    }
    const MemoryDC& memory = *memory_;
    // The drawing code works in the target's coordinates.
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    draw(memory, part);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    return BitBlt(target, part.left, part.top, part.right - part.left, part.bottom - part.top, memory,
                  part.left - area.left, part.top - area.top, SRCCOPY) != FALSE;
}

void BackBuffer::Reset() {
    // The bitmap leaves the context before either goes.
    if (memory_)
        SelectObject(*memory_, original_);
    memory_.reset();
    bitmap_.Reset();
}

}  // namespace pw::win32
