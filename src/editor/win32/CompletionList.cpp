#include "editor/win32/CompletionList.h"

#include <commctrl.h>

#include <algorithm>

#include "editor/win32/ScrollBar.h"

namespace pw::win32 {

namespace {

constexpr int kIconSize = 16;
constexpr int kTextInset = 2;         // from the text area's left
constexpr int kTextDown = 3;          // from the row's top
constexpr size_t kDrawnChars = 1024;  // of a long item, more than any list is wide

const WindowClass& ListClass() {
    static const WindowClass windowClass(CompletionList::kClassName, CS_SAVEBITS | CS_DBLCLKS,
                                         LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// One font for measuring and painting: the system's, which nobody deletes.
HFONT ListFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

bool CompletionList::Make() {
    return Create(ListClass(), GetDesktopWindow(), WS_CHILD | WS_DISABLED | WS_DLGFRAME | WS_VSCROLL,
                  WS_EX_TOOLWINDOW, RECT{0, 0, Completion::kWidth, Completion::kMaxHeight});
}

bool CompletionList::OnCreate(const CREATESTRUCTW&) {
    RECT window{}, client{};
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    frameHeight_ = (window.bottom - window.top) - (client.bottom - client.top);
    WindowDC dc(Handle());
    SelectScope font(dc, ListFont());
    SIZE letter{};
    GetTextExtentPoint32W(dc, L"A", 1, &letter);
    model_.SetItemHeight(Completion::ItemHeight(letter.cy));
    icons_ = LoadCompletionIcons();
    return true;
}

void CompletionList::Show(int x, int y, int rowHeight) {
    if (!Handle() || !model_.IsOpen())
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &monitor);
    screen_ = monitor.rcWork;
    anchor_ = {x, y};
    rowHeight_ = rowHeight;
    shown_ = true;
    Layout();
    EnableWindow(Handle(), TRUE);
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void CompletionList::Update() {
    if (!model_.IsOpen())
        Close();
    else if (shown_)
        Layout();
}

void CompletionList::Close() {
    model_.Close();
    if (!shown_)
        return;
    shown_ = false;
    EnableWindow(Handle(), FALSE);
    ShowWindow(Handle(), SW_HIDE);
}

void CompletionList::Layout() {
    const int height = frameHeight_ + model_.VisibleRows() * model_.GetItemHeight();
    const PixelRect screen{screen_.left, screen_.top, screen_.right, screen_.bottom};
    const PixelRect placed = Completion::Place(anchor_.x, anchor_.y, rowHeight_, height, screen);
    SetWindowPos(Handle(), HWND_TOP, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOACTIVATE);
    ShowScroll();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void CompletionList::ShowScroll() {
    const ScrollBar bar(Handle(), SB_VERT);
    const bool scrolls = model_.Scrolls();
    if (scrolls)
        bar.Set(0, model_.Count() - 1, static_cast<UINT>(model_.VisibleRows()), model_.FirstVisible());
    bar.Show(scrolls);
}

void CompletionList::Draw(const DCHandle& dc, const RECT& area) const {
    SelectScope font(dc, ListFont());
    const int height = model_.GetItemHeight();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    int y = area.top;
    for (int index = model_.FirstVisible(); index < model_.Count() && y < area.bottom; ++index, y += height) {
        dc.FillSolid(RECT{area.left, y, area.left + Completion::kTextLeft, y + height}, window);
        if (icons_)
            ImageList_Draw(icons_.Get(), 0, dc, area.left, y + (height - kIconSize) / 2, ILD_NORMAL);
        const bool lit = index == model_.Selected() && model_.Highlighted();
        SetTextColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(dc, lit ? GetSysColor(COLOR_HIGHLIGHT) : window);
        const RECT text{area.left + Completion::kTextLeft, y, area.right, y + height};
        const std::wstring& item = model_.ItemAt(index);
        ExtTextOutW(dc, text.left + kTextInset, y + kTextDown, ETO_OPAQUE | ETO_CLIPPED, &text, item.c_str(),
                    static_cast<UINT>(std::min(item.size(), kDrawnChars)), nullptr);
        if (index == model_.Selected())
            DrawFocusRect(dc, &text);
    }
    if (y < area.bottom)
        dc.FillSolid(RECT{area.left, y, area.right, area.bottom}, window);
}

void CompletionList::OnPaint() {
    PaintDC dc(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    Draw(dc, client);
}

void CompletionList::OnPrintClient(HDC dc, UINT) {
    RECT client{};
    GetClientRect(Handle(), &client);
    Draw(DCHandle(dc), client);
}

void CompletionList::OnMouse(UINT message, UINT, POINT client) {
    const int row = model_.RowAt(client.y);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            model_.Select(row, message == WM_LBUTTONDOWN);
            break;
        case WM_LBUTTONDBLCLK:
            model_.Select(row, false);
            insert_();
            return;
        default:
            return;
    }
    ShowScroll();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void CompletionList::OnMouseWheel(int delta, UINT, POINT) {
    wheelDelta_ += delta;
    for (; wheelDelta_ >= WHEEL_DELTA; wheelDelta_ -= WHEEL_DELTA) OnScroll(SB_VERT, SB_LINEUP, 0);
    for (; wheelDelta_ <= -WHEEL_DELTA; wheelDelta_ += WHEEL_DELTA) OnScroll(SB_VERT, SB_LINEDOWN, 0);
}

void CompletionList::OnScroll(int bar, UINT code, int thumb) {
    if (bar != SB_VERT)
        return;
    const int first = model_.FirstVisible(), page = model_.VisibleRows();
    switch (code) {
        case SB_LINEUP:
        case SB_LINEDOWN:
            model_.ScrollTo(first + (code == SB_LINEUP ? -1 : 1));
            break;
        case SB_PAGEUP:
        case SB_PAGEDOWN:
            model_.ScrollTo(first + (code == SB_PAGEUP ? -page : page));
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            model_.ScrollTo(thumb);
            break;
        case SB_TOP:
        case SB_BOTTOM:
            model_.ScrollTo(code == SB_TOP ? 0 : model_.Count());
            break;
        default:
            return;
    }
    ScrollBar(Handle(), SB_VERT).SetPosition(model_.FirstVisible());
    InvalidateRect(Handle(), nullptr, FALSE);
}

bool CompletionList::OnSetCursor(HWND, UINT, UINT) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
}

LRESULT CompletionList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A click must leave the focus where it is: in the control, which closes the list losing it.
    if (message == WM_MOUSEACTIVATE)
        return MA_NOACTIVATE;
    return Window::OnMessage(message, wParam, lParam);
}

}  // namespace pw::win32
