// Pages drawn into metafiles on the test printer's terms, read back record by record: where the
// header, the rules, the rows and the footer lie, which rows each page takes, the page count the
// footer shows, an empty text, and margins that leave no room.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "PrintSetup.h"
#include "TestPrinter.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/Gdi.h"

namespace {

using pw::win32::PrintDocument;

// What a page's metafile draws: its lines of text (the pieces at one height joined) with where
// each starts, and its solid fills, in the page's logical units.
struct Drawn {
    std::map<int, std::pair<int, std::wstring>> lines;      // y: (x, text)
    std::vector<std::pair<std::wstring, COLORREF>> pieces;  // each text drawn, in its colour
    std::vector<RECT> fills;
    COLORREF color = 0;

    // Where the line with `text` starts; nothing when no line has it.
    std::optional<POINT> Find(const std::wstring& text) const {
        for (const auto& [y, line] : lines)
            if (line.second == text)
                return POINT{line.first, y};
        return std::nullopt;
    }
};

int CALLBACK Record(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data) {
    auto& drawn = *reinterpret_cast<Drawn*>(data);
    if (record->iType == EMR_SETTEXTCOLOR)
        drawn.color = reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor;
    if (record->iType != EMR_EXTTEXTOUTW)
        return 1;
    const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
    const auto* chars =
        reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + out->emrtext.offString);
    if (out->emrtext.nChars > 0)
        drawn.pieces.emplace_back(std::wstring(chars, out->emrtext.nChars), drawn.color);
    if (out->emrtext.nChars > 0)
        drawn.lines.try_emplace(out->emrtext.ptlReference.y, out->emrtext.ptlReference.x, L"")
            .first->second.second += std::wstring(chars, out->emrtext.nChars);
    else if (out->emrtext.fOptions & ETO_OPAQUE)
        drawn.fills.push_back(RECT{out->emrtext.rcl.left, out->emrtext.rcl.top, out->emrtext.rcl.right,
                                   out->emrtext.rcl.bottom});
    return 1;
}

class PrintDocumentTest : public PrintSetup {
protected:
    void SetUp() override {
        PrintSetup::SetUp();
        printer.Reset(CreateTestPrinterDC());
        ASSERT_TRUE(printer);
    }
    PrintDocument Document(pw::win32::RowSpan rows = {}) {
        return PrintDocument(ctrl, view.GetPrintOptions(), view.GetBandFonts(), L"doc.cpp", printer.Get(),
                             rows, [](DateTimeForm) { return std::wstring(L"NOW"); });
    }
    // The page recorded as the preview records it, in a frame of kFrame hundredths of an inch;
    // nothing drawn when it does not print.
    Drawn Page(PrintDocument& document, int page, bool* printed = nullptr) {
        const pw::win32::EnhMetaFile picture = Record(document, page, printed);
        Drawn drawn;
        EnumEnhMetaFile(nullptr, picture.Get(), ::Record, &drawn, nullptr);
        return drawn;
    }
    pw::win32::EnhMetaFile Record(PrintDocument& document, int page, bool* printed = nullptr) {
        const RECT frame{0, 0, kFrame.cx * 254 / 10, kFrame.cy * 254 / 10};  // in .01 mm
        HDC recorder = CreateEnhMetaFileW(printer.Get(), nullptr, &frame, nullptr);
        const bool ok = document.PrintPage(recorder, page);
        if (printed)
            *printed = ok;
        return pw::win32::EnhMetaFile(CloseEnhMetaFile(recorder));
    }
    static constexpr SIZE kFrame{800, 1100};

    pw::win32::DeviceContext printer;
};

