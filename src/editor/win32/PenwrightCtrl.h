#pragma once
// Windows only: the edit control, a child window of class "VantrellPenwrightor" showing one
// buffer's text. Its logic is EditorCore's; this class turns window messages into calls on it,
// answers what it asks of the window (EditorWindow) and draws the planned frame with the painter.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editor/EditorCore.h"
#include "editor/EditorWindow.h"
#include "editor/ScreenPlanner.h"
#include "editor/win32/BackBuffer.h"
#include "editor/win32/Caret.h"
#include "editor/win32/ComPtr.h"
#include "editor/win32/CompletionList.h"
#include "editor/win32/DropTarget.h"
#include "editor/win32/Painter.h"
#include "editor/win32/Timer.h"
#include "editor/win32/TooltipWindow.h"
#include "editor/win32/Window.h"

// Notification -948's payload: the parent may draw a row's selection margin itself (answer
// non-zero). The header's id is 0.
struct PenwrightMarginNotify {
    NMHDR header;
    HDC dc;
    RECT margin;
    int32_t row;
};
// Notification -952's payload: files were dropped on the control at `point` (client
// coordinates); the parent reads them with DragQueryFile before the control lets them go.
struct PenwrightDropFilesNotify {
    NMHDR header;
    HDROP drop;
    POINT point;
};
namespace EditNotify {
inline constexpr int kDrawMargin = -948;
inline constexpr int kDropFiles = -952;
}  // namespace EditNotify

class CQELPenwrightCtrl : public pw::win32::Window, public EditorWindow, private pw::win32::DropHandler {
public:
    static constexpr const wchar_t* kClassName = L"VantrellPenwrightor";
    static constexpr UINT kDlgCode = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    static constexpr UINT_PTR kRepaintTimer = 200;

    CQELPenwrightCtrl();
    ~CQELPenwrightCtrl() override;

    // A visible child of `parent` at (0, 0, 100, 100), showing `buffer` (a new one when null).
    bool Create(HWND parent, bool hScroll, bool vScroll, pw::RefPtr<CQELPenwrightBufferManager> buffer,
                UINT id);
    // Takes over an existing window: the scroll-bar options come from its style.
    bool Attach(HWND hwnd);
    // After the window exists: buffer, configuration, layout, caret, event subscriptions.
    virtual bool Initialize();

    // Null before Initialize.
    EditorCore* Core() const { return core_.get(); }
    CQELPenwrightBufferManager* GetBuffer() const { return core_ ? &core_->GetBuffer() : nullptr; }

    CQELPenwrightPainter* GetPainter() const { return painter_.get(); }
    void SetPainter(pw::RefPtr<CQELPenwrightPainter> painter);

    bool GetOption(EditorOptions::Option option) const;
    // See EditorCore::SetOption; the scroll-bar options rewrite the window style too.
    bool SetOption(EditorOptions::Option option, bool value, bool persist);

    // Stores the path; false unless there is a buffer and the path names an existing file.
    bool SetConfigFile(const std::wstring& path);
    const std::wstring& GetConfigFile() const { return configFile_; }
    bool SetTabSize(int size);
    // The painter's fonts from `font` (its default when null), then layout and repaint. False
    // only when persisting was asked and failed.
    bool SetFont(const LOGFONTW* font, bool persist);

    int GetTopRow() const { return core_ ? core_->GetTopRow() : 1; }
    void SetTopRow(int row);
    int RowsPerPage() const { return core_ ? core_->RowsPerPage() : 0; }

    std::wstring GetWholeText() const;
    // Replaces the text, then colours, scroll bars and the window follow.
    void SetWholeText(std::wstring_view text);
    // The buffer's whole text was replaced (a file read into it): caret, view and colours start
    // over.
    void TextReplaced();
    // Parses the text again (see EditorCore::Refresh) and repaints.
    void Refresh();

