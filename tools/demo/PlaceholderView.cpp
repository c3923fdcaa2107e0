#include "PlaceholderView.h"

#include <utility>

namespace {

constexpr int kLeftGap = 4;

const pw::win32::WindowClass& ViewClass() {
    static const pw::win32::WindowClass windowClass(L"PenwrightDemoPlaceholder", CS_HREDRAW | CS_VREDRAW,
                                                    LoadCursorW(nullptr, IDC_IBEAM));
    return windowClass;
}

}  // namespace

PlaceholderView::PlaceholderView() {
    // Under Wine a fixed-pitch face is found only when the pitch is asked for as well.
    LOGFONTW logFont{};
    logFont.lfHeight = -13;
    logFont.lfWeight = FW_NORMAL;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(logFont.lfFaceName, L"Courier New", LF_FACESIZE);
    font_.Reset(CreateFontIndirectW(&logFont));
}

bool PlaceholderView::Create(HWND parent, const RECT& rect, UINT id) {
    return Window::Create(ViewClass(), parent, WS_CHILD | WS_VISIBLE, 0, rect, id);
}

void PlaceholderView::SetRows(std::vector<std::wstring> rows, int tabSize) {
    rows_ = std::move(rows);
    tabSize_ = tabSize;
    if (Handle())
        InvalidateRect(Handle(), nullptr, FALSE);
}

int PlaceholderView::RowHeight() const {
    pw::win32::WindowDC dc(Handle());
    pw::win32::SelectScope select(dc, font_.Get());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight > 0 ? metrics.tmHeight : 1;
}

void PlaceholderView::Draw(const pw::win32::DCHandle& dc) const {
    RECT client;
    GetClientRect(Handle(), &client);
    dc.FillSolid(client, GetSysColor(COLOR_WINDOW));
    pw::win32::SelectScope select(dc, font_.Get());
    const int rowHeight = RowHeight();
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int tabStop = tabSize_ * metrics.tmAveCharWidth;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    int y = 0;
    for (const std::wstring& row : rows_) {
        if (y >= client.bottom)
            break;
        TabbedTextOutW(dc, kLeftGap, y, row.c_str(), static_cast<int>(row.size()), 1, &tabStop, kLeftGap);
        y += rowHeight;
    }
}

void PlaceholderView::OnPaint() {
    pw::win32::PaintDC dc(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    frame_.Paint(dc, client, [this](const pw::win32::DCHandle& memory) { Draw(memory); });
}

void PlaceholderView::OnPrintClient(HDC dc, UINT) {
    Draw(pw::win32::DCHandle(dc));
}
