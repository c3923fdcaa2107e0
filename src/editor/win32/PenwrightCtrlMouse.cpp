// The edit control's mouse messages, cursors, context menu and wheel: the window side of
// MouseInput.
#include <windowsx.h>

#include <algorithm>

#include "editor/win32/PenwrightCtrl.h"

namespace {

MouseKeys KeysOf(UINT flags) {
    MouseKeys keys;
    keys.ctrl = (flags & MK_CONTROL) != 0;
    keys.shift = (flags & MK_SHIFT) != 0;
    keys.alt = (GetKeyState(VK_MENU) & 0x8000) != 0;
    keys.left = (flags & MK_LBUTTON) != 0;
    return keys;
}

// The keys and buttons as the message queue has them now (not the physical buttons).
MouseKeys KeysNow() {
    auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
    return {down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU), down(VK_LBUTTON)};
}

CQELPenwrightPainter::CursorKind KindOf(MouseCursor cursor) {
    using Kind = CQELPenwrightPainter::CursorKind;
    switch (cursor) {
        case MouseCursor::kArrow:
            return Kind::kArrow;
        case MouseCursor::kIBeam:
            return Kind::kIBeam;
        case MouseCursor::kRowSelect:
            return Kind::kRowSelect;
        case MouseCursor::kDragMove:
            return Kind::kDragMove;
        case MouseCursor::kDragCopy:
            return Kind::kDragCopy;
        case MouseCursor::kNo:
            return Kind::kNo;
    }
    return Kind::kArrow;
}

}  // namespace

pw::win32::Timer* CQELPenwrightCtrl::MouseTimer(UINT_PTR id) {
    return id == MouseInput::kTrackTimer    ? &trackTimer_
           : id == MouseInput::kScrollTimer ? &scrollTimer_
                                            : nullptr;
}

void CQELPenwrightCtrl::SetTimer(uint32_t id, uint32_t periodMs) {
    if (pw::win32::Timer* timer = MouseTimer(id))
        timer->Start(Handle(), periodMs);
}

void CQELPenwrightCtrl::KillTimer(uint32_t id) {
    if (pw::win32::Timer* timer = MouseTimer(id))
        timer->Stop();
}

void CQELPenwrightCtrl::CaptureMouse(bool on) {
    if (on) {
        SetCapture(Handle());
    } else if (GetCapture() == Handle()) {
        releasingCapture_ = true;
        ReleaseCapture();
        releasingCapture_ = false;
    }
}

void CQELPenwrightCtrl::TakeFocus() {
    if (GetFocus() != Handle())
        SetFocus(Handle());
}

void CQELPenwrightCtrl::ShowTooltip(std::wstring_view text, int x, int y) {
    if (!tooltip_) {
        auto tooltip = std::make_unique<pw::win32::TooltipWindow>();
        if (!tooltip->Create(GetAncestor(Handle(), GA_ROOT)))
            return;
        tooltip_ = std::move(tooltip);
    }
    tooltip_->SetFont(painter_->GetTextFont());
    POINT at{x, y};
    ClientToScreen(Handle(), &at);
    tooltip_->Show(text, at);
}

void CQELPenwrightCtrl::HideTooltip() {
    if (tooltip_)
        tooltip_->Hide();
}

void CQELPenwrightCtrl::OnMouse(UINT message, UINT flags, POINT client) {
    if (!core_)
        return;
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_LBUTTONDBLCLK)
        CloseCompletion();  // a press outside the list
    MouseInput& mouse = core_->GetMouse();
    const MouseKeys keys = KeysOf(flags);
    const int x = client.x, y = client.y;
    switch (message) {
        case WM_LBUTTONDOWN:
            mouse.LeftDown(x, y, keys);
            break;
        case WM_LBUTTONUP:
            mouse.LeftUp(x, y, keys);
            break;
        case WM_LBUTTONDBLCLK:
            mouse.DoubleClick(x, y, keys);
            break;
        case WM_RBUTTONDOWN:
            mouse.RightDown(x, y, keys);
            break;
        case WM_RBUTTONUP:
            mouse.RightUp(x, y, keys);
            Default();  // which asks for the context menu
            break;
        case WM_MOUSEMOVE: {
            RECT area{};
            ::GetClientRect(Handle(), &area);
            const bool inside = PtInRect(&area, client) != FALSE;
            mouse.Move(x, y, keys, inside);
            if (!inside && dropRegistered_ && mouse.IsDraggingSelection())
                DragOut();
            else if (mouse.IsBusy())
                ShowMouseCursor();
            break;
        }
        default:
            Default();
    }
}

