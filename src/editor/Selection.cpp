#include "editor/Selection.h"

#include <algorithm>
#include <utility>

#include "platform/MemFile.h"

CQELPenwrightSelection::Range CQELPenwrightSelection::Normalized() const {
    const auto key = [](const Point& p) { return std::pair(p.row, p.col); };
    return key(end_) < key(start_) ? Range{end_, start_} : Range{start_, end_};
}

bool CQELPenwrightSelection::Contains(int row, int col) const {
    const Range range = Normalized();
    if (IsEmpty() || row < range.first.row || row > range.last.row)
        return false;
    if (block_)
        return col >= std::min(start_.col, end_.col) && col < std::max(start_.col, end_.col);
    const auto key = std::pair(row, col);
    return key >= std::pair(range.first.row, range.first.col) &&
           key < std::pair(range.last.row, range.last.col);
}

void CQELPenwrightSelection::Set(const Point& start, const Point& end, bool block) {
    start_ = start;
    end_ = end;
    block_ = block;
}

RowSelection CQELPenwrightSelection::ForRow(int row, const RowColumns::Row& text) const {
    const Range range = Normalized();
    if (IsEmpty() || row < range.first.row || row > range.last.row)
        return {};
    const auto length = static_cast<int32_t>(text.text.size());
    RowSelection s;
    if (block_) {
        const int left = std::min(start_.col, end_.col);
        const int right = std::max(start_.col, end_.col);
        // Characters that a block edge cuts (a tab) count as selected.
        const RowColumns::Row real{text.text, text.tabSize, false};
        s.start = RowColumns::PositionOf(real, left) - 1;
        s.end = RowColumns::PositionOf(real, RowColumns::Snap(real, right)) - 1;
        s.startCell = left - 1;
        s.endCell = right - 1;
    } else {
        const bool first = row == range.first.row;
        const bool last = row == range.last.row;
        s.start = first ? range.first.pos - 1 : 0;
        s.end = last ? range.last.pos - 1 : length;
        s.startCell = first ? range.first.col - 1 : 0;
        s.endCell = last ? range.last.col - 1 : RowColumns::EndColumn(text) - 1;
        s.lineEnd = !last;
    }
    s.start = std::clamp(s.start, 0, length);
    s.end = std::clamp(s.end, s.start, length);
    return s;
}

std::wstring CQELPenwrightSelection::GetText(const CQELPenwrightBufferManager& buffer) const {
    if (IsEmpty())
        return {};
    pw::MemFile file(buffer.RangeGrowthSize(start_.row, end_.row));
    // The buffer puts the points in order itself.
    const bool got = buffer.GetText(start_.row, start_.col, end_.row, end_.col, file, block_);
    return got ? file.Text() : std::wstring();
}
