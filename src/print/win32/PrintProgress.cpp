#include "print/win32/PrintProgress.h"

#include "platform/StringTable.h"
#include "platform/win32/Module.h"
#include "resources/ResourceIds.h"

namespace pw::win32 {

PrintProgress::PrintProgress(HWND owner, const std::wstring& caption, const Lines& lines) {
    hwnd_ = CreateDialogParamW(pw::ThisModule(), MAKEINTRESOURCEW(PW_IDD_PRINT_PROGRESS), owner, Procedure,
                               reinterpret_cast<LPARAM>(this));
    if (!hwnd_)
        return;
    SetWindowTextW(hwnd_, caption.c_str());
    SetDlgItemTextW(hwnd_, PW_IDC_PRINT_DOCUMENT, lines.document.c_str());
    SetDlgItemTextW(hwnd_, PW_IDC_PRINT_DEVICE, lines.device.c_str());
    SetDlgItemTextW(hwnd_, PW_IDC_PRINT_PORT, lines.port.c_str());
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
}

PrintProgress::~PrintProgress() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

bool PrintProgress::Page(int page) {
    if (hwnd_)
        SetDlgItemTextW(hwnd_, PW_IDC_PRINT_PAGE, pw::LoadString(9772, {std::to_wstring(page)}).c_str());
    MSG msg;
    while (!cancelled_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that waits for it
            cancelled_ = true;
        } else if (!hwnd_ || !IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return !cancelled_;
}

INT_PTR CALLBACK PrintProgress::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<PrintProgress*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        self->cancelled_ = true;
        EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE);
        return TRUE;
    }
    return FALSE;
}

}  // namespace pw::win32
