#pragma once
// Windows only: the tooltip that shows a folded block's hidden text while the mouse rests on its
// marker. A pop-up that never takes the focus, the activation or the mouse, sized to its text
// wrapped at the screen's edge, and hidden again after a while.
#include <windows.h>

#include <string>
#include <string_view>

#include "editor/win32/Timer.h"
#include "editor/win32/Window.h"

namespace pw::win32 {

class TooltipWindow : public Window {
public:
    static constexpr const wchar_t* kClassName = L"VantrellPWToolTip";
    static constexpr UINT_PTR kHideTimer = 1001;
    static constexpr UINT kDisplayMs = 5000;

    // `owner` keeps it above the host's windows and takes it along when it goes.
    bool Create(HWND owner);
    // The text's font; the caller keeps it alive.
    void SetFont(HFONT font) { font_ = font; }
    // Shows `text` with its top left corner at a screen point, kept on that point's monitor; the
    // hide timer starts again. Shown with another text, it is hidden and sized anew first.
    void Show(std::wstring_view text, POINT screen);
    void Hide();
    bool IsShown() const { return Handle() && IsWindowVisible(Handle()); }
    const std::wstring& Text() const { return text_; }

protected:
    void OnPaint() override;
    LRESULT OnEraseBackground(HDC dc) override;
    void OnTimer(UINT_PTR id) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT kTextFormat = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    static constexpr int kPadding = 3;  // from the border to the text
    static constexpr int kMinWidth = 200;

    std::wstring text_;
    HFONT font_ = nullptr;
    Timer hideTimer_{kHideTimer};
};

}  // namespace pw::win32
