// Text layout with a measurer that needs no screen: tab stops, white-space marks, the columns
// and pixels of a row as far as it shows, and the margins that place the text area.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/Margins.h"
#include "editor/TextLayout.h"

namespace {

// A proportional font: 'W' is wider than the rest. Counts what it was asked to measure.
class FakeMeasurer : public TextMeasurer {
public:
    FontMetrics Metrics() const override { return {16, 8, 6}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.clear();
        int x = 0;
        for (wchar_t c : text) ends.push_back(x += Width(c));
        measured += text.size();
    }
    static int Width(wchar_t c) { return c == L'W' ? 13 : 7; }
    mutable size_t measured = 0;
};

CQELPenwrightTextLayout Layout(const FakeMeasurer& m, int tabSize, int width) {
    CQELPenwrightTextLayout layout;
    layout.SetFont(&m);
    layout.SetTabSize(tabSize);
    layout.SetTextRect({0, 0, width, 480});
    return layout;
}

TEST(TextLayout, TabsFillCellsToTheNextStop) {
    struct Case {
        std::wstring text;
        int tabSize;
        std::vector<int64_t> cells;  // where each character starts, then the row's end
    };
    const Case cases[] = {
        {L"ab\tc", 4, {0, 1, 2, 4, 5}},  // a tab in the third column fills the third and fourth
        {L"\t\t", 4, {0, 4, 8}},        {L"abcd\tx", 4, {0, 1, 2, 3, 4, 8, 9}},
        {L"a\tb", 1, {0, 1, 2, 3}},     {L"a\tb", 8, {0, 1, 8, 9}},
    };
    FakeMeasurer m;
    for (const Case& c : cases) {
        CQELPenwrightTextLayout layout = Layout(m, c.tabSize, 2000);
        RowLayout row = layout.LayoutRow(c.text);
        ASSERT_TRUE(row.IsComplete());
        for (size_t i = 0; i < c.cells.size(); ++i)
            EXPECT_EQ(row.CellOfChar(static_cast<int>(i)), c.cells[i]) << c.text.size() << " char " << i;
    }
}

TEST(TextLayout, DisplayTextShowsWhiteSpaceMarks) {
    FakeMeasurer m;
    CQELPenwrightTextLayout layout = Layout(m, 4, 2000);
    const std::wstring text = L"a\tb c";
    RowLayout row = layout.LayoutRow(text);
    EXPECT_EQ(row.DisplayText(text, 0, 5, true), L"a\u00BB  b\u00B7c");
    EXPECT_EQ(row.DisplayText(text, 0, 5, false), L"a   b c");
    EXPECT_EQ(row.DisplayText(text, 1, 3, false), L"   b");
}

// Characters take the measured widths, tab cells the space width; a cell's x and the cell at
// that x agree everywhere, also inside tabs and in virtual space past the row's end.
TEST(TextLayout, CellsAndPixelsAreInverse) {
    FakeMeasurer m;
    CQELPenwrightTextLayout layout = Layout(m, 4, 2000);
    const std::wstring text = L"Wa\tWW\t\tb";
    RowLayout row = layout.LayoutRow(text);
    int64_t x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(row.XOfChar(static_cast<int>(i)), x);
        const int64_t cells = row.CellOfChar(static_cast<int>(i) + 1) - row.CellOfChar(static_cast<int>(i));
        x += text[i] == L'\t' ? cells * m.Metrics().spaceWidth : FakeMeasurer::Width(text[i]);
    }
    EXPECT_EQ(row.XOfChar(static_cast<int>(text.size())), x);
    for (int64_t cell = 0; cell < 40; ++cell) {
        EXPECT_EQ(row.CellAtX(row.XOfCell(cell)), cell) << cell;
        EXPECT_LE(row.XOfCell(cell), row.XOfCell(cell + 1));
    }
    EXPECT_EQ(row.CellAtX(-5), 0);
}

// Only what shows is measured: a row of a million characters or tabs costs its visible part,
// and the positions of a row wider than 2^31 pixels do not overflow.
TEST(TextLayout, LongRowsAreMeasuredToTheVisibleEdge) {
    FakeMeasurer m;
    const std::wstring tabs(1000000, L'\t');
    CQELPenwrightTextLayout layout = Layout(m, 256, 800);
    RowLayout row = layout.LayoutRow(tabs);
    EXPECT_FALSE(row.IsComplete());
    EXPECT_LE(row.LaidOut(), 2);
    EXPECT_EQ(m.measured, 0u);
    const int64_t lastCell = int64_t{256} * 1000000;
    EXPECT_EQ(row.XOfCell(lastCell), lastCell * m.Metrics().spaceWidth);
    EXPECT_LT(row.DisplayText(tabs, 0, 1000000, false).size(), 1000u);

    layout.SetHorzOffset(int64_t{3} << 32);  // scrolled far right: still laid out up to the edge
    row = layout.LayoutRow(L"ab");
    EXPECT_TRUE(row.IsComplete());

    const std::wstring letters(1000000, L'a');
    layout.SetHorzOffset(0);
    m.measured = 0;
    row = layout.LayoutRow(letters);
    EXPECT_FALSE(row.IsComplete());
    EXPECT_EQ(row.LaidOut(), 800 / 7 + 1);
    EXPECT_LE(m.measured, 1000u);
    EXPECT_EQ(row.CharAt(row.XOfChar(50) + 3), 50);
}

TEST(TextLayout, MetricsNeverDivideByZero) {
    CQELPenwrightTextLayout layout;
    layout.SetTextRect({0, 0, 100, 50});
    EXPECT_EQ(layout.GetRowHeight(), 1);
    EXPECT_EQ(layout.RowsPerPage(), 50);
    layout.SetHorzOffset(-4);
    EXPECT_EQ(layout.GetHorzOffset(), 0);
    EXPECT_EQ(layout.LayoutRow(L"abc").XOfChar(3), 3);  // one character width each without a font
}

TEST(Margins, LineNumbersHaveRoomForTheDigitsAndOneMore) {
    struct Case {
        int rows;
        int width;
    };
    const Case cases[] = {{0, 2 * 8 + 2},  {1, 2 * 8 + 2},   {9, 2 * 8 + 2},          {10, 3 * 8 + 2},
                          {99, 3 * 8 + 2}, {100, 4 * 8 + 2}, {2147483647, 11 * 8 + 2}};
    for (const Case& c : cases)
        EXPECT_EQ(EditMargins::Compute(false, true, false, c.rows, 8).lineNumbers, c.width) << c.rows;
}

TEST(Margins, RectanglesLieSideBySide) {
    EXPECT_EQ(EditMargins::Compute(false, false, false, 50, 8).TextLeft(), 4);
    const EditMargins m = EditMargins::Compute(true, true, true, 50, 8);
    EXPECT_EQ(m.TextLeft(), 20 + 26 + 10 + 4);
    const PixelRect area{5, 7, 500, 300};
    const EditRects r = EditRects::Compute(area, m);
    EXPECT_EQ(r.selMargin, (PixelRect{5, 7, 25, 300}));
    EXPECT_EQ(r.lineNumbers, (PixelRect{25, 7, 51, 300}));
    EXPECT_EQ(r.nodeColumn, (PixelRect{51, 7, 61, 300}));
    EXPECT_EQ(r.text, (PixelRect{65, 7, 500, 300}));
}

}  // namespace
