#include "DemoWindow.h"

namespace {

constexpr int kStatusHeight = 22;

const pw::win32::WindowClass& FrameClass() {
    static const pw::win32::WindowClass windowClass(L"PenwrightDemo", CS_HREDRAW | CS_VREDRAW,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

}  // namespace

DemoWindow::DemoWindow() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_.Reset(CreateFontIndirectW(&metrics.lfStatusFont));
}

bool DemoWindow::Create(const std::wstring& title, const std::wstring& status, SIZE client,
                        pw::RefPtr<CQELPenwrightBufferManager> buffer) {
    status_ = status;
    buffer_ = std::move(buffer);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT rect{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    OffsetRect(&rect, 40 - rect.left, 40 - rect.top);
    return Window::Create(FrameClass(), nullptr, style, 0, rect, 0, title.c_str());
}

bool DemoWindow::OnCreate(const CREATESTRUCTW&) {
    if (!view_.Create(Handle(), true, true, std::move(buffer_), kViewId))
        return false;
    // Ctrl+F finds, Ctrl+H replaces (F3 the control handles itself); Ctrl+P prints and
    // Ctrl+Shift+P previews.
    view_.SetKeyHandler([this](UINT message, int& code, const KeyModifiers& modifiers) {
        if (message != WM_KEYDOWN || !modifiers.ctrl || modifiers.alt)
            return;
        if (code == 'F' || code == 'H')
            view_.ShowFindDialog(code == 'H');
        else if (code == 'P' && modifiers.shift)
            printing_.PrintPreview(false);
        else if (code == 'P')
            printing_.PrintText2(true);
        else
            return;
        code = 0;
    });
    RECT client;
    GetClientRect(Handle(), &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    return true;
}

void DemoWindow::OnSize(UINT, int width, int height) {
    MoveWindow(view_.Handle(), 0, 0, width, height > kStatusHeight ? height - kStatusHeight : 0, TRUE);
}

RECT DemoWindow::StatusRect() const {
    RECT rect;
    GetClientRect(Handle(), &rect);
    rect.top = rect.bottom > kStatusHeight ? rect.bottom - kStatusHeight : 0;
    return rect;
}

void DemoWindow::DrawStatus(const pw::win32::DCHandle& dc) const {
    RECT rect = StatusRect();
    dc.FillSolid(rect, GetSysColor(COLOR_BTNFACE));
    RECT line{rect.left, rect.top, rect.right, rect.top + 1};
    dc.FillSolid(line, GetSysColor(COLOR_BTNSHADOW));
    pw::win32::SelectScope select(
        dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    rect.left += 6;
    DrawTextW(dc, status_.c_str(), static_cast<int>(status_.size()), &rect,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void DemoWindow::OnPaint() {
    pw::win32::PaintDC dc(Handle());
    DrawStatus(dc);
}

void DemoWindow::OnPrintClient(HDC dc, UINT) {
    DrawStatus(pw::win32::DCHandle(dc));
}
