#pragma once
// Windows only: a 32-bit top-down bitmap whose pixels we can read, with a memory context to draw
// into it. Screenshots and pixel tests read what was drawn from here.
#include <windows.h>

#include <cstdint>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

class DibSection {
public:
    DibSection(int width, int height);
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;
    ~DibSection();

    explicit operator bool() const { return bits_ != nullptr; }
    const DCHandle& Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Blue, green, red and an unused byte per pixel, rows top to bottom; GDI work is flushed first.
    const uint32_t* Pixels() const;
    COLORREF Pixel(int x, int y) const;

private:
    int width_;
    int height_;
    uint32_t* bits_ = nullptr;
    MemoryDC dc_;
    Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

// Draws the client area of a window and of its visible children into a new section, each through
// its own WM_PRINTCLIENT handler: what the window draws, not what the screen shows, so a caret or
// an overlapping window is not in the picture.
bool CaptureClient(HWND hwnd, DibSection& into);

}  // namespace pw::win32
