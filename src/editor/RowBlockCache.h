#pragma once
// The parse results of recently drawn rows, so that painting a row does not parse its screen
// again. Each entry holds an on-screen parse of a range of rows; the parser's progress drops
// what it has made stale, and anything that may have changed the text unseen drops it all.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "parser/TextSchemaRows.h"

class RowBlockCache {
public:
    static constexpr size_t kMaxEntries = 64;  // the least recently used goes first
    static constexpr uint32_t kMaxSweepIntervalMs = 10000;

    // Parses rows firstRow..lastRow into the context; false when it could not.
    using Fill = std::function<bool(int32_t firstRow, int32_t lastRow, OnScreenContext& context)>;

    struct Lookup {
        int32_t row;
        int32_t rowsPerPage;
        const std::vector<int>* collapsedRows;  // the folded rows of this paint, may be null
        uint32_t now;                           // tick count in milliseconds
        int32_t lifeTimeSec;                    // 0 or less: entries do not age
    };

    // The blocks of `lookup.row` (rows below 1 count as row 1): from the entry that holds the row, else from
    // a new entry of about a page around it that `fill` parses. Null when the fill fails; nothing is cached
    // then.
    std::shared_ptr<const OnScreenContext> Find(const Lookup& lookup, const Fill& fill);

    // The blocks of the entry that holds `row`, without parsing; null when none does.
    std::shared_ptr<const OnScreenContext> Peek(int32_t row) const;
    // The parser reparsed from `row` on: entries from that row go, one spanning it is cut.
    void DropFrom(int32_t row);
    void Clear() { entries_.clear(); }

    // Everything goes when parser events were lost (a cumulative count) or the text changed
    // (the buffer's change count) since the cache last saw them, unless the change was
    // reported through Edited. An edit through another control sharing the buffer, or a lost
    // "rows parsed" event, would otherwise leave stale blocks in place.
    void Check(uint64_t totalLostEvents, uint64_t textChanges);
    // This control changed the text from `row` on, taking the text's change count from
    // `changesBefore` to `changesAfter`: the entries before the row stay, unless the text had
    // changed unseen before.
    void Edited(int32_t row, uint64_t changesBefore, uint64_t changesAfter);

    struct Range {
        int32_t first, last;
        friend bool operator==(const Range&, const Range&) = default;
    };
    std::vector<Range> Ranges() const;  // in the order they were made

private:
    struct Entry {
        int32_t first, last;
        uint32_t lastUse;
        std::shared_ptr<OnScreenContext> blocks;
    };
    // The rows a new entry for `row` covers.
    Range NewRange(int32_t row, const Lookup& lookup) const;
    void Age(uint32_t now, int32_t lifeTimeSec);

    std::vector<Entry> entries_;
    uint32_t lastSweep_ = 0;
    uint64_t lostEvents_ = 0;
    uint64_t textChanges_ = 0;
};
