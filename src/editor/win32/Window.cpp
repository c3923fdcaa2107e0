#include "editor/win32/Window.h"

#include <windowsx.h>

#include <cstring>
#include <utility>
#include <vector>

#include "editor/win32/ScrollBar.h"
#include "platform/win32/Module.h"

namespace pw::win32 {

namespace {

// The object of a window, kept as a window property rather than in GWLP_USERDATA, which a window
// we take over may already use for itself.
constexpr wchar_t kObjectProperty[] = L"PenwrightWindowObject";

// The object whose window CreateWindowEx is making on this thread: its first message binds them,
// and no creation parameter of the caller's is needed for it.
thread_local Window* t_creating = nullptr;

}  // namespace

WindowClass::WindowClass(const wchar_t* name, UINT style, HCURSOR cursor) : name_(name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = ThisModule();
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc)) {
        registered_ = owned_ = true;
        return;
    }
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(wc.hInstance, name, &existing) && existing.lpfnWndProc == wc.lpfnWndProc) {
        registered_ = true;  // another object of this module registered it and will unregister it
        return;
    }
    // Left behind by an earlier load of this DLL, perhaps at another address (Windows does not
    // unregister a DLL's classes when it unloads), or not ours at all: replace it.
    if (UnregisterClassW(name, wc.hInstance) && RegisterClassExW(&wc))
        registered_ = owned_ = true;
}

WindowClass::~WindowClass() {
    if (owned_)
        UnregisterClassW(name_, ThisModule());
}

Window::~Window() {
    if (!hwnd_)
        return;
    const bool created = !attached_;
    HWND hwnd = hwnd_;
    Unbind();  // the messages of the destruction must not reach the half-destroyed object
    if (created)
        DestroyWindow(hwnd);
}

bool Window::Create(const WindowClass& windowClass, HWND parent, DWORD style, DWORD exStyle, const RECT& rect,
                    UINT id, const wchar_t* title) {
    if (hwnd_ || !windowClass.Registered())
        return false;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    t_creating = this;
    HWND hwnd =
        CreateWindowExW(exStyle, windowClass.Name(), title, style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent, menu, ThisModule(), nullptr);
    t_creating = nullptr;
    return hwnd != nullptr;
}

bool Window::Attach(HWND hwnd) {
    if (hwnd_ || !IsWindow(hwnd) || FromHandle(hwnd))
        return false;
    Bind(hwnd);
    attached_ = true;
    // A window of one of our classes that someone made by the class name already calls our
    // procedure: subclassing it would make Default call us again.
    const LONG_PTR ours = reinterpret_cast<LONG_PTR>(&Window::Procedure);
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == ours)
        return true;
    subclassed_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWLP_WNDPROC, ours));
    if (subclassed_)
        return true;
    Unbind();
    return false;
}

HWND Window::Detach() {
    if (!attached_)
        return nullptr;
    HWND hwnd = hwnd_;
    Unbind();
    return hwnd;
}

Window* Window::FromHandle(HWND hwnd) {
    return static_cast<Window*>(GetPropW(hwnd, kObjectProperty));
}

LRESULT Window::NotifyParent(int code, std::span<const int32_t> values) const {
    HWND parent = hwnd_ ? GetParent(hwnd_) : nullptr;
    if (!parent)
        return 0;
    const NMHDR header{hwnd_, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_)), static_cast<UINT>(code)};
    // 64-bit units keep the header as aligned as it is in a struct of its own.
    std::vector<uint64_t> message((sizeof header + values.size() * sizeof(int32_t) + 7) / 8);
    std::memcpy(message.data(), &header, sizeof header);
    if (values.size() > 0)
        std::memcpy(reinterpret_cast<char*>(message.data()) + sizeof header, values.data(),
                    values.size() * sizeof(int32_t));
    return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(message.data()));
}

const int32_t* Window::NotifyValues(const NMHDR& header) {
    return reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(&header) + sizeof header);
}

void Window::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropW(hwnd, kObjectProperty, this);
}

