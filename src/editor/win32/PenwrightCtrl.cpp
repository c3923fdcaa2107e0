#include "editor/win32/PenwrightCtrl.h"

#include <imm.h>

#include <algorithm>
#include <climits>

#include "config/ConfigManager.h"
#include "editor/CaretKeys.h"
#include "editor/FindDialogModel.h"
#include "editor/RowPrinter.h"
#include "editor/ScreenPlanner.h"
#include "editor/win32/Clipboard.h"
#include "editor/win32/FindReplaceDlg.h"
#include "editor/win32/GdiPrintSurface.h"
#include "editor/win32/ScrollBar.h"
#include "platform/FileSystem.h"
#include "platform/ModulePath.h"
#include "platform/Profile.h"
#include "platform/Time.h"

namespace {

using pw::win32::DCHandle;

constexpr COLORREF kDisabledLight = RGB(250, 250, 250);

const pw::win32::WindowClass& ControlClass() {
    static const pw::win32::WindowClass windowClass(
        CQELPenwrightCtrl::kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// Scroll-bar ranges are ints; a range past them is pinned to the largest.
int ToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

CQELPenwrightCtrl::CQELPenwrightCtrl()
    : painter_(pw::MakeRef<CQELPenwrightPainter>()),
      configFile_(pw::FolderOf(pw::ModulePath()) + L"Penwright.ini") {
    // Buffers made from now on share one configuration manager.
    ConfigManager::RegisterShared();
}

CQELPenwrightCtrl::~CQELPenwrightCtrl() {
    // The window outlives this object's handlers: the system must stop calling them now.
    RevokeDropTarget();
    // The core leaves the buffer's events before the window goes.
    core_.reset();
}

bool CQELPenwrightCtrl::Create(HWND parent, bool hScroll, bool vScroll,
                               pw::RefPtr<CQELPenwrightBufferManager> buffer, UINT id) {
    given_ = std::move(buffer);
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (vScroll)
        style |= WS_VSCROLL;
    if (hScroll)
        style |= WS_HSCROLL;
    return Window::Create(ControlClass(), parent, style, WS_EX_ACCEPTFILES, RECT{0, 0, 100, 100}, id);
}

bool CQELPenwrightCtrl::Attach(HWND hwnd) {
    return Window::Attach(hwnd) && Initialize();
}

bool CQELPenwrightCtrl::OnCreate(const CREATESTRUCTW&) {
    return Initialize();
}

bool CQELPenwrightCtrl::Initialize() {
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    core_ = std::make_unique<EditorCore>(*this, std::move(given_), pw::AppProfile());
    // The scroll bars are the window's: what it was made or found with.
    core_->SetOption(EditorOptions::kHScrollBar, (style & WS_HSCROLL) != 0, false);
    core_->SetOption(EditorOptions::kVScrollBar, (style & WS_VSCROLL) != 0, false);
    CQELPenwrightBufferManager& buffer = core_->GetBuffer();
    if (buffer.GetConfigFile().empty() && pw::FileExists(configFile_) && !pw::IsFolder(configFile_))
        buffer.SetConfigFile(configFile_);
    core_->RecalcLayout();
    core_->GetCaret().MoveTo(1, 1);
    core_->UpdateScrollBars();
    core_->GetMouse().SetDragDistance(std::max(GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG)) / 2);
    core_->GetMouse().SetDoubleClickTime(GetDoubleClickTime());
    RegisterDropTarget();
    return true;
}

void CQELPenwrightCtrl::OnDestroy() {
    CQELPenwrightFindReplaceDlg::ControlGone(this);
    RevokeDropTarget();
    tooltip_.reset();
    repaintTimer_.Stop();
    trackTimer_.Stop();
    scrollTimer_.Stop();
    caret_.Destroy();
    DestroyCompletion();
}

bool CQELPenwrightCtrl::ShowFindDialog(bool replace) {
    return core_ &&
           CQELPenwrightFindReplaceDlg::ForThread().Show(this, replace, FindDialogModel::InitialText(*core_));
}

void CQELPenwrightCtrl::SetPainter(pw::RefPtr<CQELPenwrightPainter> painter) {
    if (!painter)
        return;
    painter_ = std::move(painter);
    if (core_) {
        core_->OnSize();
        core_->RecalcLayout();
    }
    Invalidate();
}

bool CQELPenwrightCtrl::GetOption(EditorOptions::Option option) const {
    return core_ ? core_->GetOption(option) : EditorOptions::Default(option);
}

bool CQELPenwrightCtrl::SetOption(EditorOptions::Option option, bool value, bool persist) {
    return core_ && core_->SetOption(option, value, persist);
}

bool CQELPenwrightCtrl::SetConfigFile(const std::wstring& path) {
    configFile_ = path;
    if (!core_ || !pw::FileExists(path) || pw::IsFolder(path))
        return false;
    return core_->GetBuffer().SetConfigFile(path);
}

bool CQELPenwrightCtrl::SetTabSize(int size) {
    if (!core_ || !core_->GetBuffer().SetTabSize(size, false))
        return false;
    core_->GetTextLayout().SetTabSize(core_->GetBuffer().GetTabSize());
    core_->GetCaret().Refit();
    Invalidate();
    RedrawCaret();
    return true;
}

bool CQELPenwrightCtrl::SetFont(const LOGFONTW* font, bool persist) {
    const bool saved = painter_->SetFont(font, persist);
    if (core_ && Handle()) {
        core_->OnSize();
        core_->RecalcLayout();
        RedrawCaret();
        Invalidate();
        TellInputMethodTheFont();
    }
    return saved;
}

void CQELPenwrightCtrl::TellInputMethodTheFont() {
    if (HIMC context = ImmGetContext(Handle())) {
        LOGFONTW font = painter_->GetLogFont();
        ImmSetCompositionFontW(context, &font);
        ImmReleaseContext(Handle(), context);
    }
}

void CQELPenwrightCtrl::PlaceComposition() {
    const EditCaret& caret = core_->GetCaret();
    const std::optional<PixelRect> at = core_->CaretRect(caret.GetRow(), caret.GetColumn(), false, true);
    HIMC context = ImmGetContext(Handle());
    if (!context)
        return;
    if (at) {
        COMPOSITIONFORM form{};
        form.dwStyle = CFS_POINT;
        form.ptCurrentPos = {at->left, at->top};
        ImmSetCompositionWindow(context, &form);
    }
    ImmReleaseContext(Handle(), context);
}

void CQELPenwrightCtrl::SetTopRow(int row) {
    if (!core_)
        return;
    core_->SetTopRow(row);
    core_->UpdateScrollBars();
    RedrawCaret();
    Invalidate();
}

std::wstring CQELPenwrightCtrl::GetWholeText() const {
    return core_ ? core_->GetBuffer().GetWholeText() : std::wstring();
}

void CQELPenwrightCtrl::SetWholeText(std::wstring_view text) {
    if (!core_)
        return;
    core_->GetBuffer().SetWholeText(text);
    TextReplaced();
}

void CQELPenwrightCtrl::TextReplaced() {
    if (!core_)
        return;
    core_->GetCaret().MoveTo(1, 1);
    core_->GetCaret().GetSelection().Clear(core_->GetCaret().Here());
    core_->SetTopRow(1);
    Refresh();
    core_->RecalcLayout();
    core_->UpdateScrollBars();
    RedrawCaret();
}

void CQELPenwrightCtrl::Refresh() {
    if (core_)
        core_->Refresh();
}

void CQELPenwrightCtrl::SetActive(bool active) {
    active_ = active;
    Invalidate();
    UpdateNow();
}

void CQELPenwrightCtrl::SetWhiteSpace(bool show) {
    whiteSpace_ = show;
    Invalidate();
}

bool CQELPenwrightCtrl::CanEdit() {
    return NotifyParent(EditNotify::kReadOnly, {}) == 0;
}

void CQELPenwrightCtrl::DrawRows(const DCHandle& dc, const RECT& area) {
    if (core_)
        DrawRows(dc, area, [this](int row) { return core_->GetCaret().SelectionOfRow(row); });
}

FrameGeometry CQELPenwrightCtrl::FrameOver(const RECT& area, int firstRow) const {
    FrameGeometry frame;
    const EditRects& client = core_->GetRects();
    frame.rects =
        EditRects::Compute({area.left, area.top, area.right, area.bottom},
                           {client.selMargin.Width(), client.lineNumbers.Width(), client.nodeColumn.Width()});
    frame.rowHeight = core_->GetTextLayout().GetRowHeight();
    frame.horzOffset = core_->GetTextLayout().GetHorzOffset();
    frame.selMargin = GetOption(EditorOptions::kSelMargin);
    frame.lineNumbers = GetOption(EditorOptions::kLineNumbers);
    frame.nodeColumn = core_->IsNodeColumnShown();
    frame.whiteSpace = whiteSpace_;
    frame.active = active_;
    frame.caretRow = core_->GetCaret().GetRow();
    frame.firstScreenRow = firstRow;
    return frame;
}

void CQELPenwrightCtrl::DrawRows(const DCHandle& dc, const RECT& area,
                                 const std::function<RowSelection(int row)>& selection, const RECT* dirty) {
    if (!core_ || !dc)
        return;
    // The rows that cross the dirty part; the rest of `area` is left as it is.
    const int rowHeight = core_->GetTextLayout().GetRowHeight();
    const RECT part = dirty ? *dirty : area;
    const int firstRow = std::max(static_cast<int>(part.top - area.top) / rowHeight + 1, 1);
    const int lastRow =
        std::max(static_cast<int>(part.bottom - area.top + rowHeight - 1) / rowHeight, firstRow);
    FrameGeometry frame = FrameOver(area, firstRow);
    PaintRequest request;
    request.colors = painter_->Colors();
    request.active = active_;
    request.firstScreenRow = firstRow;
    request.screenRows = lastRow - firstRow + 1;
    request.selection = selection;
    ScreenPlanner planner(*core_);
    const std::vector<PlannedRow> rows = planner.Plan(request);
    // A fold renewed on the way moves the rows below it, which this paint may not draw.
    if (dirty && planner.FoldsChanged())
        Invalidate();
    frame.colors = planner.FrameColors();
    painter_->DrawFrame(dc, rows, frame, [&](const RECT& margin, int row) {
        HWND parent = GetParent(Handle());
        if (!parent)
            return false;
        PenwrightMarginNotify notify{
            {Handle(), 0, static_cast<UINT>(EditNotify::kDrawMargin)}, dc, margin, row};
        return SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify)) != 0;
    });
    if (!IsWindowEnabled(Handle())) {
        // The disabled look: every other pixel washed out towards the light colour.
        pw::win32::Brush halftone = pw::win32::MakeHalftoneBrush();
        SetTextColor(dc, kDisabledLight);
        SetBkColor(dc, RGB(0, 0, 0));
        pw::win32::SelectScope brush(dc, halftone.Get());
        PatBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top,
               0x00FA0089);  // dest OR pattern
    }
}

