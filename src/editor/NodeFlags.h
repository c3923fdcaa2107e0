#pragma once
// What the collapse node of a row shows, from the foldable blocks the row query gave for it,
// and the folds kept up to date on the way.
#include <vector>

#include "buffer/LineMarksManager.h"
#include "parser/TextSchemaRows.h"

namespace NodeFlag {
inline constexpr int kCollapsed = 0x01;       // a plus box: the block starting here is folded
inline constexpr int kExpanded = 0x02;        // a minus box: a block starts here
inline constexpr int kEnds = 0x04;            // a block ends here
inline constexpr int kFromAbove = 0x10;       // inside a block that began above
inline constexpr int kContinuesBelow = 0x20;  // a block goes on below
}  // namespace NodeFlag

// The foldable blocks that cover one row, and whether their absence means anything.
struct RowBlocks {
    std::vector<CollapsibleBlock> blocks;
    // The query had the data lock and the parse had reached the row with nothing queued: a
    // row without blocks really has none. A timed-out query, one before the first parse or
    // one after a scheme reload only says nothing.
    bool settled = false;
};

struct NodeState {
    int flags = 0;
    bool foldsChanged = false;  // a fold on the row was renewed or removed
};

// The node of `row` in a text of `rowCount` rows. A "Collapsed" mark on the row takes the
// details of the first block starting there (the row joins `collapsedRows`); a mark with no
// block starting there is removed only when the answer is settled.
NodeState ComputeNodeFlags(int row, const RowBlocks& answer, int rowCount,
                           CQELPenwrightLineMarksManager& marks, std::vector<int>& collapsedRows);
