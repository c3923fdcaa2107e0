#include "activex/win32/ControlWindow.h"

namespace {

const pw::win32::WindowClass& ControlClass() {
    static const pw::win32::WindowClass windowClass(L"VantrellPenwrightControl", CS_DBLCLKS,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// One hidden window per thread holds the controls no host shows; it goes with the last of them.
struct Parking {
    HWND hwnd = nullptr;
    int users = 0;
};
thread_local Parking parking;

HWND TakeParking() {
    if (!parking.hwnd)
        parking.hwnd =
            CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (parking.hwnd)
        ++parking.users;
    return parking.hwnd;
}

void LeaveParking() {
    if (parking.users > 0 && --parking.users == 0) {
        DestroyWindow(parking.hwnd);
        parking.hwnd = nullptr;
    }
}

}  // namespace

ControlWindow::ControlWindow(ControlWindowOwner& owner) : owner_(owner) {}

ControlWindow::~ControlWindow() {
    if (Handle())
        DestroyWindow(Handle());
    LeaveParking();
}

bool ControlWindow::Create() {
    const HWND parent = TakeParking();
    return parent && Window::Create(ControlClass(), parent, WS_CHILD | WS_CLIPCHILDREN | WS_TABSTOP, 0,
                                    RECT{0, 0, 100, 100});
}

bool ControlWindow::OnCreate(const CREATESTRUCTW&) {
    return editor_.Create(Handle(), true, true, nullptr, kEditorId);
}

void ControlWindow::PlaceIn(HWND parent, const RECT& rect) {
    if (!parent) {
        ShowWindow(Handle(), SW_HIDE);
        SetParent(Handle(), parking.hwnd);
        return;
    }
    if (GetParent(Handle()) != parent)
        SetParent(Handle(), parent);
    SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool ControlWindow::Contains(HWND hwnd) const {
    for (; hwnd; hwnd = GetParent(hwnd))  // GetParent also answers a pop-up's owner
        if (hwnd == Handle())
            return true;
    return false;
}

void ControlWindow::OnSize(UINT, int width, int height) {
    if (editor_.Handle())
        SetWindowPos(editor_.Handle(), nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ControlWindow::OnSetFocus(HWND) {
    if (editor_.Handle())
        SetFocus(editor_.Handle());
}

UINT ControlWindow::OnGetDlgCode(const MSG*) {
    return CQELPenwrightCtrl::kDlgCode;
}

LRESULT ControlWindow::OnNotify(const NMHDR& header) {
    return header.idFrom == kEditorId && header.hwndFrom == editor_.Handle() ? owner_.OnEditorNotify(header)
                                                                             : 0;
}

LRESULT ControlWindow::OnEraseBackground(HDC) {
    return 1;  // the edit control covers it all
}

LRESULT ControlWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            owner_.OnMouseActivate();
            break;
        case WM_SYSCOLORCHANGE:
            if (editor_.Handle())
                SendMessageW(editor_.Handle(), message, wParam, lParam);
            break;
    }
    return Default();
}
