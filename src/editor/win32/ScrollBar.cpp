#include "editor/win32/ScrollBar.h"

namespace pw::win32 {

void ScrollBar::Set(int min, int max, UINT page, int position) const {
    SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, min, max, page, position, 0};
    SetScrollInfo(hwnd_, bar_, &info, TRUE);
}

void ScrollBar::SetPosition(int position) const {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, position, 0};
    SetScrollInfo(hwnd_, bar_, &info, TRUE);
}

int ScrollBar::Position() const {
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd_, bar_, &info) ? info.nPos : 0;
}

int ScrollBar::TrackPosition() const {
    SCROLLINFO info{sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd_, bar_, &info) ? info.nTrackPos : 0;
}

void ScrollBar::Enable(bool enable) const {
    EnableScrollBar(hwnd_, bar_, enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void ScrollBar::Show(bool show) const {
    ShowScrollBar(hwnd_, bar_, show ? TRUE : FALSE);
}

}  // namespace pw::win32
