#pragma once
// Windows only: the box a print job shows while it runs (modeless over its owner): what it
// prints, on which printer, to which port or file, the page, and Cancel. Between pages the job
// lets the thread's messages through it, so the box and the windows behind it stay drawn.
#include <windows.h>

#include <string>

namespace pw::win32 {

class PrintProgress {
public:
    struct Lines {
        std::wstring document;
        std::wstring device;
        std::wstring port;  // or the output file
    };

    // Shown at once; `caption` says whether pages are printed or counted.
    PrintProgress(HWND owner, const std::wstring& caption, const Lines& lines);
    PrintProgress(const PrintProgress&) = delete;
    PrintProgress& operator=(const PrintProgress&) = delete;
    ~PrintProgress();

    // Shows the page number, then handles the messages waiting; false once Cancel was pressed
    // (or the thread was asked to quit, which is passed on).
    bool Page(int page);
    bool Cancelled() const { return cancelled_; }
    HWND Handle() const { return hwnd_; }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    bool cancelled_ = false;
};

}  // namespace pw::win32
