// The preview window on the test printer's pages: its title through the pages, one and two at a
// time, the buttons that cannot act disabled, zoom with scroll bars, pages drawn, the owner
// disabled while it is open, and its print button printing once it has closed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "PrintSetup.h"
#include "TestPrinter.h"
#include "editor/win32/DibSection.h"

namespace {

using pw::win32::PrintPreview;

class PrintPreviewTest : public PrintSetup {
protected:
    void SetUp() override {
        PrintSetup::SetUp();
        ASSERT_TRUE(InstallTestPrinter());
        DeleteFileW(kPrintedFile);
        NumberedRows(200);
        ASSERT_TRUE(view.PrintPreview(false));
        preview = view.GetPreview();
        ASSERT_TRUE(preview);
    }
    void Press(PrintPreview::Button button) {
        SendMessageW(preview->Handle(), WM_COMMAND,
                     MAKEWPARAM(PrintPreview::kFirstButtonId + button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(preview->GetButton(button)));
    }
    std::wstring Caption(HWND window) {
        wchar_t text[128] = L"";
        GetWindowTextW(window, text, 128);
        return text;
    }
    bool Enabled(PrintPreview::Button button) { return IsWindowEnabled(preview->GetButton(button)); }

    PrintPreview* preview = nullptr;
};

TEST_F(PrintPreviewTest, TitlesAndButtonsFollowThePagesShown) {
    EXPECT_FALSE(IsWindowEnabled(host.Handle()));
    EXPECT_EQ(Caption(preview->Handle()), L"Penwright [Page 1]");
    const std::wstring captions[] = {L"&Print...", L"&Next Page", L"Pre&v Page", L"Two Page",
                                     L"Zoom &In",  L"Zoom &Out",  L"&Close"};
    for (int b = 0; b < PrintPreview::kButtons; ++b)
        EXPECT_EQ(Caption(preview->GetButton(static_cast<PrintPreview::Button>(b))), captions[b]);
    EXPECT_FALSE(Enabled(PrintPreview::kPrevious));
    EXPECT_FALSE(Enabled(PrintPreview::kZoomOut));

    Press(PrintPreview::kOneTwo);
    EXPECT_EQ(Caption(preview->Handle()), L"Penwright [Pages 1 - 2]");
    EXPECT_EQ(Caption(preview->GetButton(PrintPreview::kOneTwo)), L"One Page");
    // Turning two pages at a time up to the last, which may stand alone.
    int last = 1;
    while (Enabled(PrintPreview::kNext)) {
        Press(PrintPreview::kNext);
        last = preview->FirstPage() + preview->PagesShown() - 1;
        ASSERT_LT(last, 100);
    }
    EXPECT_GE(last, 3);
    EXPECT_TRUE(Enabled(PrintPreview::kPrevious));
    EXPECT_EQ(Caption(preview->Handle()),
              preview->PagesShown() == 2
                  ? L"Penwright [Pages " + std::to_wstring(last - 1) + L" - " + std::to_wstring(last) + L"]"
                  : L"Penwright [Page " + std::to_wstring(last) + L"]");
    Press(PrintPreview::kClose);
    EXPECT_FALSE(view.GetPreview());
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
}

TEST_F(PrintPreviewTest, PagesAreDrawnAndZoomScrolls) {
    MoveWindow(preview->Handle(), 0, 0, 600, 500, TRUE);
    const RECT image = preview->PageImageRect(1);
    ASSERT_GT(image.right - image.left, 50);
    // The page's text shows in the window: ink on the white printable area.
    UpdateWindow(preview->Handle());
    pw::win32::DibSection shot(600, 500);
    pw::win32::WindowDC screen(preview->Handle());
    BitBlt(shot.Dc(), 0, 0, 600, 500, screen, 0, 0, SRCCOPY);
    int ink = 0;
    for (int y = image.top; y < image.bottom; ++y)
        for (int x = image.left; x < image.right; ++x) ink += shot.Pixel(x, y) != RGB(255, 255, 255);
    EXPECT_GT(ink, 0);

    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_ALL;
    GetScrollInfo(preview->Handle(), SB_VERT, &bar);
    EXPECT_GE(static_cast<int>(bar.nPage), bar.nMax - bar.nMin + 1);  // fits: nothing to scroll
    for (int i = 0; i < PrintPreview::kZoomSteps; ++i) Press(PrintPreview::kZoomIn);
    EXPECT_FALSE(Enabled(PrintPreview::kZoomIn));
    const RECT zoomed = preview->PageImageRect(1);
    EXPECT_GT(zoomed.right - zoomed.left, 4 * (image.right - image.left));
    GetScrollInfo(preview->Handle(), SB_VERT, &bar);
    EXPECT_LT(static_cast<int>(bar.nPage), bar.nMax - bar.nMin + 1);
    SendMessageW(preview->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(preview->PageImageRect(1).top, zoomed.top - static_cast<int>(bar.nPage));
}

TEST_F(PrintPreviewTest, ItsPrintButtonPrintsOnceItHasClosed) {
    Press(PrintPreview::kPrint);
    EXPECT_FALSE(view.GetPreview());
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
    EXPECT_GE(PrintedPages().size(), 3U);
    EXPECT_TRUE(told.empty());
}

}  // namespace
