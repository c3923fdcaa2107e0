#pragma once
// What the edit control's logic asks of its window. The Win32 control implements it over its
// HWND, GDI font and timer; native tests use a recording fake.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "editor/PixelRect.h"
#include "editor/TextLayout.h"

// Notification codes sent to the parent window (WM_NOTIFY), with their values.
namespace EditNotify {
inline constexpr int kMouseMoved = -932;     // key flags, x, y
inline constexpr int kRightButtonUp = -933;  // key flags, x, y
inline constexpr int kRightButtonDown = -934;
inline constexpr int kLeftButtonUp = -935;
inline constexpr int kDoubleClick = -936;
inline constexpr int kLeftButtonDown = -937;
inline constexpr int kParserEvent = -938;  // event code, first row, last row
inline constexpr int kScrolled = -939;     // 1 rows, 2 columns, 3 both, 7 everything
inline constexpr int kMarginClick = -940;  // row, screen row; 0 from the parent: toggle the breakpoint
inline constexpr int kDragBegins = -941;   // none; the host drags the selection itself
inline constexpr int kBeforeInput = -942;  // none; before a typed character or a button press
inline constexpr int kOverwrite = -943;    // none; sent before overwrite mode toggles
inline constexpr int kCaretMoved = -947;   // row, display column
inline constexpr int kModified = -949;     // the buffer's modified flag
inline constexpr int kRowsChanged = -950;  // first row, last row, action flags
inline constexpr int kReadOnly = -951;     // none; a non-zero answer means read only
}  // namespace EditNotify

class EditorWindow {
public:
    struct ScrollBar {
        int64_t max = 0;  // the range starts at 0 (horizontal) or 1 (vertical)
        int64_t page = 0;
        int64_t pos = 0;
        bool enabled = true;
        friend bool operator==(const ScrollBar&, const ScrollBar&) = default;
    };

    virtual PixelRect GetClientRect() const = 0;
    // The text font's measurer; null while the painter has no font.
    virtual const TextMeasurer* GetTextMeasurer() const = 0;
    virtual void Invalidate() = 0;                           // repaint everything at the next paint
    virtual void InvalidateArea(const PixelRect& area) = 0;  // repaint that much of the client area
    virtual void UpdateNow() = 0;                            // paint what is invalid at once
    virtual void SetRepaintTimer(uint32_t periodMs) = 0;
    virtual void KillRepaintTimer() = 0;
    virtual void SetScrollBar(bool vertical, const ScrollBar& bar) = 0;
    // Shows or hides both scroll bars (the window style's scroll-bar bits).
    virtual void ShowScrollBars(bool horizontal, bool vertical) = 0;
    // Puts the caret again at its row and column: its x, shape or visibility changed.
    virtual void RedrawCaret() = 0;
    // WM_NOTIFY to the parent with the values after the header; the parent's answer.
    virtual intptr_t NotifyParent(int code, std::span<const int32_t> values) = 0;
    virtual uint32_t TickCount() = 0;

    // The clipboard's text; `block` marks a column block. Put answers false when the clipboard
    // cannot be taken, leaving what was there; Get answers nothing without text.
    struct ClipboardText {
        std::wstring text;
        bool block = false;
    };
    virtual bool PutClipboard(std::wstring_view text, bool block) = 0;
    virtual std::optional<ClipboardText> GetClipboard() = 0;

    // What the mouse needs: its timers (selection tracking, auto-scroll), the capture, the
    // focus, and the tooltip over a fold's marker at a client point.
    virtual void SetTimer(uint32_t id, uint32_t periodMs) = 0;
    virtual void KillTimer(uint32_t id) = 0;
    virtual void CaptureMouse(bool on) = 0;
    virtual void TakeFocus() = 0;
    virtual void ShowTooltip(std::wstring_view text, int x, int y) = 0;
    virtual void HideTooltip() = 0;

protected:
    ~EditorWindow() = default;
};