int CQELPenwrightCtrl::PrintRows(const DCHandle& dc, const RECT& area, int firstRow, int flags,
                                 int greyContrast, int lastRow) {
    if (!core_ || !dc)
        return 0;
    pw::win32::GdiPrintSurface surface(dc, pw::win32::FontForDevice(painter_->GetLogFont(), dc));
    const PrintRowsRequest request{painter_->Colors(),
                                   firstRow,
                                   {area.left, area.top, area.right, area.bottom},
                                   flags,
                                   whiteSpace_,
                                   GetOption(EditorOptions::kLineNumbers),
                                   greyContrast,
                                   lastRow};
    return ::PrintRows(*core_, surface, request);
}

void CQELPenwrightCtrl::OnPaint() {
    const uint32_t start = TickCount();
    // Rows below an edit that changed how they parse (a comment opened) are painted with it.
    if (core_) {
        const EditorCore::EditedRows edited = core_->TakeEdited();
        if (edited.row > 0 && ScreenPlanner(*core_).StateChangedAfter(edited))
            core_->InvalidateRows(edited.row + 1, INT_MAX);
    }
    pw::win32::PaintDC dc(Handle());
    RECT client;
    ::GetClientRect(Handle(), &client);
    backBuffer_.Paint(dc, client, dc.Dirty(), [&](const DCHandle& memory, const RECT& dirty) {
        if (core_)
            DrawRows(
                memory, client, [this](int row) { return core_->GetCaret().SelectionOfRow(row); }, &dirty);
    });
    if (core_)
        core_->PaintTook(TickCount() - start);
}

