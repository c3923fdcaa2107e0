#include "HostWindow.h"

#include <algorithm>

#include "parser/TextSchema.h"

namespace {

const pw::win32::WindowClass& HostClass() {
    static const pw::win32::WindowClass windowClass(L"PenwrightBenchHost", 0,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

}  // namespace

bool HostWindow::Create(int width, pw::RefPtr<CQELPenwrightBufferManager> buffer) {
    buffer_ = std::move(buffer);
    return Window::Create(HostClass(), nullptr, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                          RECT{0, 0, width, 200}, 0, L"Penwright bench");
}

bool HostWindow::OnCreate(const CREATESTRUCTW&) {
    // Sized by FitRows, once the font is known.
    return view_.Create(Handle(), false, true, std::move(buffer_), kViewId);
}

void HostWindow::OnSize(UINT, int width, int height) {
    MoveWindow(view_.Handle(), 0, 0, width, height, TRUE);
}

int HostWindow::FitRows(int rows) {
    const int rowHeight = view_.Core()->GetTextLayout().GetRowHeight();
    // The text area need not be the whole client area (margins, frame): correct by the rows
    // it shows until it shows as many as asked.
    for (int attempt = 0; attempt < 3 && view_.RowsPerPage() != rows; ++attempt) {
        RECT window;
        GetWindowRect(Handle(), &window);
        const int height = window.bottom - window.top + (rows - view_.RowsPerPage()) * rowHeight;
        SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left, std::max(height, rowHeight),
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
    return view_.RowsPerPage();
}

LRESULT HostWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom != kViewId || static_cast<int>(header.code) != EditNotify::kParserEvent)
        return 0;
    const int32_t* values = NotifyValues(header);
    switch (values[0]) {
        case TextSchema::kParseStarted:
            report_ = {.started = true};
            break;
        case TextSchema::kBlockEndedEvent:
            report_.lastRow = std::max(report_.lastRow, values[2]);
            break;
        case TextSchema::kParseFinished:
            report_.done = (values[1] & TextSchema::kDone) != 0;
            break;
        default:
            break;
    }
    return 0;
}
