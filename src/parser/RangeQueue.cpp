#include "parser/RangeQueue.h"

#include <algorithm>
#include <limits>

#include "buffer/BufferParser.h"

namespace {

constexpr int64_t kBeyondAll = std::numeric_limits<int64_t>::max() / 2;

// Packed position in 64 bits; a column past the 12-bit field counts as the end of its row.
int64_t Key(LineCol p) {
    return int64_t{p.row} * 4096 + std::clamp(p.col, 0, 0xFFF);
}
// An absent end lies beyond every position: the range reaches to the end of the text.
int64_t Key(const std::optional<LineCol>& p) {
    return p ? Key(*p) : kBeyondAll;
}

int32_t Clamped(int64_t v) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

std::optional<LineCol> Greater(const std::optional<LineCol>& a, const std::optional<LineCol>& b) {
    return a && b ? std::optional<LineCol>(std::max(*a, *b)) : std::nullopt;
}

// Where `p` lies after text from s to e was inserted; text at or after s moves.
LineCol AfterInsert(LineCol p, LineCol s, LineCol e) {
    if (p.row == s.row)
        return {e.row, Clamped(int64_t{e.col} + p.col - s.col)};
    return {Clamped(int64_t{p.row} + e.row - s.row), p.col};
}

// Where `p` lies after the text from s to e was deleted: inside it, at s.
LineCol AfterDelete(LineCol p, LineCol s, LineCol e) {
    if (p <= s)
        return p;
    if (p <= e)
        return s;
    if (p.row == e.row)
        return {s.row, Clamped(int64_t{s.col} + p.col - e.col)};
    return {Clamped(int64_t{p.row} - (e.row - s.row)), p.col};
}

}  // namespace

void RangeQueue::Add(const EditRange& range) {
    if (range.IsWholeText())
        ranges_.clear();
    for (EditRange& queued : ranges_) {
        // A resume range starts at the last block, wherever that is: no union can name its
        // start. Another resume range or the whole text covers it.
        if (!range.start || !queued.start) {
            if (!range.start && (!queued.start || queued.IsWholeText()))
                return;
            continue;
        }
        if (Key(range.start) - Key(queued.end) > kMergeGap || Key(queued.start) - Key(range.end) > kMergeGap)
            continue;
        queued.start = std::min(*queued.start, *range.start);
        queued.end = Greater(queued.end, range.end);
        return;
    }
    ranges_.push_back(range);
}

void RangeQueue::Shift(LineCol s, LineCol e, int kind) {
    // A replacement moves nothing.
    if (!s.IsValid() || e < s || (kind != BufferParser::kInserted && kind != BufferParser::kDeleted))
        return;
    for (EditRange& range : ranges_) {
        // A range that starts where text is inserted keeps its start, and so covers that text.
        if (range.start && *range.start > s)
            *range.start = kind == BufferParser::kInserted ? AfterInsert(*range.start, s, e)
                                                           : AfterDelete(*range.start, s, e);
        if (range.end && *range.end >= s)
            *range.end = kind == BufferParser::kInserted ? AfterInsert(*range.end, s, e)
                                                         : AfterDelete(*range.end, s, e);
    }
}