void CQELPenwrightCtrl::OnPrintClient(HDC dc, UINT) {
    RECT client;
    ::GetClientRect(Handle(), &client);
    DrawRows(DCHandle(dc), client);
}

void CQELPenwrightCtrl::OnSize(UINT, int, int) {
    backBuffer_.Reset();
    if (core_ && painter_->GetMeasurer()) {
        core_->OnSize();
        RedrawCaret();
    }
}

void CQELPenwrightCtrl::OnSetFocus(HWND previous) {
    caret_.Destroy();
    caretSize_ = {};
    focus_ = true;
    Invalidate();
    RedrawCaret();
    const int32_t values[] = {core_ ? core_->GetCaret().GetRow() : 1,
                              core_ ? core_->GetCaret().GetColumn() : 1};
    NotifyParent(EditNotify::kCaretMoved, values);
    UpdateWindow(Handle());
    if (focusHandler_)
        focusHandler_(true, previous);
}

void CQELPenwrightCtrl::OnKillFocus(HWND next) {
    CloseCompletion();
    caret_.Destroy();
    caretSize_ = {};
    focus_ = false;
    if (focusHandler_)
        focusHandler_(false, next);
}

void CQELPenwrightCtrl::OnActivate(UINT state, HWND) {
    Default();
    active_ = state != WA_INACTIVE;
}

