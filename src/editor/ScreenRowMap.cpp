#include "editor/ScreenRowMap.h"

#include <algorithm>
#include <cstdint>

#include "editor/Folds.h"

ScreenRowMap::ScreenRowMap(const CQELPenwrightLineMarksManager& marks, int rowCount) : rowCount_(rowCount) {
    int hidden = 0;
    int walk = 1;  // rows before this are inside a fold already counted
    int position = marks.GetFirstMarkPosition(LineMarkKind::Collapsed);
    while (position != 0) {
        const std::optional<LineMark> mark = marks.GetNextMark(position, LineMarkKind::Collapsed);
        if (!mark || mark->row > rowCount)
            break;
        const CollapsibleBlock* block = Folds::CollapsedAt(marks, mark->row);
        if (mark->row < walk || !block)
            continue;
        // The record may predate an edit that moved the mark: the block's height still holds.
        const int64_t height = int64_t{block->end.row} - block->start.row;
        const int last = static_cast<int>(std::min<int64_t>(mark->row + height, rowCount));
        if (last <= mark->row)
            continue;
        spans_.push_back({mark->row + 1, last, hidden});
        hidden += last - mark->row;
        walk = last + 1;
    }
}

int ScreenRowMap::SpanAtOrBefore(int row) const {
    auto it = std::upper_bound(spans_.begin(), spans_.end(), row,
                               [](int r, const Hidden& span) { return r < span.first; });
    return static_cast<int>(it - spans_.begin()) - 1;
}

bool ScreenRowMap::IsHidden(int row) const {
    const int k = SpanAtOrBefore(row);
    return k >= 0 && row <= spans_[k].last;
}

int ScreenRowMap::VisibleNumber(int row) const {
    row = std::max(row, 1);
    const int k = SpanAtOrBefore(row);
    if (k < 0)
        return row;
    const Hidden& span = spans_[k];
    if (row <= span.last)
        return span.first - 1 - span.before;
    return row - span.before - (span.last - span.first + 1);
}

int ScreenRowMap::RowOfVisible(int number) const {
    number = std::max(number, 1);
    // The spans whose folded row comes before the wanted one lie wholly before it.
    auto it = std::partition_point(spans_.begin(), spans_.end(),
                                   [&](const Hidden& span) { return span.first - 1 - span.before < number; });
    if (it == spans_.begin())
        return number;
    const Hidden& span = *(it - 1);
    return number + span.before + (span.last - span.first + 1);
}

int ScreenRowMap::Step(int row, int n) const {
    const int limit = std::max(VisibleRows(), 1);
    return RowOfVisible(std::clamp(VisibleNumber(row) + n, 1, limit));
}
