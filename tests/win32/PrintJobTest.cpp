// Print jobs on the test printer, read back from the file it writes: pages in order and in
// reverse, the count first, failures told and reported, cancelling, and the control read only
// and its window disabled while a job runs.
#include <windows.h>
// After windows.h, which it needs.
#include <dlgs.h>

#include <gtest/gtest.h>

#include <string>

#include "PrintSetup.h"
#include "TestPrinter.h"
#include "platform/StringTable.h"

namespace {

using pw::win32::PrintOutcome;

class PrintJobTest : public PrintSetup {
protected:
    void SetUp() override {
        PrintSetup::SetUp();
        ASSERT_TRUE(InstallTestPrinter());
        DeleteFileW(kPrintedFile);
        ctrl.SetOption(EditorOptions::kLineNumbers, false, false);
        view.GetPrintOptions().header.SetFormatString(L"");
    }
    // The footer of each printed page, read back ("Page 2 of 3").
    static std::vector<std::string> Footers(const std::vector<std::string>& pages) {
        std::vector<std::string> footers;
        for (const std::string& page : pages) footers.push_back(page.substr(page.rfind("Page")));
        return footers;
    }
};

TEST_F(PrintJobTest, TheDefaultPrinterPrintsEveryPageCountedFirst) {
    NumberedRows(150);
    ASSERT_TRUE(view.PrintText2(false));
    const std::vector<std::string> pages = PrintedPages();
    ASSERT_GE(pages.size(), 2U);
    const std::string count = std::to_string(pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        EXPECT_EQ(Footers(pages)[i], "Page " + std::to_string(i + 1) + " of " + count);
    EXPECT_EQ(pages.front().rfind("row 1", 0), 0U) << pages.front();
    EXPECT_NE(pages.back().find("row 150"), std::string::npos);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(view.GetPrintOptions().printerInfo.deviceName, kTestPrinter);
    EXPECT_EQ(view.GetPrintOptions().printerInfo.portName, kPrintedFile);
}

// A range from the larger page to the smaller prints in reverse; a step the printer refuses
// fails the job (a missing folder fails only at its end under this system).
TEST_F(PrintJobTest, RangesInReverseAndRefusedSteps) {
    NumberedRows(150);
    pw::win32::DeviceContext printer(CreateTestPrinterDC());
    pw::win32::PrintDocument document(ctrl, view.GetPrintOptions(), view.GetBandFonts(), L"doc",
                                      printer.Get());
    pw::win32::PrintJobSettings settings;
    settings.fromPage = 2;
    settings.toPage = 1;
    EXPECT_EQ(RunPrintJob(document, printer.Get(), settings, host.Handle()), PrintOutcome::kPrinted);
    const std::vector<std::string> pages = PrintedPages();
    ASSERT_EQ(pages.size(), 2U);
    EXPECT_EQ(Footers(pages)[0].substr(0, 7), "Page 2 ");
    EXPECT_EQ(Footers(pages)[1].substr(0, 7), "Page 1 ");

    settings.output = L"C:\\no such folder\\out.ps";
    EXPECT_EQ(RunPrintJob(document, printer.Get(), settings, host.Handle()), PrintOutcome::kFailed);
    settings = {};
    settings.fromPage = 40;
    EXPECT_EQ(RunPrintJob(document, printer.Get(), settings, host.Handle()), PrintOutcome::kNoPages);
}

TEST_F(PrintJobTest, WhileAJobRunsTheTextIsReadOnlyAndASecondJobIsRefused) {
    NumberedRows(150);
    bool seen = false;
    WhenPumped([&] {
        seen = true;
        EXPECT_TRUE(view.IsPrinting());
        EXPECT_TRUE(ctrl.IsPrinting());
        EXPECT_FALSE(ctrl.CanEdit());
        EXPECT_FALSE(IsWindowEnabled(host.Handle()));
        EXPECT_FALSE(view.PrintText2(false));
        EXPECT_FALSE(view.PrintPreview(false));
    });
    EXPECT_TRUE(view.PrintText2(false));
    EXPECT_TRUE(seen);
    EXPECT_EQ(told, (std::vector<std::wstring>(2, pw::LoadString(9787))));
    EXPECT_FALSE(view.IsPrinting());
    EXPECT_TRUE(ctrl.CanEdit());
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
}

// Cancel in the progress box ends the job, whether it counts or prints; nothing is told.
TEST_F(PrintJobTest, CancelEndsTheJob) {
    NumberedRows(150);
    for (const wchar_t* caption : {L"Calculating pages...", L"Printing"}) {
        if (std::wstring(caption) == L"Printing")
            view.GetPrintOptions().footer.SetFormatString(L"Page &p");  // nothing to count
        WhenPumped([caption] {
            HWND box = FindWindowW(L"#32770", caption);
            EXPECT_TRUE(box) << caption;
            SendMessageW(box, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_FALSE(view.PrintText2(false)) << caption;
        EXPECT_TRUE(PrintedPages().empty()) << caption;
    }
    EXPECT_TRUE(told.empty());
    EXPECT_TRUE(IsWindowEnabled(host.Handle()));
}

// The print dialog, driven by its buttons, prints on the printer it shows: the selection's rows
// when it is chosen.
TEST_F(PrintJobTest, ThePrintDialogsChoicePrints) {
    NumberedRows(4);
    ctrl.Core()->GetCaret().Select(2, 3, 4, 1, false);  // rows 2 and 3
    for (bool selection : {false, true}) {
        bool shown = false;
        WhenPumped([&] {
            HWND dialog = FindWindowW(L"#32770", L"Print");
            shown = dialog != nullptr;
            if (selection)
                SendDlgItemMessageW(dialog, rad2, BM_CLICK, 0, 0);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_TRUE(view.PrintText(nullptr));  // no context: the dialog chooses
        EXPECT_TRUE(shown);
        const std::vector<std::string> pages = PrintedPages();
        ASSERT_EQ(pages.size(), 1U);
        EXPECT_EQ(pages[0].substr(0, pages[0].rfind("Page")),
                  selection ? "row 2row 3" : "row 1row 2row 3row 4");
    }
}

// Without a title the window's caption, its modified marks removed, names the pages.
TEST_F(PrintJobTest, WithoutATitleTheCaptionNamesThePages) {
    NumberedRows(3);
    view.SetTitle(std::nullopt);
    SetWindowTextW(host.Handle(), L"*notes*");
    view.GetPrintOptions().header.SetFormatString(L"&w");
    ASSERT_TRUE(view.PrintText2(false));
    const std::vector<std::string> pages = PrintedPages();
    ASSERT_EQ(pages.size(), 1U);
    EXPECT_EQ(pages[0].rfind("notesrow 1", 0), 0U) << pages[0];
}

TEST_F(PrintJobTest, MarginsWithoutRoomAreToldAndFail) {
    NumberedRows(3);
    view.GetPrintOptions().SetMargin(CQELPrintOptions::kLeft, 30000);
    EXPECT_FALSE(view.PrintText2(false));
    EXPECT_EQ(told, (std::vector<std::wstring>{pw::LoadString(9785)}));
}

}  // namespace
