// Rows on paper through a surface that writes down what it is asked, in a fixed-width font (8
// pixels, 10 in bold, rows 16 high, continuation lines 24 in): wrapping, clipping, measuring
// only, rows that do not fit, narrow pages, the fold's marker, and hidden rows in the rows loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "editor/Folds.h"
#include "editor/InkSurface.h"
#include "editor/RowPrinter.h"
#include "editor/ScreenTesting.h"

namespace {

// The page as the printer leaves it: each line's text from its first x on ("x text"), a marker
// as "[left-right]", a fill wiping the lines it covers.
class PaperSurface : public PrintSurface {
public:
    FontMetrics Metrics() const override { return {16, 8, 8}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.clear();
        for (size_t i = 1; i <= text.size(); ++i) ends.push_back(static_cast<int>(i) * (bold_ ? 10 : 8));
    }
    void SelectFont(int weight, int, int) override { bold_ = weight == 700; }
    void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect&) override {
        Write(x, y, text);
        colors.push_back(color);
    }
    void DrawLine(const Line& line) override { lines.push_back(line); }
    void DrawMarker(const PixelRect& r, std::wstring_view) override {
        Write(r.left, r.top, L"[" + std::to_wstring(r.left) + L"-" + std::to_wstring(r.right) + L"]");
    }
    void FillBackground(const PixelRect& r) override {
        page.erase(page.lower_bound(r.top), page.lower_bound(r.bottom));
    }

    void Write(int x, int y, std::wstring_view text) {
        std::wstring& line = page[y];
        line += (line.empty() ? std::to_wstring(x) + L" " : L"") + std::wstring(text);
    }
    std::wstring Page() const {
        std::wstring lines;
        for (const auto& [y, line] : page) lines += (lines.empty() ? L"" : L"|") + line;
        return lines;
    }
    std::map<int, std::wstring> page;
    std::vector<PrintSurface::Line> lines;
    std::vector<int32_t> colors;

private:
    bool bold_ = false;
};

// One piece over the text; a '^' in it marks a fold's cut, the marker showing "{...}".
PlannedRow RowOf(std::wstring text) {
    PlannedRow row;
    const size_t cut = text.find(L'^');
    if (cut != std::wstring::npos) {
        text.erase(cut, 1);
        row.cut = static_cast<int>(cut);
        row.collapsedText = L"{...}";
    }
    row.text = text;
    row.layout = CQELPenwrightTextLayout().LayoutCells(text);
    if (const auto end = static_cast<int32_t>(std::min(cut, text.size())))
        row.pieces.push_back({0, end, false, 0x111111, 0xFFFFFF});
    return row;
}

constexpr int kWholePage = 0x10000;  // print with clipAtBottom

TEST(RowPrinter, WrapsClipsMeasuresAndGivesUp) {
    using namespace PrintFlag;
    const std::wstring words = L"one two three four five";
    struct Case {
        std::wstring text;
        int width, bottom, flags, height;
        std::wstring page;
    } const cases[] = {
        {words, 100, 160, 0, 48, L"0 one two th|24 ree fou|24 r five"},
        {words, 100, 160, kWrapAtBreaks, 64, L"0 one two |24 three |24 four |24 five"},
        {L"a(b)cdefghijklm", 100, 160, kWrapAtBreaks, 48, L"0 a(b)|24 cdefghi|24 jklm"},
        {words, 100, 160, kNeverWrap, 16, L"0 one two th"},
        {words, 100, 160, kMeasureOnly, 48, L""},
        {words, 100, 32, 0, RowPrinter::kDoesNotFit, L""},  // wiped
        {words, 100, 32, kWholePage, 32, L"0 one two th|24 ree fou"},
        {L"abc", 5, 160, 0, 48, L"0 a|24 b|24 c"},  // narrower than a character
        {L"", 100, 160, 0, 16, L""},
        {L"a\tb", 100, 160, 0, 16, L"0 a   b"},
        {L"int f() ^{ return 1; }", 400, 160, 0, 16, L"0 int f() [64-107]"},
        {L"int f() ^{ return 1; }", 100, 160, 0, 32, L"0 int f() |24 [24-67]"},
    };
    for (const Case& c : cases) {
        PaperSurface paper;
        RowPrinter printer(paper, c.flags & ~kWholePage, false);
        EXPECT_EQ(printer.Print(RowOf(c.text), {0, 0, c.width, c.bottom}, c.flags & kWholePage), c.height)
            << c.page;
        EXPECT_EQ(paper.Page(), c.page);
        EXPECT_EQ(paper.lines.empty(), (c.flags & kMeasureOnly) || c.height == 16) << c.page;
    }
}

