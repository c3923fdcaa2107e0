#include "editor/RowBlockCache.h"

#include <algorithm>

std::shared_ptr<const OnScreenContext> RowBlockCache::Find(const Lookup& lookup, const Fill& fill) {
    Age(lookup.now, lookup.lifeTimeSec);
    const int32_t row = std::max(lookup.row, 1);
    for (Entry& e : entries_) {
        if (e.first <= row && row <= e.last) {
            e.lastUse = lookup.now;
            return e.blocks;
        }
    }
    const Range range = NewRange(row, lookup);
    auto blocks = std::make_shared<OnScreenContext>();
    if (!fill(range.first, range.last, *blocks))
        return nullptr;
    if (entries_.size() >= kMaxEntries) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
            return lookup.now - a.lastUse > lookup.now - b.lastUse;
        });
        entries_.erase(oldest);
    }
    entries_.push_back({range.first, range.last, lookup.now, blocks});
    return blocks;
}

std::shared_ptr<const OnScreenContext> RowBlockCache::Peek(int32_t row) const {
    for (const Entry& e : entries_)
        if (e.first <= row && row <= e.last)
            return e.blocks;
    return nullptr;
}

RowBlockCache::Range RowBlockCache::NewRange(int32_t row, const Lookup& lookup) const {
    const int32_t span = std::max(lookup.rowsPerPage, 0) + 1;
    int32_t last = row + span;
    int32_t floor = 1;  // the row after the entries that end before `row`
    for (const Entry& e : entries_) {
        if (e.first > row)
            last = std::min(last, e.first - 1);
        else if (e.last < row)
            floor = std::max(floor, e.last + 1);
    }
    // A folded row hides the rows after it: parsing them would be wasted.
    if (lookup.collapsedRows)
        for (int c : *lookup.collapsedRows)
            if (c >= row)
                last = std::min(last, c);
    int32_t first = row;
    if (last - first + 1 < span / 2)
        first = std::max(row - span, floor);
    return {first, last};
}

void RowBlockCache::Age(uint32_t now, int32_t lifeTimeSec) {
    if (lifeTimeSec <= 0)
        return;
    const uint64_t lifeMs = uint64_t{static_cast<uint32_t>(lifeTimeSec)} * 1000;
    if (now - lastSweep_ < std::min<uint64_t>(lifeMs, kMaxSweepIntervalMs))
        return;
    lastSweep_ = now;
    std::erase_if(entries_, [&](const Entry& e) { return now - e.lastUse >= lifeMs; });
}

void RowBlockCache::DropFrom(int32_t row) {
    std::erase_if(entries_, [&](Entry& e) {
        e.last = std::min(e.last, row - 1);
        return e.first > e.last;
    });
}

void RowBlockCache::Check(uint64_t totalLostEvents, uint64_t textChanges) {
    if (totalLostEvents != lostEvents_ || textChanges != textChanges_)
        Clear();
    lostEvents_ = totalLostEvents;
    textChanges_ = textChanges;
}

void RowBlockCache::Edited(int32_t row, uint64_t changesBefore, uint64_t changesAfter) {
    if (changesBefore != textChanges_)
        Clear();
    DropFrom(row);
    textChanges_ = changesAfter;
}

std::vector<RowBlockCache::Range> RowBlockCache::Ranges() const {
    std::vector<Range> ranges;
    for (const Entry& e : entries_) ranges.push_back({e.first, e.last});
    return ranges;
}
