#pragma once
// Windows only: the base of our windows. A window class of this module, and a C++ object bound
// to a window it created or took over by subclassing, whose messages arrive unpacked in member
// functions. Nothing thrown in a handler leaves the window procedure.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <span>

namespace pw::win32 {

// A window class registered from this module (the control's DLL, not the host) for the life of
// the object; a static one is registered once and unregistered when the module unloads.
class WindowClass {
public:
    WindowClass(const wchar_t* name, UINT style, HCURSOR cursor);
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass();

    bool Registered() const { return registered_; }
    const wchar_t* Name() const { return name_; }

private:
    const wchar_t* name_;
    bool registered_ = false;
    bool owned_ = false;  // we registered it, so we unregister it
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window it created; a window taken over with Attach is given back instead.
    virtual ~Window();

    // Creates a window of the class bound to this object; `id` is the child id of a child window.
    bool Create(const WindowClass& windowClass, HWND parent, DWORD style, DWORD exStyle, const RECT& rect,
                UINT id = 0, const wchar_t* title = L"");
    // Takes over an existing window by subclassing it: its messages come here first, and Default
    // hands them to its own procedure (a window of one of our classes, made by the class name, is
    // bound without subclassing). False when this object already has a window, or the window
    // already belongs to one.
    bool Attach(HWND hwnd);
    // Gives an attached window its own procedure back; it goes on living without this object.
    HWND Detach();

    HWND Handle() const { return hwnd_; }
    // The object bound to a window of ours, or null.
    static Window* FromHandle(HWND hwnd);

    // Sends WM_NOTIFY to the parent: a header with this window's child id and `code`, followed by
    // `values` as 32-bit integers (read them with NotifyValues). The parent's answer; 0 when the
    // window has no parent.
    LRESULT NotifyParent(int code, std::span<const int32_t> values) const;
    LRESULT NotifyParent(int code, std::initializer_list<int32_t> values = {}) const {
        return NotifyParent(code, std::span(values.begin(), values.size()));
    }
    // The values that follow the header of such a notification.
    static const int32_t* NotifyValues(const NMHDR& header);

protected:
    // The message being handled, as the window procedure received it.
    LRESULT Default();

    // The handlers. Each one not overridden does what the window would do without this object.
    virtual bool OnCreate(const CREATESTRUCTW& create);  // after default creation; false fails it
    virtual void OnDestroy();
    virtual void OnSize(UINT type, int width, int height);
    virtual void OnPaint();  // the handler makes its PaintDC
    virtual void OnPrintClient(HDC dc, UINT flags);
    virtual LRESULT OnEraseBackground(HDC dc);
    virtual void OnSetFocus(HWND previous);
    virtual void OnKillFocus(HWND next);
    virtual void OnActivate(UINT state, HWND other);
    // bar is SB_HORZ or SB_VERT (SB_CTL for a scroll bar control); for SB_THUMBTRACK and
    // SB_THUMBPOSITION `thumb` is the 32-bit track position, not the message's 16-bit one.
    virtual void OnScroll(int bar, UINT code, int thumb);
    virtual void OnMouseWheel(int delta, UINT keys, POINT screen);
    // WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN and WM_SYSKEYUP; `flags` is the message's lParam.
    virtual void OnKey(UINT message, UINT key, LPARAM flags);
    virtual void OnChar(wchar_t ch, LPARAM flags);
    virtual UINT OnGetDlgCode(const MSG* message);
    // WM_MOUSEMOVE and the left and right buttons' down, up and double click, in client pixels.
    virtual void OnMouse(UINT message, UINT keys, POINT client);
    virtual bool OnSetCursor(HWND over, UINT hitTest, UINT mouseMessage);
    virtual void OnContextMenu(HWND over, POINT screen);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnCommand(UINT id, UINT code, HWND control);
    virtual LRESULT OnNotify(const NMHDR& header);
    // Every other message.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Current {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The one place where messages are unpacked.
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Bind(HWND hwnd);
    void Unbind();

    friend class WindowClass;  // registers Procedure

    HWND hwnd_ = nullptr;
    bool attached_ = false;         // taken over by Attach, not made by Create
    WNDPROC subclassed_ = nullptr;  // the attached window's own procedure, when it is not ours
    const Current* current_ = nullptr;
};

}  // namespace pw::win32
