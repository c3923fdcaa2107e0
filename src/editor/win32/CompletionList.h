#pragma once
// Windows only: the completion list, a window of class "VantrellPWAutoCompleteWnd" on the desktop
// that shows a CompletionModel's rows. It never takes the focus (a pop-up of the desktop may not
// get it, and losing it would close the list): the control keeps the focus and hands the list its
// keys. Clicks, the wheel and the scroll bar work on the list itself.
#include <windows.h>

#include <functional>

#include "editor/Completion.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/ModuleResources.h"
#include "editor/win32/Window.h"

namespace pw::win32 {

class CompletionList : public Window {
public:
    static constexpr const wchar_t* kClassName = L"VantrellPWAutoCompleteWnd";

    // `insert` puts the chosen item into the text (a double click asks for it).
    explicit CompletionList(std::function<void()> insert) : insert_(std::move(insert)) {}

    // The hidden, disabled window; false when it cannot be made.
    bool Make();
    CompletionModel& Model() { return model_; }
    const CompletionModel& Model() const { return model_; }
    bool IsShown() const { return shown_; }

    // Shows the open model below a caret row `rowHeight` high whose bottom is at screen (x, y),
    // kept on the screen of that point.
    void Show(int x, int y, int rowHeight);
    // After the model changed: rows, size and scroll bar follow, or the window hides when the
    // model is closed.
    void Update();
    // Closes the model and hides the window.
    void Close();

    // The rows into any device context over the client area `area`, as the window paints them.
    void Draw(const DCHandle& dc, const RECT& area) const;

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnPaint() override;
    void OnPrintClient(HDC dc, UINT flags) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }  // the paint covers everything
    void OnMouse(UINT message, UINT keys, POINT client) override;
    void OnMouseWheel(int delta, UINT keys, POINT screen) override;
    void OnScroll(int bar, UINT code, int thumb) override;
    bool OnSetCursor(HWND over, UINT hitTest, UINT mouseMessage) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Size, scroll bar and repaint after the rows changed; the window keeps its top left.
    void Layout();
    void ShowScroll();

    std::function<void()> insert_;
    CompletionModel model_;
    ImageList icons_;
    int frameHeight_ = 0;
    bool shown_ = false;
    RECT screen_{};   // the work area the list is kept in
    POINT anchor_{};  // the caret row's bottom left, on the screen
    int rowHeight_ = 0;
    int wheelDelta_ = 0;
};

}  // namespace pw::win32
