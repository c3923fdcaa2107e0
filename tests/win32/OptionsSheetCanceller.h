#pragma once
// The options sheet shown modally by a call under test: a timer of the thread, which the sheet's
// own message loop runs, finds the sheet and presses Cancel, so that the call returns.
#include <windows.h>

#include <prsht.h>

#include <string>

namespace pw::test {

class OptionsSheetCanceller {
public:
    OptionsSheetCanceller() : timer_(SetTimer(nullptr, 0, 50, Tick)) { cancelled_ = nullptr; }
    OptionsSheetCanceller(const OptionsSheetCanceller&) = delete;
    OptionsSheetCanceller& operator=(const OptionsSheetCanceller&) = delete;
    ~OptionsSheetCanceller() { KillTimer(nullptr, timer_); }

    // The sheet it cancelled, or null; the sheet's owner then.
    HWND Cancelled() const { return cancelled_; }
    HWND Owner() const { return owner_; }

private:
    static BOOL CALLBACK Find(HWND window, LPARAM) {
        wchar_t text[32] = {};
        GetWindowTextW(window, text, 32);
        if (!IsWindowVisible(window) || std::wstring(text) != L"Options")
            return TRUE;
        cancelled_ = window;
        owner_ = GetWindow(window, GW_OWNER);
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        if (cancelled_)
            return;
        EnumThreadWindows(GetCurrentThreadId(), Find, 0);
        if (cancelled_) {
            KillTimer(nullptr, timer);
            PropSheet_PressButton(cancelled_, PSBTN_CANCEL);
        }
    }

    inline static HWND cancelled_ = nullptr;
    inline static HWND owner_ = nullptr;
    UINT_PTR timer_;
};

}  // namespace pw::test