void Window::Unbind() {
    RemovePropW(hwnd_, kObjectProperty);
    // Only when nobody subclassed the window after us: their procedure goes on calling ours,
    // which without an object hands every message to DefWindowProc.
    if (subclassed_ &&
        GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Window::Procedure))
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassed_));
    hwnd_ = nullptr;
    subclassed_ = nullptr;
    attached_ = false;
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = FromHandle(hwnd);
    if (!self && t_creating) {
        self = std::exchange(t_creating, nullptr);
        self->Bind(hwnd);
    }
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const Current current{message, wParam, lParam};
    const Current* outer = std::exchange(self->current_, &current);
    LRESULT result = 0;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's code: the message counts as handled, with 0.
        result = 0;
    }
    self->current_ = outer;
    if (message == WM_NCDESTROY)
        self->Unbind();
    return result;
}

LRESULT Window::Default() {
    if (!current_)
        return 0;
    if (subclassed_)
        return CallWindowProcW(subclassed_, hwnd_, current_->message, current_->wParam, current_->lParam);
    return DefWindowProcW(hwnd_, current_->message, current_->wParam, current_->lParam);
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_CREATE:
            if (Default() == -1)
                return -1;
            return OnCreate(*reinterpret_cast<const CREATESTRUCTW*>(lParam)) ? 0 : -1;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT:
            OnPrintClient(reinterpret_cast<HDC>(wParam), static_cast<UINT>(lParam));
            return 0;
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wParam));
        case WM_SETFOCUS:
            OnSetFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_KILLFOCUS:
            OnKillFocus(reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            HWND control = reinterpret_cast<HWND>(lParam);
            const int bar = control ? SB_CTL : message == WM_HSCROLL ? SB_HORZ : SB_VERT;
            const UINT code = LOWORD(wParam);
            // The message holds only 16 bits of the thumb: a long text passes 65,535 rows.
            const bool thumb = code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
            OnScroll(bar, code, thumb ? ScrollBar(control ? control : hwnd_, bar).TrackPosition() : 0);
            return 0;
        }
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam), point);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            OnKey(message, static_cast<UINT>(wParam), lParam);
            return 0;
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wParam), lParam);
            return 0;
        case WM_GETDLGCODE:
            return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            OnMouse(message, static_cast<UINT>(wParam), point);
            return 0;
        case WM_SETCURSOR:
            return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam)) ? TRUE : FALSE;
        case WM_CONTEXTMENU:
            OnContextMenu(reinterpret_cast<HWND>(wParam), point);
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        default:
            return OnMessage(message, wParam, lParam);
    }
}

bool Window::OnCreate(const CREATESTRUCTW&) {
    return true;
}
void Window::OnDestroy() {
    Default();
}
void Window::OnSize(UINT, int, int) {
    Default();
}
void Window::OnPaint() {
    Default();
}
void Window::OnPrintClient(HDC, UINT) {
    Default();
}
LRESULT Window::OnEraseBackground(HDC) {
    return Default();
}
void Window::OnSetFocus(HWND) {
    Default();
}
void Window::OnKillFocus(HWND) {
    Default();
}
void Window::OnActivate(UINT, HWND) {
    Default();
}
void Window::OnScroll(int, UINT, int) {
    Default();
}
void Window::OnMouseWheel(int, UINT, POINT) {
    Default();
}
void Window::OnKey(UINT, UINT, LPARAM) {
    Default();
}
void Window::OnChar(wchar_t, LPARAM) {
    Default();
}
UINT Window::OnGetDlgCode(const MSG*) {
    return static_cast<UINT>(Default());
}
void Window::OnMouse(UINT, UINT, POINT) {
    Default();
}
bool Window::OnSetCursor(HWND, UINT, UINT) {
    return Default() != 0;
}
void Window::OnContextMenu(HWND, POINT) {
    Default();
}
void Window::OnTimer(UINT_PTR) {
    Default();
}
void Window::OnCommand(UINT, UINT, HWND) {
    Default();
}
LRESULT Window::OnNotify(const NMHDR&) {
    return Default();
}
LRESULT Window::OnMessage(UINT, WPARAM, LPARAM) {
    return Default();
}

}  // namespace pw::win32