    bool IsActive() const { return active_; }
    void SetActive(bool active);
    bool GetWhiteSpace() const { return whiteSpace_; }
    void SetWhiteSpace(bool show);
    // True when the parent does not answer the read-only query with non-zero.
    bool CanEdit();
    // The thread's find dialog over this control, in replace mode or not, searching for the
    // selection's first row or the word at the caret. F3 and Shift+F3 search again.
    bool ShowFindDialog(bool replace);

    // Draws the visible rows into `dc` over `area` (the client rectangle when painting).
    virtual void DrawRows(const pw::win32::DCHandle& dc, const RECT& area);
    // The same with what each row has selected; with `dirty` only the rows that cross it.
    void DrawRows(const pw::win32::DCHandle& dc, const RECT& area,
                  const std::function<RowSelection(int row)>& selection, const RECT* dirty = nullptr);
    // Prints rows from `firstRow` into `area` of any device context, in fonts made for it from
    // the text font (PrintFlag: wrapping, cutting off, measuring only); the number of rows
    // consumed, hidden ones included, so that the next page starts that many rows on; none after
    // `lastRow`. With a `greyContrast` of 0..255 colours print as greys, that the darkest.
    virtual int PrintRows(const pw::win32::DCHandle& dc, const RECT& area, int firstRow, int flags,
                          int greyContrast = -1, int lastRow = INT_MAX);
    // While a print job runs the text is read only, whatever the parent says.
    bool IsPrinting() const { return printing_; }
    void SetPrinting(bool printing) { printing_ = printing; }

    // EditorWindow
    PixelRect GetClientRect() const override;
    const TextMeasurer* GetTextMeasurer() const override;
    void Invalidate() override;
    void InvalidateArea(const PixelRect& area) override;
    void UpdateNow() override;
    void SetRepaintTimer(uint32_t periodMs) override;
    void KillRepaintTimer() override;
    void SetScrollBar(bool vertical, const ScrollBar& bar) override;
    void ShowScrollBars(bool horizontal, bool vertical) override;
    void RedrawCaret() override;
    intptr_t NotifyParent(int code, std::span<const int32_t> values) override;
    uint32_t TickCount() override;
    bool PutClipboard(std::wstring_view text, bool block) override;
    std::optional<ClipboardText> GetClipboard() override;

    // The host sees every key going down and up first (WM_KEYDOWN or WM_KEYUP, the system keys
    // included); setting the code of a key going down to 0 keeps that key, and its character,
    // from the control.
    using KeyHandler = std::function<void(UINT message, int& keyCode, const KeyModifiers& modifiers)>;
    void SetKeyHandler(KeyHandler handler) { keyHandler_ = std::move(handler); }
    // The host hears the control take and lose the focus (with the window on the other side).
    using FocusHandler = std::function<void(bool gained, HWND other)>;
    void SetFocusHandler(FocusHandler handler) { focusHandler_ = std::move(handler); }

    // The drop menu's commands, also taken as WM_COMMAND.
    static constexpr UINT kMoveHere = 57645;
    static constexpr UINT kCopyHere = 57646;

    // The window's drop target, while it exists (text and files dragged from other programs); the
    // system knows of it when OLE was initialised on the thread before the window was made, else
    // files still come as WM_DROPFILES.
    IDropTarget* GetDropTarget() const { return dropTarget_.Get(); }

    // EditorWindow: the mouse's timers, capture, focus and fold tooltip (PenwrightCtrlMouse.cpp).
    void SetTimer(uint32_t id, uint32_t periodMs) override;
    void KillTimer(uint32_t id) override;
    void CaptureMouse(bool on) override;
    void TakeFocus() override;
    void ShowTooltip(std::wstring_view text, int x, int y) override;
    void HideTooltip() override;