TEST_F(PrintDocumentTest, HeaderRuleRowsRuleFooterFromTheMarginsIn) {
    ctrl.SetOption(EditorOptions::kLineNumbers, false, false);
    NumberedRows(3);
    PrintDocument document = Document();
    const Drawn page = Page(document, 1);
    const std::optional<POINT> title = page.Find(L"doc.cpp  NOW NOW");
    const std::optional<POINT> first = page.Find(L"row 1");
    const std::optional<POINT> footer = page.Find(L"Page 1 of *");  // no count was asked for
    ASSERT_TRUE(title && first && footer);
    const int margin = static_cast<int>(view.GetPrintOptions().MarginDevice(CQELPrintOptions::kTop, 100));
    EXPECT_EQ(title->y, margin);
    EXPECT_EQ(title->x, margin);
    ASSERT_EQ(page.fills.size(), 2U);
    const RECT& below = page.fills[0];  // the header's rule
    const RECT& above = page.fills[1];  // the footer's
    EXPECT_EQ(below.bottom - below.top, PrintDocument::kRuleWidth);
    EXPECT_GT(below.top, title->y);
    EXPECT_EQ(first->y, below.bottom + PrintDocument::kTextGap);
    EXPECT_EQ(first->x, margin);
    EXPECT_LT(page.Find(L"row 3")->y, above.top);
    EXPECT_EQ(above.bottom + 3, footer->y);
    EXPECT_EQ(below.left, margin);
    EXPECT_EQ(above.right, below.right);

    // Played into a 300 dpi bitmap: the rule is solid black across the margins, paper above it
    // (a pixel kept clear of each edge for the scaling's rounding).
    pw::win32::DibSection sheet(kFrame.cx * 3, kFrame.cy * 3);
    ASSERT_TRUE(sheet);
    sheet.Dc().FillSolid(RECT{0, 0, sheet.Width(), sheet.Height()}, RGB(255, 255, 255));
    const RECT all{0, 0, sheet.Width(), sheet.Height()};
    PlayEnhMetaFile(sheet.Dc(), Record(document, 1).Get(), &all);
    int black = 0, paper = 0, ink = 0;
    for (int x = 3 * below.left + 2; x < 3 * below.right - 2; ++x) {
        for (int y = 3 * below.top + 1; y < 3 * below.bottom - 1; ++y)
            black += sheet.Pixel(x, y) == RGB(0, 0, 0);
        paper += sheet.Pixel(x, 3 * below.top - 3) == RGB(255, 255, 255);
    }
    for (int y = 3 * title->y; y < 3 * below.top; ++y)
        for (int x = 3 * title->x; x < 3 * title->x + 60; ++x) ink += sheet.Pixel(x, y) != RGB(255, 255, 255);
    const int width = 3 * (below.right - below.left) - 4;
    EXPECT_EQ(black, width * (3 * PrintDocument::kRuleWidth - 2));
    EXPECT_EQ(paper, width);
    EXPECT_GT(ink, 0);
}

// Every row printed once, in order and numbered, across the pages counted, each footer with the
// count; of a selection, its rows alone.
TEST_F(PrintDocumentTest, PagesCountedTakeEveryRowOnce) {
    NumberedRows(150);
    view.GetPrintOptions().header.SetFormatString(L"");
    for (const pw::win32::RowSpan rows :
         {pw::win32::RowSpan{}, pw::win32::RowSpan{40, 120}}) {  // all, a selection
        PrintDocument document = Document(rows);
        ASSERT_TRUE(document.NeedsCount());
        const std::optional<int> count = document.CountPages();
        ASSERT_TRUE(count);
        ASSERT_GT(*count, 1);
        int next = rows.first;
        for (int number = 1; number <= *count; ++number) {
            const Drawn page = Page(document, number);
            const std::wstring footer =
                L"Page " + std::to_wstring(number) + L" of " + std::to_wstring(*count);
            EXPECT_TRUE(page.Find(footer)) << number;
            for (const auto& [y, line] : page.lines)
                if (line.second.rfind(L"row ", 0) == 0) {
                    // The row's number is drawn after its text, to its left.
                    EXPECT_EQ(line.second, L"row " + std::to_wstring(next) + std::to_wstring(next)) << number;
                    ++next;
                }
        }
        EXPECT_EQ(next, std::min(rows.last, 150) + 1);
        EXPECT_FALSE(document.PageExists(*count + 1));
    }
}

// The rows carry their syntax colours; black and white prints them as greys.
TEST_F(PrintDocumentTest, RowsInTheirColoursOrGreys) {
    ctrl.SetOption(EditorOptions::kLineNumbers, false, false);
    ASSERT_TRUE(SetControlText(ctrl, L"int x; // note"));
    for (bool greys : {false, true}) {
        view.GetPrintOptions().blackWhite = greys;
        PrintDocument document = Document();
        const Drawn page = Page(document, 1);
        std::map<std::wstring, COLORREF> colors(page.pieces.begin(), page.pieces.end());
        ASSERT_TRUE(colors.count(L"int") && colors.count(L"// note")) << greys;
        EXPECT_NE(colors[L"int"], colors[L"// note"]);
        for (const COLORREF color : {colors[L"int"], colors[L"// note"]})
            EXPECT_EQ(greys, GetRValue(color) == GetGValue(color) && GetGValue(color) == GetBValue(color))
                << std::hex << color;
    }
}

TEST_F(PrintDocumentTest, AnEmptyTextIsOnePageWithItsBands) {
    ASSERT_TRUE(SetControlText(ctrl, L""));
    PrintDocument document = Document();
    EXPECT_EQ(document.CountPages(), 1);
    const Drawn page = Page(document, 1);
    EXPECT_TRUE(page.Find(L"doc.cpp  NOW NOW") && page.Find(L"Page 1 of 1"));
    EXPECT_EQ(page.lines.size(), 2U);
    EXPECT_FALSE(document.PageExists(2));
}

TEST_F(PrintDocumentTest, MarginsWithoutRoomForARowFailThePage) {
    NumberedRows(3);
    for (CQELPrintOptions::Side side : {CQELPrintOptions::kTop, CQELPrintOptions::kBottom})
        view.GetPrintOptions().SetMargin(side, 14000);  // over half the sheet each, in either measure
    PrintDocument document = Document();
    bool printed = true;
    Page(document, 1, &printed);
    EXPECT_FALSE(printed);
    EXPECT_TRUE(document.Failed());
    EXPECT_FALSE(document.CountPages());
}

}  // namespace