void CQELPenwrightCtrl::OnMouseTimer(UINT_PTR id) {
    const pw::win32::Timer* timer = MouseTimer(id);
    if (!timer || !timer->Running())
        return;
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(Handle(), &at);
    MouseInput& mouse = core_->GetMouse();
    if (id == MouseInput::kTrackTimer)
        mouse.OnTrackTimer(at.x, at.y, KeysNow());
    else
        mouse.OnScrollTimer(at.x, at.y, KeysNow());
}

void CQELPenwrightCtrl::ShowMouseCursor() {
    POINT at{};
    GetCursorPos(&at);
    const bool inside = WindowFromPoint(at) == Handle();
    ScreenToClient(Handle(), &at);
    const MouseCursor cursor = core_->GetMouse().CursorAt(at.x, at.y, KeysNow().ctrl, inside);
    SetCursor(painter_->GetCursor(KindOf(cursor)));
}

bool CQELPenwrightCtrl::OnSetCursor(HWND over, UINT hitTest, UINT mouseMessage) {
    if (!core_ || hitTest != HTCLIENT)
        return pw::win32::Window::OnSetCursor(over, hitTest, mouseMessage);
    ShowMouseCursor();
    return true;
}

void CQELPenwrightCtrl::OnContextMenu(HWND, POINT screen) {
    if (!core_)
        return;
    MouseInput& mouse = core_->GetMouse();
    CaptureMouse(false);
    if (mouse.WantsDropMenu()) {
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, kMoveHere, L"&Move Here");
        AppendMenuW(menu, MF_STRING, kCopyHere, L"&Copy Here");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, IDCANCEL, L"C&ancel");
        const UINT command = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr));
        DestroyMenu(menu);
        if (command == kMoveHere || command == kCopyHere)
            mouse.Drop(command == kCopyHere);
    } else if (const HWND parent = GetParent(Handle())) {
        // From the keyboard (-1, -1) the menu opens at the caret.
        if (screen.x == -1 && screen.y == -1) {
            const EditCaret& caret = core_->GetCaret();
            const std::optional<PixelRect> at =
                core_->CaretRect(caret.GetRow(), caret.GetColumn(), false, true);
            screen = at ? POINT{at->left, at->bottom} : POINT{0, 0};
            ClientToScreen(Handle(), &screen);
        }
        POINT client = screen;
        ScreenToClient(Handle(), &client);
        RECT area{};
        ::GetClientRect(Handle(), &area);
        if (PtInRect(&area, client)) {
            caret_.Show(false);
            SendMessageW(parent, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Handle()),
                         MAKELPARAM(screen.x, screen.y));
            RedrawCaret();
            Invalidate();
        }
    }
    mouse.EndDrag();
}

void CQELPenwrightCtrl::OnCommand(UINT id, UINT code, HWND control) {
    if (core_ && (id == kMoveHere || id == kCopyHere))
        core_->GetMouse().Drop(id == kCopyHere);
    else
        pw::win32::Window::OnCommand(id, code, control);
}

void CQELPenwrightCtrl::OnMouseWheel(int delta, UINT, POINT) {
    if (!core_)
        return;
    HideTooltip();
    // The system's rows per notch; turns short of a notch add up until they make a row.
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int perNotch = lines == WHEEL_PAGESCROLL ? std::max(core_->RowsPerPage(), 1)
                                                   : static_cast<int>(std::min(lines, 100u));
    wheelDelta_ += delta * perNotch;
    const int rows = wheelDelta_ / WHEEL_DELTA;
    wheelDelta_ -= rows * WHEEL_DELTA;
    if (rows != 0)
        core_->ScrollBy(-rows, 0);
}