void CQELPenwrightCtrl::OnScroll(int bar, UINT code, int thumb) {
    if (!core_)
        return;
    Scrolling::Action action;
    switch (code) {
        case SB_LINEUP:
            action = Scrolling::Action::kLineUp;
            break;
        case SB_LINEDOWN:
            action = Scrolling::Action::kLineDown;
            break;
        case SB_PAGEUP:
            action = Scrolling::Action::kPageUp;
            break;
        case SB_PAGEDOWN:
            action = Scrolling::Action::kPageDown;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            action = Scrolling::Action::kThumb;
            break;
        case SB_TOP:
        case SB_BOTTOM:
            if (bar == SB_VERT) {
                // The caret goes to the first or last row; the view stays until it follows.
                core_->GetCaret().MoveTo(code == SB_TOP ? 1 : std::max(core_->GetBuffer().GetRowCount(), 1),
                                         1);
                pw::win32::ScrollBar(Handle(), SB_VERT).SetPosition(code == SB_TOP ? 1 : INT_MAX);
                RedrawCaret();
            }
            return;
        default:
            return;
    }
    if (bar == SB_VERT)
        core_->OnVScroll(action, thumb);
    else if (bar == SB_HORZ)
        core_->OnHScroll(action, thumb);
}

namespace {

KeyModifiers KeyboardModifiers() {
    auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
    return {down(VK_CONTROL), down(VK_SHIFT), down(VK_MENU)};
}

}  // namespace

