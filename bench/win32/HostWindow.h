#pragma once
// The benchmark's top-level window: a borderless pop-up at the screen's corner that the edit
// control fills, so that a whole page of rows fits on a small screen. It follows the parser's
// progress through the control's notifications.
#include <windows.h>

#include <cstdint>

#include "editor/win32/PenwrightCtrl.h"
#include "editor/win32/Window.h"

class HostWindow : public pw::win32::Window {
public:
    static constexpr UINT kViewId = 100;

    // The window `width` pixels wide showing `buffer` in a control with a vertical scroll bar;
    // shown at once.
    bool Create(int width, pw::RefPtr<CQELPenwrightBufferManager> buffer);
    CQELPenwrightCtrl& View() { return view_; }
    // Sizes the window so that the control shows `rows` whole rows of its font; the rows it shows.
    int FitRows(int rows);

    // What the parser reported of its latest parse.
    struct ParseReport {
        bool started = false;
        int32_t lastRow = 0;  // the last row of the blocks it ended
        bool done = false;    // finished at the end of the text
    };
    const ParseReport& Report() const { return report_; }
    void ForgetReport() { report_ = {}; }

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnSize(UINT type, int width, int height) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }  // the control covers it all
    LRESULT OnNotify(const NMHDR& header) override;

private:
    pw::RefPtr<CQELPenwrightBufferManager> buffer_;
    CQELPenwrightCtrl view_;
    ParseReport report_;
};
