#pragma once
// The edited ranges that wait for the parser's worker. Typing makes many small ranges: those
// that overlap or lie within three rows of each other become one, so that a burst of edits costs
// one reparse. Queued positions follow later edits as the blocks do, so a range still covers the
// text it was queued for when the worker comes to it.
#include <cstdint>
#include <optional>
#include <vector>

#include "buffer/LineCol.h"

struct EditRange {
    // None: from the last block of the chain on, where an interrupted whole parse stopped.
    std::optional<LineCol> start;
    // None: no edited range; the parse runs on to the end of the text.
    std::optional<LineCol> end;

    static constexpr LineCol kTextStart{1, 0};
    bool IsWholeText() const { return start == kTextStart && !end; }
    friend bool operator==(const EditRange&, const EditRange&) = default;
};

class RangeQueue {
public:
    static constexpr int64_t kMergeGap = 3 * 4096;  // three rows in packed positions

    // Merges `range` into the first queued range it overlaps or comes within kMergeGap of, or
    // appends it. A whole-text range replaces everything queued; a resume range merges only
    // with another or with the whole text.
    void Add(const EditRange& range);
    // Moves queued positions after text from `s` to `e` was inserted or deleted (a
    // BufferParser::Change).
    void Shift(LineCol s, LineCol e, int kind);

    bool Empty() const { return ranges_.empty(); }
    const EditRange& Last() const { return ranges_.back(); }
    void RemoveLast() { ranges_.pop_back(); }
    void Clear() { ranges_.clear(); }
    const std::vector<EditRange>& Ranges() const { return ranges_; }

private:
    std::vector<EditRange> ranges_;
};