void CQELPenwrightCtrl::OnKey(UINT message, UINT key, LPARAM flags) {
    const bool system = message == WM_SYSKEYDOWN;  // with Alt: only Alt+Shift+arrows are ours
    const bool down = message == WM_KEYDOWN || system;
    int code = static_cast<int>(key);
    if (keyHandler_ && core_)
        keyHandler_(down ? WM_KEYDOWN : WM_KEYUP, code, KeyboardModifiers());
    if (!down || !core_) {
        Default();
        return;
    }
    if (code == 0) {
        // The host took the key: the character TranslateMessage already queued for it goes too.
        MSG next;
        PeekMessageW(&next, Handle(), WM_CHAR, WM_DEADCHAR, PM_REMOVE);
        return;
    }
    HideTooltip();
    const KeyModifiers modifiers = KeyboardModifiers();
    if (core_->GetMouse().IsBusy()) {
        // Keys only switch the drag's cursor, or Escape ends the drag.
        if (code == VK_ESCAPE) {
            core_->GetMouse().Cancel();
            // Its character, already queued by TranslateMessage, would now reach the editor
            // and drop the selection the drag kept.
            MSG next;
            if (PeekMessageW(&next, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) && next.wParam == VK_ESCAPE)
                PeekMessageW(&next, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        }
        ShowMouseCursor();
        return;
    }
    if (CompletionKey(message, static_cast<UINT>(code), flags, modifiers))
        return;
    TextEditor& editor = core_->GetEditor();
    static constexpr std::pair<UINT, CaretKey> kCaretKeys[] = {
        {VK_LEFT, CaretKey::kLeft},    {VK_RIGHT, CaretKey::kRight},  {VK_UP, CaretKey::kUp},
        {VK_DOWN, CaretKey::kDown},    {VK_HOME, CaretKey::kHome},    {VK_END, CaretKey::kEnd},
        {VK_PRIOR, CaretKey::kPageUp}, {VK_NEXT, CaretKey::kPageDown}};
    for (const auto& [vk, caretKey] : kCaretKeys)
        if (static_cast<UINT>(code) == vk) {
            editor.CloseTypingGroup();
            CaretKeys::Press(*core_, caretKey, modifiers);
            return;
        }
    if (system) {
        Default();
        return;
    }
    const bool ctrl = modifiers.ctrl, shift = modifiers.shift;
    switch (code) {
        case VK_DELETE:
            if (shift && !ctrl)
                editor.Cut();
            else
                editor.DeleteKey(ctrl);
            break;
        case VK_BACK:
            editor.BackspaceKey(ctrl);
            break;
        case VK_F3:
            CQELPenwrightFindReplaceDlg::ForThread().Repeat(*this, !shift);
            break;
        case VK_INSERT:
            if (ctrl)
                editor.Copy();
            else if (shift)
                editor.Paste();
            else
                core_->GetCaret().ToggleOverwrite();
            break;
        default:
            if (!ctrl || modifiers.alt)
                return;  // a character follows as WM_CHAR
            switch (code) {
                case 'A':
                    core_->GetCaret().SelectAll();
                    break;
                case 'C':
                    editor.Copy();
                    break;
                case 'X':
                    editor.Cut();
                    break;
                case 'V':
                    editor.Paste();
                    break;
                case 'Z':
                    shift ? editor.Redo() : editor.Undo();
                    break;
                case 'Y':
                    editor.Redo();
                    break;
                default:
                    return;
            }
    }
    editor.CloseTypingGroup();
}

void CQELPenwrightCtrl::OnChar(wchar_t c, LPARAM) {
    if (CompletionChar(c))
        return;
    if (core_ && core_->GetMouse().IsBusy())
        ShowMouseCursor();
    else if (core_)
        core_->GetEditor().OnChar(c, KeyboardModifiers());
}

void CQELPenwrightCtrl::OnTimer(UINT_PTR id) {
    if (!core_)
        return;
    if (id == kRepaintTimer && repaintTimer_.Running())
        core_->OnRepaintTimer();
    else
        OnMouseTimer(id);
}

LRESULT CQELPenwrightCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETTEXT:
            SetWholeText(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"");
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(GetWholeText().size());
        case WM_GETTEXT: {
            const std::wstring text = GetWholeText();
            if (wParam == 0 || !lParam)
                return static_cast<LRESULT>(text.size());
            const size_t copied = std::min<size_t>(text.size(), wParam - 1);
            auto* out = reinterpret_cast<wchar_t*>(lParam);
            std::copy_n(text.data(), copied, out);
            out[copied] = L'\0';
            return static_cast<LRESULT>(copied);
        }
        case WM_SETFONT: {
            LOGFONTW font{};
            const bool has = wParam && GetObjectW(reinterpret_cast<HFONT>(wParam), sizeof font, &font) > 0;
            SetFont(has ? &font : nullptr, false);
            if (LOWORD(lParam))
                UpdateNow();
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(painter_->GetTextFont());
        case WM_COPY:
            return core_ && core_->GetEditor().Copy();
        case WM_CUT:
            return core_ && core_->GetEditor().Cut();
        case WM_PASTE:
            return core_ && core_->GetEditor().Paste();
        case WM_CLEAR:
            return core_ && core_->GetEditor().DeleteSelection();
        case WM_UNDO:
        case EM_UNDO:
            return core_ && core_->GetEditor().Undo();
        case EM_CANUNDO:
            return core_ && core_->GetEditor().CanUndo();
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            // Selecting and dragging end with the capture, unless we let it go ourselves.
            if (core_ && !releasingCapture_)
                core_->GetMouse().Cancel();
            return Default();
        case WM_IME_STARTCOMPOSITION:
            composing_ = core_ != nullptr;
            if (composing_)
                PlaceComposition();
            return Default();
        case WM_IME_ENDCOMPOSITION:
            composing_ = false;
            return Default();
        case WM_DROPFILES: {
            const auto drop = reinterpret_cast<HDROP>(wParam);
            POINT point{};
            DragQueryPoint(drop, &point);
            NotifyDropFiles(drop, point);
            DragFinish(drop);
            return 0;
        }
        case WM_INPUTLANGCHANGE:
            TellInputMethodTheFont();
            RedrawCaret();
            return Default();
        default:
            return Default();
    }
}