    // The completion list (Ctrl+Space); its window exists once it was first opened.
    const pw::win32::CompletionList& GetCompletionList() const { return completion_; }

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    void OnPrintClient(HDC dc, UINT flags) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }  // the paint covers everything
    void OnSetFocus(HWND previous) override;
    void OnKillFocus(HWND next) override;
    void OnActivate(UINT state, HWND other) override;
    void OnScroll(int bar, UINT code, int thumb) override;
    void OnMouseWheel(int delta, UINT keys, POINT screen) override;
    UINT OnGetDlgCode(const MSG*) override { return kDlgCode; }
    void OnKey(UINT message, UINT key, LPARAM flags) override;
    void OnChar(wchar_t c, LPARAM flags) override;
    void OnTimer(UINT_PTR id) override;
    void OnMouse(UINT message, UINT keys, POINT client) override;
    bool OnSetCursor(HWND over, UINT hitTest, UINT mouseMessage) override;
    void OnContextMenu(HWND over, POINT screen) override;
    void OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The input method composes in the text font, at the caret.
    void TellInputMethodTheFont();
    void PlaceComposition();
    void OnMouseTimer(UINT_PTR id);
    // The timer the mouse logic calls `id`; null for any other.
    pw::win32::Timer* MouseTimer(UINT_PTR id);
    // Where the frame's parts lie when the rows are drawn over `area` from screen row `firstRow`.
    FrameGeometry FrameOver(const RECT& area, int firstRow) const;
    // The cursor for where the mouse is now, with the keys now down.
    void ShowMouseCursor();
    // The completion list (PenwrightCtrlCompletion.cpp). A key-down it takes (true) reaches the
    // control no further, nor does the character that key brings; a character it takes likewise.
    bool CompletionKey(UINT message, UINT vk, LPARAM flags, const KeyModifiers& modifiers);
    bool CompletionChar(wchar_t c);
    void OpenCompletion();
    void InsertCompletion();
    // Hides the list, ending any mouse gesture under way.
    void CloseCompletion();
    void DestroyCompletion();

    // Tells the parent of dropped files (-952) at a client point.
    void NotifyDropFiles(HDROP drop, POINT point);

    // Drag and drop with other programs (PenwrightCtrlDrop.cpp).
    void RegisterDropTarget();
    void RevokeDropTarget();
    // A left drag of the selection that left the window goes on as the system's drag.
    void DragOut();
    DWORD OnDragEnter(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) override;
    DWORD OnDragOver(DWORD keys, POINT screen, DWORD allowed) override;
    void OnDragLeave() override;
    DWORD OnDrop(IDataObject& data, DWORD keys, POINT screen, DWORD allowed) override;
    // The caret after a drag passed: gone again unless the control has the focus.
    void EndDragCaret();

    pw::RefPtr<CQELPenwrightBufferManager> given_;  // the buffer given at creation, until Initialize
    std::unique_ptr<EditorCore> core_;
    pw::RefPtr<CQELPenwrightPainter> painter_;
    std::wstring configFile_;
    pw::win32::BackBuffer backBuffer_;
    pw::win32::Caret caret_;
    SIZE caretSize_{};
    pw::win32::Timer repaintTimer_{kRepaintTimer};
    bool active_ = false;
    bool focus_ = false;
    bool whiteSpace_ = false;
    bool printing_ = false;
    pw::win32::Timer trackTimer_{MouseInput::kTrackTimer};
    pw::win32::Timer scrollTimer_{MouseInput::kScrollTimer};
    // Made when first shown, gone with the window.
    std::unique_ptr<pw::win32::TooltipWindow> tooltip_;
    bool releasingCapture_ = false;          // our own release is no lost capture
    bool composing_ = false;                 // the input method's composition window shows
    std::optional<ScrollBar> shownBars_[2];  // what the horizontal and vertical bars were last given
    int wheelDelta_ = 0;                     // turns short of a row, in rows x WHEEL_DELTA
    KeyHandler keyHandler_;
    FocusHandler focusHandler_;
    pw::win32::ComPtr<pw::win32::DropTarget> dropTarget_;
    bool dropRegistered_ = false;
    // What the drag over the window brings: nothing for us, text, or files for the parent.
    enum class Dragged { kNothing, kText, kFiles } dragged_ = Dragged::kNothing;
    bool draggingOut_ = false;    // the selection is dragged by the system, from here
    bool droppedOnSelf_ = false;  // and came back to be dropped here
    pw::win32::CompletionList completion_{[this] { InsertCompletion(); }};
    wchar_t completionEats_ = 0;  // the character of the key the list just took
};
