// The screen-row mapping against a plain model over random fold sets, and the node flags that
// keep the folds up to date while painting.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/Folds.h"
#include "editor/NodeFlags.h"
#include "editor/ScreenRowMap.h"

namespace {

CollapsibleBlock Block(int startRow, int startCol, int endRow, int endCol = 0) {
    return {{startRow, startCol}, {endRow, endCol}, L"[..]"};
}

// Hidden rows by walking the rows: a folded row hides the rows of its block below it, unless
// it is hidden itself.
std::vector<bool> HiddenModel(const CQELPenwrightLineMarksManager& marks, int rows) {
    std::vector<bool> hidden(rows + 1, false);
    int until = 0;
    for (int r = 1; r <= rows; ++r) {
        if (r <= until) {
            hidden[r] = true;
        } else if (const CollapsibleBlock* b = Folds::CollapsedAt(marks, r)) {
            until = std::max(until, std::min(r + b->end.row - b->start.row, rows));
        }
    }
    return hidden;
}

TEST(ScreenRowMap, MatchesTheModelOverRandomFolds) {
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        const int rows = std::uniform_int_distribution<>(0, 60)(random);
        CQELPenwrightLineMarksManager marks;
        const int folds = std::uniform_int_distribution<>(0, 8)(random);
        for (int f = 0; f < folds && rows > 0; ++f) {
            const int row = std::uniform_int_distribution<>(1, rows)(random);
            const int end =
                row + std::uniform_int_distribution<>(-2, 30)(random);  // some empty, some past the text
            if (f % 5 == 4)
                marks.SetMark(row, LineMarkKind::Collapsed);  // a mark without a block hides nothing
            else
                Folds::Collapse(marks, Block(row, 3, end));
        }
        const ScreenRowMap map(marks, rows);
        const std::vector<bool> hidden = HiddenModel(marks, rows);
        std::vector<int> visible;
        for (int r = 1; r <= rows; ++r) {
            ASSERT_EQ(map.IsHidden(r), hidden[r]) << "round " << round << " row " << r;
            if (!hidden[r])
                visible.push_back(r);
        }
        ASSERT_EQ(map.VisibleRows(), static_cast<int>(visible.size()));
        for (size_t k = 0; k < visible.size(); ++k) {
            const int number = static_cast<int>(k) + 1;
            ASSERT_EQ(map.VisibleNumber(visible[k]), number);
            ASSERT_EQ(map.RowOfVisible(number), visible[k]);
            // Hidden rows below a visible row count as that row.
            for (int r = visible[k] + 1; r <= rows && hidden[r]; ++r) ASSERT_EQ(map.VisibleNumber(r), number);
        }
        // Past the text the rows go on one by one.
        for (int j = 1; j <= 3; ++j)
            ASSERT_EQ(map.RowOfVisible(map.VisibleRows() + j), std::max(rows, 0) + j);
        if (visible.empty())
            continue;
        const int top = visible[std::uniform_int_distribution<size_t>(0, visible.size() - 1)(random)];
        for (int r : visible) {
            ASSERT_EQ(map.ScreenToDocRow(top, map.DocToScreenRow(top, r)), r);
            ASSERT_EQ(map.DocToScreenRow(top, r) < 1, r < top);
        }
        for (int n : {-100, -3, -1, 0, 1, 2, 100}) {
            const int to = map.Step(top, n);
            ASSERT_TRUE(to >= 1 && to <= rows && !hidden[to]);
            ASSERT_EQ(map.VisibleNumber(to), std::clamp(map.VisibleNumber(top) + n, 1, map.VisibleRows()));
        }
    }
}

TEST(ScreenRowMap, FoldsFollowTheirMarkWhenRowsMove) {
    CQELPenwrightLineMarksManager marks;
    Folds::Collapse(marks, Block(5, 2, 8));
    marks.UpdateLineMarks(1, 3, LineMarkAction::RowsInserted);  // the fold moves to row 7
    const ScreenRowMap map(marks, 20);
    for (int r = 1; r <= 20; ++r) EXPECT_EQ(map.IsHidden(r), r >= 8 && r <= 10) << r;
    EXPECT_EQ(Folds::VisibleLength(marks, 7, 40), 2);
    EXPECT_EQ(Folds::VisibleLength(marks, 6, 40), 40);
}

TEST(NodeFlags, FromTheBlocksOfARow) {
    // One block over rows 2..6 of a ten-row text, a second one over 8..open.
    const CollapsibleBlock outer = Block(2, 0, 6), open = Block(8, 0, 0x7FFFFFFF, 0x7FFFFFFF);
    struct Case {
        int row;
        std::vector<CollapsibleBlock> blocks;
        bool folded;
        int flags;
    };
    using namespace NodeFlag;
    const Case cases[] = {
        {2, {outer}, false, kExpanded | kContinuesBelow},
        {2, {outer}, true, kCollapsed},
        {4, {outer}, false, kFromAbove | kContinuesBelow},
        {6, {outer}, false, kFromAbove | kEnds},
        {8, {open}, false, kExpanded | kContinuesBelow},
        {10, {open}, false, kFromAbove | kEnds},  // the text ends inside the block
        {2, {outer, Block(2, 5, 3)}, true, kCollapsed | kExpanded},
        {3, {outer, Block(3, 1, 4)}, false, kFromAbove | kExpanded | kContinuesBelow},
        {7, {}, false, 0},
    };
    for (const Case& c : cases) {
        CQELPenwrightLineMarksManager marks;
        if (c.folded)
            marks.SetMark(c.row, LineMarkKind::Collapsed);
        std::vector<int> collapsedRows;
        const NodeState state = ComputeNodeFlags(c.row, {c.blocks, true}, 10, marks, collapsedRows);
        EXPECT_EQ(state.flags, c.flags) << "row " << c.row;
        EXPECT_EQ(collapsedRows, c.folded ? std::vector<int>{c.row} : std::vector<int>{}) << "row " << c.row;
        if (c.folded) {
            EXPECT_EQ(Folds::CollapsedAt(marks, c.row)->end,
                      c.blocks.front().end);  // the fold took the block
        }
    }
}

// A fold goes only when the answer can be trusted to say that no block starts on its row.
TEST(NodeFlags, FoldsAreRemovedOnlyOnASettledAnswer) {
    CQELPenwrightLineMarksManager marks;
    Folds::Collapse(marks, Block(3, 0, 9));
    std::vector<int> collapsedRows;
    for (const bool settled : {false, true}) {
        const NodeState state = ComputeNodeFlags(3, {{}, settled}, 20, marks, collapsedRows);
        EXPECT_EQ(state.foldsChanged, settled);
        EXPECT_EQ(marks.HasMark(3, LineMarkKind::Collapsed), !settled);
    }
    // A block that changed its end renews the fold; an unchanged one leaves it be.
    Folds::Collapse(marks, Block(3, 0, 9));
    EXPECT_TRUE(ComputeNodeFlags(3, {{Block(3, 0, 12)}, false}, 20, marks, collapsedRows).foldsChanged);
    EXPECT_EQ(Folds::CollapsedAt(marks, 3)->end.row, 12);
    EXPECT_FALSE(ComputeNodeFlags(3, {{Block(3, 0, 12)}, false}, 20, marks, collapsedRows).foldsChanged);
}

}  // namespace