// Runs go on where the last ended, each in its own font and colour: the bold one leaves room
// for one more character only. The wrap mark stands 3 pixels after the text (h = 12, m = 6).
TEST(RowPrinter, RunsContinueOnTheLine) {
    PlannedRow row = RowOf(L"ab cd ef");
    row.pieces = {{0, 3, false, 1, 0}, {3, 6, false, 2, 0, 700}, {6, 8, false, 3, 0}};
    PaperSurface paper;
    EXPECT_EQ(RowPrinter(paper, 0, false).Print(row, {0, 0, 88, 160}, false), 32);
    EXPECT_EQ(paper.Page(), L"0 ab cd e|24 f");
    EXPECT_EQ(paper.colors, (std::vector<int32_t>{1, 2, 3, 3}));
    EXPECT_EQ(paper.lines,
              (std::vector<PrintSurface::Line>{{65, 6, 65, 12, 1}, {65, 12, 70, 12, 1}, {66, 11, 71, 6, 2}}));
}

// At any width every character is printed once and in order, each line holding what fits in
// the width less the reserve, or one character (a surrogate pair) when nothing does.
TEST(RowPrinter, EveryLineMakesProgress) {
    const std::wstring text = L"int main() { return a+b; } // \xD83D\xDE00 the end, really!";
    for (int flags : {0, PrintFlag::kWrapAtBreaks})
        for (int width = 1; width < 120; width += 7) {
            PaperSurface paper;
            const int height =
                RowPrinter(paper, flags, false).Print(RowOf(text), {0, 0, width, 1 << 20}, false);
            std::wstring printed;
            for (const auto& [y, line] : paper.page) {
                const std::wstring part = line.substr(line.find(L' ') + 1);
                EXPECT_TRUE(std::stoi(line) + 8 * static_cast<int>(part.size()) <=
                                width - RowPrinter::kReserve ||
                            part.size() == 1 || part == text.substr(printed.size(), 2));
                EXPECT_NE(part.back(), L'\xD83D') << width;  // a pair stays whole
                printed += part;
            }
            EXPECT_EQ(printed, text) << width;
            EXPECT_EQ(height, 16 * static_cast<int>(paper.page.size())) << width;
        }
}

TEST(PrintRows, ConsumeHiddenRowsAndStopWhereARowNoLongerFits) {
    Screen s;
    s.core.GetParser().ParseAll(*s.buffer, true);
    Folds::Collapse(s.buffer->GetLineMarks(), s.BlockOn(4));
    struct Case {
        int first, width, bottom, consumed;
        std::wstring page;
        int last = INT_MAX;
    } const cases[] = {
        {1, 400, 48, 3, L"0 int f() {|0     /* note */ return 1;|0 }"},
        {4, 400, 48, 4, L"0 int g() [64-107]|0 // end"},  // the fold's rows go with it
        {4, 400, 16, 3, L"0 int g() [64-107]"},           // ... also at a page's end
        {5, 400, 48, 3, L"0 // end"},                     // a page starting inside the fold
        {1, 100, 48, 1, L"0 int f() {"},                  // row 2 needs three lines
        {2, 100, 32, 1, L"0     /* not|24 e */ re"},      // ... and is cut off at a whole page's end
        {8, 400, 48, 0, L""},
        {0, 400, 48, 0, L""},
        {1, 400, 15, 0, L""},
        {1, 400, 48, 2, L"0 int f() {|0     /* note */ return 1;", 2},  // a selection's rows alone
        {4, 400, 48, 1, L"0 int g() [64-107]", 4},
    };
    for (const Case& c : cases) {
        PaperSurface paper;
        PrintRowsRequest request{{}, c.first, {0, 0, c.width, c.bottom}, 0, false};
        request.lastRow = c.last;
        EXPECT_EQ(PrintRows(s.core, paper, request), c.consumed) << c.first;
        EXPECT_EQ(paper.Page(), c.page) << c.first;
    }
}