void CQELPenwrightCtrl::NotifyDropFiles(HDROP drop, POINT point) {
    PenwrightDropFilesNotify notify{{Handle(), 0, static_cast<UINT>(EditNotify::kDropFiles)}, drop, point};
    if (const HWND parent = GetParent(Handle()))
        SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

PixelRect CQELPenwrightCtrl::GetClientRect() const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    return {client.left, client.top, client.right, client.bottom};
}

const TextMeasurer* CQELPenwrightCtrl::GetTextMeasurer() const {
    return painter_->GetMeasurer();
}

void CQELPenwrightCtrl::Invalidate() {
    if (Handle())
        InvalidateRect(Handle(), nullptr, FALSE);
}

void CQELPenwrightCtrl::InvalidateArea(const PixelRect& area) {
    const RECT rect{area.left, area.top, area.right, area.bottom};
    if (Handle())
        InvalidateRect(Handle(), &rect, FALSE);
}

void CQELPenwrightCtrl::UpdateNow() {
    if (Handle())
        UpdateWindow(Handle());
}

void CQELPenwrightCtrl::SetRepaintTimer(uint32_t periodMs) {
    repaintTimer_.Start(Handle(), periodMs);
}

void CQELPenwrightCtrl::KillRepaintTimer() {
    repaintTimer_.Stop();
}

void CQELPenwrightCtrl::SetScrollBar(bool vertical, const ScrollBar& bar) {
    // Setting a bar redraws it, which costs milliseconds: a key typed leaves the bars as they are.
    std::optional<ScrollBar>& shown = shownBars_[vertical ? 1 : 0];
    if (shown == bar)
        return;
    shown = bar;
    const pw::win32::ScrollBar scrollBar(Handle(), vertical ? SB_VERT : SB_HORZ);
    scrollBar.Set(vertical ? 1 : 0, ToInt(bar.max), static_cast<UINT>(std::max(ToInt(bar.page), 0)),
                  ToInt(bar.pos));
    scrollBar.Enable(bar.enabled);
}

void CQELPenwrightCtrl::ShowScrollBars(bool horizontal, bool vertical) {
    if (!Handle())
        return;
    shownBars_[0] = shownBars_[1] = std::nullopt;  // bars shown anew take their values again
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_HSCROLL | WS_VSCROLL);
    if (horizontal)
        style |= WS_HSCROLL;
    if (vertical)
        style |= WS_VSCROLL;
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    pw::win32::ScrollBar(Handle(), SB_HORZ).Show(horizontal);
    pw::win32::ScrollBar(Handle(), SB_VERT).Show(vertical);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CQELPenwrightCtrl::RedrawCaret() {
    if (!core_ || !Handle())
        return;
    const EditCaret& caret = core_->GetCaret();
    const std::optional<PixelRect> rect = core_->CaretRect(
        caret.GetRow(), caret.GetColumn(), caret.IsOverwrite(), focus_ || dragged_ == Dragged::kText);
    if (!rect) {
        caret_.Show(false);
        return;
    }
    const SIZE size{rect->Width(), rect->Height()};
    if (!caret_.Exists() || size.cx != caretSize_.cx || size.cy != caretSize_.cy) {
        caret_.Create(Handle(), size.cx, size.cy);
        caretSize_ = size;
    }
    caret_.Move({rect->left, rect->top});
    caret_.Show(true);
    if (composing_)
        PlaceComposition();
}

intptr_t CQELPenwrightCtrl::NotifyParent(int code, std::span<const int32_t> values) {
    if (code == EditNotify::kReadOnly && printing_)
        return 1;  // the pages already counted must stay true
    return Window::NotifyParent(code, values);
}

bool CQELPenwrightCtrl::PutClipboard(std::wstring_view text, bool block) {
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const bool put =
        pw::win32::Clipboard::Put(Handle(), text, block, static_cast<unsigned>(GetBuffer()->GetCodePage()));
    SetCursor(previous);
    return put;
}

std::optional<EditorWindow::ClipboardText> CQELPenwrightCtrl::GetClipboard() {
    std::optional<pw::win32::Clipboard::Content> content = pw::win32::Clipboard::Get(Handle());
    if (!content)
        return std::nullopt;
    return ClipboardText{std::move(content->text), content->block};
}

uint32_t CQELPenwrightCtrl::TickCount() {
    return pw::TickCount();
}
