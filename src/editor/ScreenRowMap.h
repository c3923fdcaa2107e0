#pragma once
// Which document rows the screen shows. Rows inside a folded block are hidden; everything that
// counts rows on screen (painting, hit testing, scroll bars, the caret, printing) goes through
// this one map, so no two of them can disagree about what is hidden.
//
// Visible numbers count rows from the top of the text with hidden rows left out. A hidden row
// has the number of the row its block is folded on. Rows past the last row go on counting, so
// that screen rows below the text map to rows a painter shows as empty.
#include <vector>

#include "buffer/LineMarksManager.h"

class ScreenRowMap {
public:
    // The folds of `marks` over a text of `rowCount` rows. A fold hides as many rows below its
    // mark as its block had when last painted, up to the last row; a fold inside a folded block
    // hides nothing more.
    ScreenRowMap(const CQELPenwrightLineMarksManager& marks, int rowCount);

    int RowCount() const { return rowCount_; }
    bool IsHidden(int row) const;
    int VisibleNumber(int row) const;  // rows below 1 count as row 1
    int VisibleRows() const { return rowCount_ < 1 ? 0 : VisibleNumber(rowCount_); }
    // The visible row with that number (numbers below 1 give row 1).
    int RowOfVisible(int number) const;

    // Screen row n (1-based) with `topRow` at the top, and back; rows above the top give
    // screen rows below 1.
    int ScreenToDocRow(int topRow, int screenRow) const {
        return RowOfVisible(VisibleNumber(topRow) + screenRow - 1);
    }
    int DocToScreenRow(int topRow, int row) const { return VisibleNumber(row) - VisibleNumber(topRow) + 1; }
    // The visible row n visible rows below `row` (above for negative n), kept within the text.
    int Step(int row, int n) const;

private:
    struct Hidden {
        int first;   // the rows after a folded row ...
        int last;    // ... up to its block's end
        int before;  // rows hidden by the spans before this one
    };
    // The span holding `row` or the last one before it; -1 when none starts at or before it.
    int SpanAtOrBefore(int row) const;

    std::vector<Hidden> spans_;
    int rowCount_;
};
