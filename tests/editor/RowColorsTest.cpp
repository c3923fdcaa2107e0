// Colours of a row's pieces from the painter, the classes, the host and the selection, and the
// selection split of a row's runs.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/RowColors.h"

namespace {

// Painter defaults and overrides all different, so that a colour tells where it came from.
PainterColors Painter() {
    PainterColors p;
    p.text = {0x000001, kColorNotSet};
    p.back = {0x000002, kColorNotSet};
    p.selText = {0x000003, kColorNotSet};
    p.selBack = {0x000004, kColorNotSet};
    p.inactiveSelText = {0x000005, kColorNotSet};
    p.inactiveSelBack = {0x000006, kColorNotSet};
    return p;
}

RowRun ClassRun(int start, int end, int32_t text = kColorNotSet, int32_t back = kColorNotSet) {
    RowRun run{start, end, {}};
    run.attributes.text = {text, kColorNotSet};
    run.attributes.background = {back, kColorNotSet};
    run.attributes.weight = LexTextAttributes::kBold;
    return run;
}

TEST(RowColors, ResolvedFromClassHostOverrideAndActivity) {
    struct Case {
        const char* what;
        RowRun run;
        bool syntax;
        bool active;
        HostRowColors host;
        int32_t textOverride, backOverride;
        PaintPiece normal, selected;  // the colours of [0, 1) and [1, 2)
    };
    const Case cases[] = {
        {"painter",
         ClassRun(0, 2),
         true,
         true,
         {},
         kColorNotSet,
         kColorNotSet,
         {0, 1, false, 1, 2, LexTextAttributes::kBold},
         {1, 2, true, 3, 4, LexTextAttributes::kBold}},
        {"class",
         ClassRun(0, 2, 0x10, 0x20),
         true,
         true,
         {},
         kColorNotSet,
         kColorNotSet,
         {0, 1, false, 0x10, 0x20, LexTextAttributes::kBold},
         {1, 2, true, 3, 4, LexTextAttributes::kBold}},
        {"no syntax colouring: class ignored",
         ClassRun(0, 2, 0x10, 0x20),
         false,
         true,
         {},
         kColorNotSet,
         kColorNotSet,
         {0, 1, false, 1, 2},
         {1, 2, true, 3, 4}},
        {"host row colours",
         ClassRun(0, 2, 0x10, 0x20),
         true,
         true,
         {0x30, 0x40},
         kColorNotSet,
         kColorNotSet,
         {0, 1, false, 0x30, 0x40, LexTextAttributes::kBold},
         {1, 2, true, 3, 4, LexTextAttributes::kBold}},
        {"override of the defaults",
         ClassRun(0, 2),
         true,
         true,
         {},
         0x50,
         0x60,
         {0, 1, false, 0x50, 0x60, LexTextAttributes::kBold},
         {1, 2, true, 3, 4, LexTextAttributes::kBold}},
        {"override leaves class colours",
         ClassRun(0, 2, 0x10, 0x20),
         true,
         true,
         {},
         0x50,
         0x60,
         {0, 1, false, 0x10, 0x20, LexTextAttributes::kBold},
         {1, 2, true, 3, 4, LexTextAttributes::kBold}},
        {"inactive",
         ClassRun(0, 2),
         true,
         false,
         {},
         kColorNotSet,
         kColorNotSet,
         {0, 1, false, 1, 2, LexTextAttributes::kBold},
         {1, 2, true, 5, 6, LexTextAttributes::kBold}},
    };
    for (const Case& c : cases) {
        RowPaintInput in;
        in.painter = Painter();
        in.painter.text.custom = c.textOverride;
        in.painter.back.custom = c.backOverride;
        in.syntaxColor = c.syntax;
        in.active = c.active;
        in.host = c.host;
        in.selStart = 1;
        in.selEnd = 5;
        EXPECT_EQ(RowPieces({c.run}, in), (std::vector<PaintPiece>{c.normal, c.selected})) << c.what;
    }
}

// With syntax colouring on, the top class's colours stand for the painter's defaults, and the
// user's override of a default applies to them.
TEST(RowColors, TopClassColoursAreTheDefaults) {
    LexTextAttributes top;
    top.background = {0x70, kColorNotSet};
    const PainterColors p = Painter().WithTopClass(top);
    EXPECT_EQ(p.back.standard, 0x70);
    EXPECT_EQ(p.text.standard, 1);
    RowPaintInput in;
    in.painter = p;
    in.painter.back.custom = 0x60;
    EXPECT_EQ(RowPieces({ClassRun(0, 1, kColorNotSet, 0x70)}, in).front().back, 0x60);
}

TEST(RowColors, HostMapsAreOnlyReadByPainting) {
    RowColorMaps maps;
    maps.SetText(3, 0x123);
    maps.SetBack(3, 0x456);
    maps.SetBack(4, 0xFFFFFF);  // white is "no background colour"
    maps.SetText(5, 0);         // so is black text
    const HostRowColors breakpoint = maps.ForPaint(3, true);
    EXPECT_EQ(breakpoint.text, 0xFFFFFF);
    EXPECT_EQ(breakpoint.back, 0x000080);
    EXPECT_EQ(maps.ForPaint(3, false).text, 0x123);
    EXPECT_EQ(maps.Get(3).back, 0x456);
    EXPECT_EQ(maps.Get(4).back, kColorNotSet);
    EXPECT_EQ(maps.Get(5).text, kColorNotSet);
    maps.SetText(3, kColorNotSet);
    EXPECT_EQ(maps.Get(3).text, kColorNotSet);
    maps.SetBack(-1, kColorNotSet);
    EXPECT_EQ(maps.Get(3).back, kColorNotSet);
}

// Over random runs, selections and folds: the pieces cover the row up to the fold in order,
// never cross a run's bounds, and are selected exactly inside the selection.
TEST(RowColors, SelectionSplitCoversTheRow) {
    std::mt19937 random(11);
    auto upTo = [&](int n) { return std::uniform_int_distribution<>(0, n)(random); };
    for (int round = 0; round < 500; ++round) {
        const int length = 1 + upTo(30);
        std::vector<RowRun> runs;
        for (int at = 0; at < length;) {
            const int end = std::min(length, at + 1 + upTo(6));
            runs.push_back(ClassRun(at, end, at));
            at = end;
        }
        RowPaintInput in;
        in.painter = Painter();
        in.selStart = upTo(length + 2);
        in.selEnd = upTo(length + 2);
        in.cut = round % 3 ? 0x7FFFFFFF : upTo(length);
        const std::vector<PaintPiece> pieces = RowPieces(runs, in);
        int at = 0;
        size_t run = 0;
        for (const PaintPiece& piece : pieces) {
            ASSERT_EQ(piece.start, at);
            ASSERT_LT(piece.start, piece.end);
            while (runs[run].end <= piece.start) ++run;
            ASSERT_LE(piece.end, runs[run].end);
            ASSERT_EQ(piece.selected, piece.start >= in.selStart && piece.start < in.selEnd);
            ASSERT_EQ(piece.text, piece.selected ? 3 : runs[run].start);
            at = piece.end;
        }
        ASSERT_EQ(at, std::min(length, in.cut));
    }
}

TEST(RowColors, SelectionPastTheTextPaintsBlanks) {
    struct Case {
        int64_t textEnd, selStart, selEnd;
        bool lineEnd;
        SelectionTail tail;
    };
    const Case cases[] = {
        {10, 2, 8, false, {}},               // inside the text: nothing past it
        {10, 2, 14, false, {0, 4, false}},   // from the text into virtual space
        {10, 13, 15, false, {3, 2, false}},  // a block selection right of a short row
        {10, 2, 8, true, {0, 0, true}},      // the line end goes with a stream selection
        {0, 100000, 200000, false, {500, 500, false}},
        {10, 14, 12, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TailOf(c.textEnd, c.selStart, c.selEnd, c.lineEnd), c.tail)
            << c.selStart << ".." << c.selEnd;
}

}  // namespace
