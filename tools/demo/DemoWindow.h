#pragma once
// The demo's top-level window: the edit control fills it but for a status line at the foot.
#include <windows.h>

#include <string>

#include "editor/win32/Gdi.h"
#include "editor/win32/PenwrightCtrl.h"
#include "editor/win32/Window.h"
#include "print/win32/PenwrightView.h"

class DemoWindow : public pw::win32::Window {
public:
    // The edit control's child id.
    static constexpr UINT kViewId = 100;

    DemoWindow();
    // A window of the client size showing `buffer`, with `status` in its status line; not shown yet.
    bool Create(const std::wstring& title, const std::wstring& status, SIZE client,
                pw::RefPtr<CQELPenwrightBufferManager> buffer);
    CQELPenwrightCtrl& View() { return view_; }
    // Printing the text; its title is what the header shows.
    CQELPenwrightView& Printing() { return printing_; }

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    void OnPrintClient(HDC dc, UINT flags) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }
    void OnDestroy() override { PostQuitMessage(0); }

private:
    RECT StatusRect() const;
    void DrawStatus(const pw::win32::DCHandle& dc) const;

    std::wstring status_;
    pw::win32::Font font_;
    pw::RefPtr<CQELPenwrightBufferManager> buffer_;
    CQELPenwrightCtrl view_;
    CQELPenwrightView printing_{view_};
};
