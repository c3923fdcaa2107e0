#include "options/win32/OptionsPage.h"

#include "platform/win32/Module.h"

namespace pw::options {

PROPSHEETPAGEW OptionsPage::Describe() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.hInstance = pw::ThisModule();
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pfnDlgProc = Procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

void OptionsPage::SetModified(bool modified) {
    modified_ = modified;
    if (hwnd_)
        SendMessageW(GetParent(hwnd_), modified ? PSM_CHANGED : PSM_UNCHANGED,
                     reinterpret_cast<WPARAM>(hwnd_), 0);
}

INT_PTR CALLBACK OptionsPage::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* page = reinterpret_cast<OptionsPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (message == WM_INITDIALOG) {
        page = reinterpret_cast<OptionsPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        page->hwnd_ = hwnd;
    }
    if (!page)
        return FALSE;
    try {
        return page->Dispatch(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR OptionsPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code == PSN_KILLACTIVE ||
                reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY)
                return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_DESTROY:
            hwnd_ = nullptr;
            break;
    }
    INT_PTR result = FALSE;
    return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR OptionsPage::OnNotify(const NMHDR& header) {
    LONG_PTR answer = PSNRET_NOERROR;
    if (header.code == PSN_KILLACTIVE) {
        answer = OnKillActive() ? FALSE : TRUE;
    } else if (modified_) {
        if (OnApply())
            SetModified(false);
        else
            answer = PSNRET_INVALID_NOCHANGEPAGE;
    }
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer);
    return TRUE;
}

}  // namespace pw::options
