#pragma once
// Windows only: the control's own window, which the edit control (child id 100) always fills.
// It exists from the control's construction: until a host activates the control in place it is
// parked, hidden, under a window of the thread's own, so that hosts that never show the control
// (a script host) still drive a whole editor.
#include <windows.h>

#include "editor/win32/PenwrightCtrl.h"
#include "editor/win32/Window.h"

// What the window hands on to the control object.
class ControlWindowOwner {
public:
    // A notification of the edit control; its answer.
    virtual LRESULT OnEditorNotify(const NMHDR& header) = 0;
    // A click is about to activate the window.
    virtual void OnMouseActivate() = 0;

protected:
    ~ControlWindowOwner() = default;
};

class ControlWindow : public pw::win32::Window {
public:
    static constexpr UINT kEditorId = 100;

    explicit ControlWindow(ControlWindowOwner& owner);
    ~ControlWindow() override;

    // The window and its edit control, parked; false when either could not be made.
    bool Create();
    CQELPenwrightCtrl& Editor() { return editor_; }
    // Into the host's window at `rect`, shown; back to the parking window, hidden, with null.
    void PlaceIn(HWND parent, const RECT& rect);
    // Whether `hwnd` is the window, the edit control or one of theirs (a child, or owned).
    bool Contains(HWND hwnd) const;

private:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnSize(UINT type, int width, int height) override;
    void OnSetFocus(HWND previous) override;
    UINT OnGetDlgCode(const MSG* message) override;
    LRESULT OnNotify(const NMHDR& header) override;
    LRESULT OnEraseBackground(HDC dc) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    ControlWindowOwner& owner_;
    CQELPenwrightCtrl editor_;
};
