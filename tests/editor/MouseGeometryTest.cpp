// Where the mouse is: auto-scroll amounts around the text, the tooltip of a fold, and what lies
// under a point of a window with margins, folds, tabs and nodes.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "editor/AutoScroll.h"
#include "editor/EditorTesting.h"
#include "editor/FoldTooltip.h"
#include "editor/Folds.h"
#include "editor/HitTest.h"
#include "parser/ParseTesting.h"

namespace {

// ---- auto-scroll ----

TEST(AutoScroll, Amounts) {
    const PixelRect text{0, 0, 400, 320};
    struct Case {
        PixelRect rect;
        int x, y;
        int flags, rows, columns;
    };
    const Case cases[] = {
        {text, 200, 160, 0, 0, 0},
        {text, 200, 10, AutoScroll::kUp, -1, 0},   // inside the top band
        {text, 200, -8, AutoScroll::kUp, -4, 0},   // half a row height above
        {text, 200, -24, AutoScroll::kUp, -6, 0},  // one and a half row heights above
        {text, 200, 16, 0, 0, 0},                  // just below the band
        {text, 200, 304, 0, 0, 0},                 // just above the bottom band
        {text, 200, 305, AutoScroll::kDown, 1, 0},
        {text, 200, 400, AutoScroll::kDown, 13, 0},
        {text, -1, 160, AutoScroll::kLeft, 0, -1},
        {text, -20, 160, AutoScroll::kLeft, 0, -6},
        {text, 392, 160, 0, 0, 0},
        {text, 393, 160, AutoScroll::kRight, 0, 1},
        {text, 500, 160, AutoScroll::kRight, 0, 28},
        {text, -20, 400, AutoScroll::kLeft | AutoScroll::kDown, 13, -6},
        {{0, 0, 400, 40}, 200, -1, AutoScroll::kUp, -3, 0},  // the band is a quarter of a low area
        {{0, 0, 400, 8}, 200, -1, AutoScroll::kUp, -4, 0},
        {{0, 0, 400, 7}, 200, -100, 0, 0, 0},  // too low to scroll up or down
        {{0, 0, 7, 320}, -100, 160, 0, 0, 0},  // too narrow to scroll sideways
        {{0, 0, 0, 0}, INT_MIN, INT_MAX, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const AutoScroll::Amount a = AutoScroll::Direction(c.rect, 16, 8, c.x, c.y);
        EXPECT_EQ(a.flags, c.flags) << c.x << "," << c.y << " in height " << c.rect.bottom;
        EXPECT_EQ(a.rows, c.rows) << c.x << "," << c.y << " in height " << c.rect.bottom;
        EXPECT_EQ(a.columns, c.columns) << c.x << "," << c.y << " in width " << c.rect.right;
    }
}

// Any rectangle, metrics and point: a flag exactly when there is an amount of its sign, and the
// amounts grow (or shrink towards up and left) as the pointer goes down and right.
TEST(AutoScroll, FartherNeverSlowerAndFlagsMatchAmounts) {
    std::mt19937 random(5);
    auto any = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int i = 0; i < 20000; ++i) {
        const PixelRect text{any(-50, 50), any(-50, 50), any(-50, 500), any(-50, 500)};
        const int rowHeight = any(-2, 40), charWidth = any(-2, 20), x = any(-600, 600), y = any(-600, 600);
        const AutoScroll::Amount a = AutoScroll::Direction(text, rowHeight, charWidth, x, y);
        const AutoScroll::Amount up = AutoScroll::Direction(text, rowHeight, charWidth, x - 1, y - 1);
        const AutoScroll::Amount down = AutoScroll::Direction(text, rowHeight, charWidth, x + 1, y + 1);
        EXPECT_EQ((a.flags & AutoScroll::kUp) != 0, a.rows < 0);
        EXPECT_EQ((a.flags & AutoScroll::kDown) != 0, a.rows > 0);
        EXPECT_EQ((a.flags & AutoScroll::kLeft) != 0, a.columns < 0);
        EXPECT_EQ((a.flags & AutoScroll::kRight) != 0, a.columns > 0);
        EXPECT_LE(up.rows, a.rows);
        EXPECT_LE(up.columns, a.columns);
        EXPECT_GE(down.rows, a.rows);
        EXPECT_GE(down.columns, a.columns);
    }
}

// ---- fold tooltip ----

TEST(FoldTooltip, HiddenTextWithTheLastRowsIndentationTakenOff) {
    struct Case {
        Rows rows;
        CollapsibleBlock block;
        const wchar_t* tip;
    };
    const Case cases[] = {
        {{L"if (x) {", L"    a;", L"}"}, {{1, 7}, {3, 0}, L""}, L"{\r\n    a;\r\n}"},  // nothing to take off
        {{L"  f {", L"    a;", L"  }"}, {{1, 4}, {3, 2}, L""}, L"{\r\n  a;\r\n}"},
        {{L"\t{", L"x", L"\t}"}, {{1, 1}, {3, 1}, L""}, L"{\r\nx\r\n}"},
        {{L"\t{", L"    a", L"\t}"}, {{1, 1}, {3, 1}, L""}, L"{\r\n    a\r\n}"},  // spaces are not a tab
        {{L"{", L"    a", L"  }"}, {{1, 0}, {3, 2}, L""}, L"{\r\n  a\r\n}"},      // taken off once
        {{L"{", L"  ", L"  }"}, {{1, 0}, {3, 2}, L""}, L"{\r\n\r\n}"},
        {{L"ab {", L"c }", L"d"}, {{1, 3}, {2, 2}, L""}, L"{\r\nc }"},
        {{L"ab", L"cd"}, {{0, -5}, {99, 99}, L""}, L"ab\r\ncd"},
        {{L"ab", L"cd"}, {{1, 9}, {INT_MAX, INT_MAX}, L""}, L"\r\ncd"},
        {{L"ab", L"cd"}, {{2, 0}, {1, 0}, L""}, L"c"},
        {{L"ab", L"cd"}, {{INT_MIN, INT_MIN}, {INT_MIN, INT_MIN}, L""}, L""},
        {{L""}, {{1, 0}, {1, 0}, L""}, L""},
    };
    for (const Case& c : cases) {
        const Buffer buffer = MakeBuffer(c.rows);
        EXPECT_EQ(FoldTooltip::Text(*buffer, c.block), c.tip) << c.rows.front();
    }
}

TEST(FoldTooltip, AtMostSoManyRowsAndCharacters) {
    Rows many(400, L"\tx;");
    many.front() = L"{";
    const Buffer rows = MakeBuffer(many);
    const std::wstring tip = FoldTooltip::Text(*rows, {{1, 0}, {400, 2}, L""});
    EXPECT_EQ(std::count(tip.begin(), tip.end(), L'\n'), FoldTooltip::kMaxRows - 1);
    EXPECT_EQ(tip.substr(0, 9), L"{\r\nx;\r\nx;");  // indented like the last row taken

    const Buffer wide = MakeBuffer(Rows(5, std::wstring(10000, L'w') + L"\xD83D\xDE00"));
    for (int col : {0, 1}) {
        const std::wstring cut = FoldTooltip::Text(*wide, {{1, col}, {5, 10001}, L""});
        EXPECT_LE(cut.size(), FoldTooltip::kMaxLength);
        EXPECT_GE(cut.size(), FoldTooltip::kMaxLength - 1);
        EXPECT_FALSE(cut.back() >= 0xD800 && cut.back() <= 0xDBFF) << "half a pair at the end";
    }
}

// ---- hit test ----

// Folded: row 4's block, so that screen rows show rows 1, 2, 3, 4 and 7.
const Rows kCode{L"int f() {", L"\t/* note */ return 1;", L"}", L"int g() {", L"    return 2;", L"}",
                 L"// end"};

struct Hitting {
    Hitting() : buffer(BufferWith(kCode, L".cpp")), core(window, buffer, nullptr) {
        EXPECT_TRUE(core.GetParser().SetTextSchema(ShippedSchema(L"cpp.pws").get()));
        core.GetParser().ParseAll(*buffer, true);
        std::vector<CollapsibleBlock> blocks;
        core.GetParser().GetCurrentSchema()->GetCollapsibleBlocks(4, blocks, nullptr);
        EXPECT_EQ(blocks.size(), 1u);
        fold = blocks.empty() ? CollapsibleBlock{} : blocks.front();
        Folds::Collapse(buffer->GetLineMarks(), fold);
    }
    MeasuredWindow window;
    Buffer buffer;
    EditorCore core;
    CollapsibleBlock fold;
};

std::string Describe(const HitResult& h) {
    static const char* const areas[] = {"S", "L", "N", "T"};
    std::string out = std::string(areas[static_cast<int>(h.area)]) + " s" + std::to_string(h.screenRow) +
                      " r" + std::to_string(h.row) + " c" + std::to_string(h.col) + " p" +
                      std::to_string(h.pos);
    if (h.onNodeBox)
        out += " box";
    if (h.onFoldMarker)
        out += " marker";
    return out;
}

TEST(HitTest, PointsOfTheWindow) {
    struct Case {
        const char* setup;  // v: virtual columns; h: scrolled right by two characters
        char from;  // x counts from the left of: S, L, N the margins, T the text, R the text's right edge
        int dx, y;
        const char* hit;
    };
    const int marker = 5 * 8 + 3;  // "{...}" and the marker's room, past "int g() "
    const Case cases[] = {
        {"", 'S', 2, 20, "S s2 r2 c1 p1"},
        {"", 'L', 2, 20, "L s2 r2 c1 p1"},
        {"", 'N', 5, 8, "N s1 r1 c1 p1 box"},
        {"", 'N', 5, 1, "N s1 r1 c1 p1"},       // above the box
        {"", 'N', 0, 8, "N s1 r1 c1 p1"},       // left of it
        {"", 'N', 5, 24, "N s2 r2 c1 p1"},      // inside a block: no box
        {"", 'N', 5, 56, "N s4 r4 c1 p1 box"},  // folded
        {"", 'T', -2, 8, "T s1 r1 c1 p1"},      // the gap before the text
        {"", 'T', 3 * 8 + 3, 8, "T s1 r1 c4 p4"},
        {"", 'T', 3 * 8 + 5, 8, "T s1 r1 c5 p5"},  // nearer the next character
        {"", 'T', 8, -10, "T s1 r1 c2 p2"},
        {"", 'T', 8, 200, "T s5 r7 c2 p2"},
        {"", 'T', 8, 79, "T s5 r7 c2 p2"},
        {"", 'T', 2, 24, "T s2 r2 c1 p1"},
        {"", 'T', 10, 24, "T s2 r2 c5 p2"},  // inside the tab: after it
        {"", 'T', 40, 24, "T s2 r2 c6 p3"},
        {"", 'T', 15 * 8, 40, "T s3 r3 c2 p2"},  // past the row's end
        {"v", 'T', 15 * 8, 40, "T s3 r3 c16 p16"},
        {"", 'R', 50, 8, "T s1 r1 c10 p10"},
        {"v", 'R', 50, 8, "T s1 r1 c74 p74"},  // the last column inside the text
        {"h", 'T', 2, 8, "T s1 r1 c3 p3"},
        {"", 'T', 7 * 8 + 3, 56, "T s4 r4 c8 p8"},
        {"", 'T', 8 * 8 + 2, 56, "T s4 r4 c9 p9 marker"},
        {"v", 'T', 8 * 8 + marker - 1, 63, "T s4 r4 c9 p9 marker"},
        {"v", 'T', 8 * 8 + marker, 56, "T s4 r4 c9 p9"},  // no virtual columns behind a marker
        {"", 'T', 8 * 8 + 2, 64, "T s5 r7 c7 p7"},
        {"h", 'T', 6 * 8 + 2, 56, "T s4 r4 c9 p9 marker"},
    };
    for (const Case& c : cases) {
        Hitting h;
        const std::string setup = c.setup;
        if (setup == "h")
            h.core.GetTextLayout().SetHorzOffset(16);
        ASSERT_EQ(h.fold.collapsedText, L"{...}");
        const EditRects& r = h.core.GetRects();
        const int left = c.from == 'S'   ? r.selMargin.left
                         : c.from == 'L' ? r.lineNumbers.left
                         : c.from == 'N' ? r.nodeColumn.left
                         : c.from == 'T' ? r.text.left
                                         : r.text.right;
        EXPECT_EQ(Describe(HitTest(h.core, left + c.dx, c.y, setup == "v")), c.hit)
            << c.setup << " " << c.from << "+" << c.dx << "," << c.y;
    }
}

// Any point, however far out: a row of the text, a column a caret may stand on, its position,
// and past the row's end only with virtual columns.
TEST(HitTest, EveryPointGivesAPlaceInTheText) {
    Hitting h;
    std::mt19937 random(9);
    const int extremes[] = {INT_MIN, -1000, 0, 1000, INT_MAX};
    for (int i = 0; i < 4000; ++i) {
        const bool far = random() % 4 == 0;
        const int x = far ? extremes[random() % 5] : static_cast<int>(random() % 800) - 80;
        const int y = far ? extremes[random() % 5] : static_cast<int>(random() % 120) - 20;
        const bool virtualColumns = random() % 2 == 0;
        const HitResult hit = HitTest(h.core, x, y, virtualColumns);
        ASSERT_GE(hit.row, 1);
        ASSERT_LE(hit.row, 7);
        const RowColumns::Row row{Folds::VisibleText(*h.buffer, hit.row), h.buffer->GetTabSize(),
                                  virtualColumns && hit.row != 4};
        EXPECT_EQ(RowColumns::Snap(row, hit.col), hit.col) << x << "," << y;
        EXPECT_EQ(RowColumns::PositionOf(row, hit.col), hit.pos) << x << "," << y;
        if (!row.virtualSpace) {
            EXPECT_LE(hit.col, RowColumns::EndColumn(row)) << x << "," << y;
        }
    }
}

TEST(HitTest, EmptyText) {
    MeasuredWindow window;
    const pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    EditorCore core(window, buffer, nullptr);
    for (const auto& [x, y] : {std::pair{0, 0}, {300, 8}, {INT_MAX, INT_MIN}})
        EXPECT_EQ(Describe(HitTest(core, x, y, true)).substr(1), " s1 r1 c1 p1") << x << "," << y;
}

}  // namespace
