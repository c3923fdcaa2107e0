// The screen as planned for painting, over a real C++ parse: rows hidden by a fold, node flags,
// the fold's marker cutting its row, class colours, a breakpoint's colours for one paint, and
// folds that survive answers that cannot say "no block here".
#include <gtest/gtest.h>

#include "editor/Folds.h"
#include "editor/NodeFlags.h"
#include "editor/ScreenTesting.h"

namespace {

TEST(ScreenPlanner, FoldsHideRowsAndCutTheirRow) {
    Screen s;
    s.core.GetParser().ParseAll(*s.buffer, true);
    Folds::Collapse(s.buffer->GetLineMarks(), s.BlockOn(4));
    const std::vector<PlannedRow> rows = s.Plan();
    std::vector<int> shown;
    for (const PlannedRow& p : rows) shown.push_back(p.pastText ? -p.row : p.row);
    EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 7, -8, -9, -10, -11, -12}));

    EXPECT_EQ(rows[0].nodeFlags & (NodeFlag::kExpanded | NodeFlag::kContinuesBelow),
              NodeFlag::kExpanded | NodeFlag::kContinuesBelow);
    EXPECT_EQ(rows[1].nodeFlags, NodeFlag::kFromAbove | NodeFlag::kContinuesBelow);  // inside f's body
    EXPECT_EQ(rows[2].nodeFlags, NodeFlag::kFromAbove | NodeFlag::kEnds);
    EXPECT_EQ(rows[3].nodeFlags & NodeFlag::kCollapsed, NodeFlag::kCollapsed);
    EXPECT_EQ(rows[3].cut, 8);
    EXPECT_FALSE(rows[3].collapsedText.empty());
    EXPECT_EQ(rows[3].pieces.back().end, 8);
    EXPECT_EQ(s.Plan()[3].nodeFlags & NodeFlag::kCollapsed, NodeFlag::kCollapsed);  // a fold stays folded

    // The comment is coloured apart from the code around it, and every row is covered.
    const PlannedRow& comment = rows[1];
    auto colourAt = [&](int col) {
        for (const PaintPiece& piece : comment.pieces)
            if (piece.start <= col && col < piece.end)
                return piece.text;
        return kColorNotSet;
    };
    EXPECT_NE(colourAt(6), colourAt(20));
    EXPECT_EQ(comment.pieces.back().end, static_cast<int>(comment.text.size()));
    EXPECT_FALSE(s.core.GetCache().Ranges().empty());  // the screen's blocks are kept
}

TEST(ScreenPlanner, BreakpointColoursLastOnePaint) {
    Screen s;
    s.buffer->GetLineMarks().SetMark(2, LineMarkKind::Breakpoint);
    s.core.GetRowColors().SetBack(2, 0x00FF00);
    const std::vector<PlannedRow> rows = s.Plan();
    EXPECT_TRUE(rows[1].breakpoint);
    EXPECT_EQ(rows[1].band, RowColorMaps::kBreakpointBack);
    for (const PaintPiece& piece : rows[1].pieces) EXPECT_EQ(piece.text, RowColorMaps::kBreakpointText);
    EXPECT_EQ(s.core.GetRowColors().Get(2).back, 0x00FF00);
    EXPECT_EQ(rows[0].band, 0x020202);
}

// Before the first complete parse the schema knows no blocks: that is no reason to unfold.
TEST(ScreenPlanner, FoldsGoOnlyWhenTheParseIsSettled) {
    Screen s;
    Folds::Collapse(s.buffer->GetLineMarks(), {{5, 0}, {6, 0}, L"[..]"});  // no block starts on row 5
    s.Plan();
    EXPECT_TRUE(s.buffer->GetLineMarks().HasMark(5, LineMarkKind::Collapsed));
    s.core.GetParser().ParseAll(*s.buffer, true);
    s.Plan();
    EXPECT_FALSE(s.buffer->GetLineMarks().HasMark(5, LineMarkKind::Collapsed));
}

// A block selection over columns 2..40 of rows 1 and 2: selected pieces inside the text,
// selected blanks past it.
TEST(ScreenPlanner, SelectionSplitsPiecesAndReachesPastTheText) {
    Screen s;
    const std::vector<PlannedRow> rows = s.Plan([](int row) {
        return row <= 2 ? RowSelection{2, 40, 2, 40, false} : RowSelection{};
    });
    for (int i : {0, 1}) {
        const PlannedRow& p = rows[i];
        const auto length = static_cast<int32_t>(p.text.size());
        for (const PaintPiece& piece : p.pieces) EXPECT_EQ(piece.selected, piece.start >= 2) << i;
        EXPECT_EQ(p.tail, (SelectionTail{0, 40 - length, false})) << i;
    }
    EXPECT_EQ(rows[2].tail, SelectionTail{});
}

}  // namespace

TEST(ScreenPlanner, AfterTheDataLockIsMissedTheRestOfTheScreenTakesDefaultColoursAndRepaintsLater) {
    Screen s;
    s.core.GetParser().ParseAll(*s.buffer, true);
    const std::vector<PlannedRow> parsed = s.Plan();
    ASSERT_GT(parsed[1].pieces.size(), 1u);  // the comment apart from the code
    std::vector<PlannedRow> rows;
    HoldingTheDataLock(*s.core.GetParser().GetCurrentSchema(), [&] { rows = s.Plan(); });
    for (const PlannedRow& row : rows) {
        if (row.pastText)
            continue;
        EXPECT_EQ(row.nodeFlags, 0) << row.row;
        EXPECT_LE(row.pieces.size(), 1u) << row.row;  // one run in the painter's colours
    }
    EXPECT_EQ(s.window.timer, RepaintThrottle::kMinThrottleMs);
}

TEST(ScreenPlanner, AnEditTellsWhetherTheRowsBelowItParseDifferently) {
    Screen s;
    s.core.GetParser().ParseAll(s.core.GetBuffer(),
                                false);  // as after loading: the blocks around a row are known
    TextEditor& editor = s.core.GetEditor();
    auto type = [&](int row, int pos, wchar_t c) {
        s.Plan();  // what shows before the key, as the paint left it
        s.core.GetCaret().MoveToPosition(row, pos);
        editor.OnChar(c, {});
        return ScreenPlanner(s.core).StateChangedAfter(s.core.TakeEdited());
    };
    EXPECT_FALSE(type(5, 5, L'x'));
    EXPECT_FALSE(type(3, 1, L'/'));
    EXPECT_TRUE(type(3, 2, L'*'));   // "/*}": a comment that runs on below
    EXPECT_FALSE(type(3, 1, L' '));  // the comment still opens there
}
