#pragma once
// Windows only: one scroll bar of a window (SB_HORZ, SB_VERT) or a scroll bar control (SB_CTL),
// in 32-bit positions throughout.
#include <windows.h>

namespace pw::win32 {

class ScrollBar {
public:
    ScrollBar(HWND hwnd, int bar) : hwnd_(hwnd), bar_(bar) {}

    // Range, page and position at once. The bar stays and is disabled, rather than hidden, when
    // the page holds the whole range.
    void Set(int min, int max, UINT page, int position) const;
    void SetPosition(int position) const;
    int Position() const;
    // Where the user drags the thumb (its position when no drag is under way).
    int TrackPosition() const;
    void Enable(bool enable) const;
    void Show(bool show) const;

private:
    HWND hwnd_;
    int bar_;
};

}  // namespace pw::win32
