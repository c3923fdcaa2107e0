#pragma once
// Windows only: drawing a frame off-screen and copying it to the window once, so that the
// window never shows a half-drawn frame.
#include <windows.h>

#include <functional>
#include <memory>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

class BackBuffer {
public:
    // Draws through `draw` into the off-screen bitmap, in the target's coordinates, and copies
    // `dirty` (part of `area`, the client rectangle) to the target. The bitmap is made at the
    // area's size on first use and kept for the next frame, so that a frame draws only what
    // changed: `draw` is given the part to draw, all of `area` for a new bitmap.
    bool Paint(HDC target, const RECT& area, const RECT& dirty,
               const std::function<void(const DCHandle&, const RECT&)>& draw);
    // Drops the bitmap (after a resize): the next frame makes one of the new size.
    void Reset();
    ~BackBuffer() { Reset(); }

private:
    Bitmap bitmap_;
    SIZE size_{};
    // Kept with the bitmap selected: making a context for every paint costs more than a row.
    std::unique_ptr<MemoryDC> memory_;
    HGDIOBJ original_ = nullptr;  // the context's own bitmap, put back before it goes
};

}  // namespace pw::win32
