#include "editor/win32/TooltipWindow.h"

#include <algorithm>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

namespace {

const WindowClass& TooltipClass() {
    static const WindowClass windowClass(TooltipWindow::kClassName, CS_HREDRAW | CS_VREDRAW,
                                         LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

RECT WorkAreaAt(POINT screen) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST), &monitor))
        return monitor.rcWork;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

bool TooltipWindow::Create(HWND owner) {
    return Handle() || Window::Create(TooltipClass(), owner, WS_POPUP | WS_CLIPSIBLINGS | WS_BORDER,
                                      WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, RECT{});
}

void TooltipWindow::Show(std::wstring_view text, POINT screen) {
    if (!Handle())
        return;
    if (IsShown() && text != text_)
        Hide();
    text_ = text;
    if (!IsShown()) {
        // Wrapped within what is left of the screen to the right, a little room kept; too close
        // to the edge, it moves left rather than becoming a narrow column.
        const RECT work = WorkAreaAt(screen);
        const int frame = 2 * (kPadding + GetSystemMetrics(SM_CXBORDER));
        int left = std::max<int>(work.left, std::min<int>(screen.x, work.right - 10 - kMinWidth));
        RECT extent{0, 0, std::max<int>(work.right - 10 - left - frame, 1), 20};
        {
            WindowDC dc(Handle());
            SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
            DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &extent, kTextFormat | DT_CALCRECT);
        }
        const int width = static_cast<int>(extent.right) + frame;
        const int height = std::min<int>(static_cast<int>(extent.bottom) + frame, work.bottom - work.top);
        left = std::min<int>(left, work.right - width);
        const int top = std::max<int>(work.top, std::min<int>(screen.y, work.bottom - height));
        SetWindowPos(Handle(), HWND_TOP, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
    hideTimer_.Start(Handle(), kDisplayMs);
}

void TooltipWindow::Hide() {
    hideTimer_.Stop();
    if (IsShown())
        ShowWindow(Handle(), SW_HIDE);
}

void TooltipWindow::OnPaint() {
    PaintDC dc(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    dc.FillSolid(client, GetSysColor(COLOR_INFOBK));
    SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    SetBkMode(dc, TRANSPARENT);
    RECT text{client.left + kPadding, client.top + kPadding, client.right - kPadding, client.bottom};
    DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &text, kTextFormat);
}

LRESULT TooltipWindow::OnEraseBackground(HDC) {
    return 1;  // the paint fills it
}

void TooltipWindow::OnTimer(UINT_PTR id) {
    if (id == kHideTimer && hideTimer_.Running())
        Hide();
}

LRESULT TooltipWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // the mouse goes on to the marker below
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        default:
            return Window::OnMessage(message, wParam, lParam);
    }
}

}  // namespace pw::win32