// Numbers stand right-aligned before the text (written after it here: "text" then "number"), in
// their own colour, numbering the rows shown; measuring draws none.
TEST(PrintRows, LineNumbersBeforeTheText) {
    Screen s;
    s.core.GetParser().ParseAll(*s.buffer, true);
    Folds::Collapse(s.buffer->GetLineMarks(), s.BlockOn(4));
    PrintRowsRequest request{{}, 3, {0, 0, 400, 48}, 0, false, true};
    request.colors.lineNumberText.custom = 0x123456;
    PaperSurface paper;
    EXPECT_EQ(PrintRows(s.core, paper, request), 5);
    EXPECT_EQ(paper.Page(), L"22 }3|22 int g() [86-129]4|22 // end7");
    EXPECT_EQ(std::count(paper.colors.begin(), paper.colors.end(), 0x123456), 3);
    request.flags = PrintFlag::kMeasureOnly;
    PaperSurface measured;
    EXPECT_EQ(PrintRows(s.core, measured, request), 5);
    EXPECT_EQ(measured.Page(), L"");
}

// On paper colours too light to read are darkened, keeping their hue; in black and white each
// colour becomes the grey of its brightness, black as dark as the contrast allows.
TEST(PrintRows, InkReadsOnPaper) {
    struct Case {
        int32_t color;
        int contrast;
        int32_t ink;
    } const cases[] = {
        {0x000000, -1, 0x000000},  {0x0000FF, -1, 0x0000FF},   // dark enough: as it is
        {0xD4D4D4, -1, 0x969696},  {0x00FFFF, -1, 0x00AAAA},   // light grey, yellow: darkened
        {0x000000, 0, 0x000000},   {0x0000FF, 0, 0x4C4C4C},    // greys by brightness
        {0xFFFFFF, 0, 0x969696},   {0x000000, 128, 0x808080},  // the lightest ink, the darkest grey
        {0x000000, 300, 0xFFFFFF},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InkOnPaper(c.color, c.contrast), c.ink) << c.color << " " << c.contrast;

    Screen s;
    s.core.GetParser().ParseAll(*s.buffer, true);
    PrintRowsRequest request{{}, 1, {0, 0, 400, 160}, 0, false, true, 64};
    request.colors.lineNumberText.custom = 0x0000FF;
    PaperSurface paper;
    PrintRows(s.core, paper, request);
    ASSERT_FALSE(paper.colors.empty());
    for (int32_t color : paper.colors) {
        EXPECT_EQ(color & 0xFF, (color >> 8) & 0xFF);
        EXPECT_EQ(color & 0xFF, color >> 16);
        EXPECT_GE(color & 0xFF, 64);
    }
}

// A megabyte in one row prints as far as a page goes, wrapped or cut off.
TEST(PrintRows, HugeRowFillsOnePage) {
    QuietWindow window;
    EditorCore core(window, MakeBuffer({std::wstring(1 << 20, L'x'), L"next"}), nullptr);
    for (int flags : {0, PrintFlag::kWrapAtBreaks, PrintFlag::kNeverWrap}) {
        PaperSurface paper;
        const bool clipped = flags == PrintFlag::kNeverWrap;
        EXPECT_EQ(PrintRows(core, paper, {{}, 1, {0, 0, 800, 1600}, flags, false}), clipped ? 2 : 1);
        EXPECT_EQ(paper.page.size(), clipped ? 2U : 100U);
    }
}

}  // namespace
