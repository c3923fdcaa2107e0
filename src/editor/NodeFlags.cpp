#include "editor/NodeFlags.h"

#include "editor/Folds.h"

NodeState ComputeNodeFlags(int row, const RowBlocks& answer, int rowCount,
                           CQELPenwrightLineMarksManager& marks, std::vector<int>& collapsedRows) {
    NodeState state;
    const CollapsibleBlock* folded = Folds::CollapsedAt(marks, row);
    const bool hasMark = marks.HasMark(row, LineMarkKind::Collapsed);
    bool startsHere = false;
    bool marked = false;
    for (const CollapsibleBlock& block : answer.blocks) {
        const int endRow = block.end.row;
        if (block.start.row == row) {
            startsHere = true;
            if (hasMark && !marked) {
                state.flags |= NodeFlag::kCollapsed;
                if (!folded || folded->start != block.start || folded->end != block.end ||
                    folded->collapsedText != block.collapsedText) {
                    Folds::Collapse(marks, block);
                    state.foldsChanged = true;
                }
                collapsedRows.push_back(row);
                marked = true;
            } else {
                state.flags |= NodeFlag::kExpanded;
            }
        }
        if (row == endRow || (row < endRow && row == rowCount))
            state.flags |= NodeFlag::kEnds;
        if (block.start.row < row)
            state.flags |= NodeFlag::kFromAbove;
        if (row < endRow && row != rowCount && !marked)
            state.flags |= NodeFlag::kContinuesBelow;
    }
    if (hasMark && !startsHere && answer.settled) {
        Folds::Expand(marks, row);
        state.foldsChanged = true;
    }
    return state;
}
