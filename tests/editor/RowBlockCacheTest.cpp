// The row block cache's policy with a fill that only records what it was asked: ranges that
// start at row 1 or later and hold the row asked for, the cap, ageing by an injected clock,
// dropping after parser progress, and dropping everything after lost events or unseen edits.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "editor/RowBlockCache.h"

namespace {

using Range = RowBlockCache::Range;

struct Recorder {
    std::vector<Range> asked;
    bool succeed = true;
    RowBlockCache::Fill Fill() {
        return [this](int32_t first, int32_t last, OnScreenContext&) {
            asked.push_back({first, last});
            return succeed;
        };
    }
};

RowBlockCache::Lookup At(int32_t row, uint32_t now = 0, int32_t page = 20,
                         const std::vector<int>* collapsed = nullptr) {
    return {row, page, collapsed, now, 0};
}

TEST(RowBlockCache, RangesHoldTheRowAndNeverOverlap) {
    std::mt19937 random(5);
    auto upTo = [&](int n) { return std::uniform_int_distribution<>(0, n)(random); };
    RowBlockCache cache;
    Recorder fill;
    for (int step = 0; step < 3000; ++step) {
        if (upTo(20) == 0) {
            cache.DropFrom(upTo(300));
            continue;
        }
        const std::vector<int> collapsed{upTo(300), upTo(300)};
        const int32_t row = upTo(300) - 2;
        const size_t before = fill.asked.size();
        ASSERT_TRUE(cache.Find(At(row, static_cast<uint32_t>(step), upTo(40), &collapsed), fill.Fill()));
        if (fill.asked.size() > before) {
            const Range r = fill.asked.back();
            ASSERT_GE(r.first, 1);
            ASSERT_LE(r.first, std::max(row, 1));
            ASSERT_GE(r.last, std::max(row, 1));
        }
        std::vector<Range> ranges = cache.Ranges();
        ASSERT_LE(ranges.size(), RowBlockCache::kMaxEntries);
        std::sort(ranges.begin(), ranges.end(), [](Range a, Range b) { return a.first < b.first; });
        for (size_t i = 1; i < ranges.size(); ++i) ASSERT_LT(ranges[i - 1].last, ranges[i].first);
    }
}

TEST(RowBlockCache, NewRangesFitBetweenEntriesAndFolds) {
    RowBlockCache cache;
    Recorder fill;
    cache.Find(At(50), fill.Fill());  // 50..71
    cache.Find(At(45), fill.Fill());  // cut before 50, too short: starts a page earlier
    const std::vector<int> folded{80};
    cache.Find(At(75, 0, 20, &folded), fill.Fill());  // too short at the fold: back to after 71
    cache.Find(At(3, 0, 4), fill.Fill());
    EXPECT_EQ(fill.asked, (std::vector<Range>{{50, 71}, {24, 49}, {72, 80}, {3, 8}}));
    fill.asked.clear();
    cache.Find(At(60), fill.Fill());  // inside an entry: no parse
    EXPECT_TRUE(fill.asked.empty());

    fill.succeed = false;
    EXPECT_FALSE(cache.Find(At(200), fill.Fill()));
    EXPECT_EQ(cache.Ranges().size(), 4u);
}

TEST(RowBlockCache, ProgressDropsFromItsRowOn) {
    RowBlockCache cache;
    Recorder fill;
    for (int32_t row : {1, 30, 60}) cache.Find(At(row), fill.Fill());
    cache.DropFrom(40);
    EXPECT_EQ(cache.Ranges(), (std::vector<Range>{{1, 22}, {30, 39}}));
    cache.DropFrom(30);
    EXPECT_EQ(cache.Ranges(), (std::vector<Range>{{1, 22}}));
}

TEST(RowBlockCache, LeastRecentlyUsedGoesAtTheCap) {
    RowBlockCache cache;
    Recorder fill;
    uint32_t now = 0;
    for (int32_t i = 0; i < 64; ++i) cache.Find(At(1 + 100 * i, ++now), fill.Fill());
    cache.Find(At(1, ++now), fill.Fill());  // the first entry is used again
    cache.Find(At(10001, ++now), fill.Fill());
    const std::vector<Range> ranges = cache.Ranges();
    EXPECT_EQ(ranges.size(), 64u);
    EXPECT_EQ(ranges.front(), (Range{1, 22}));
    EXPECT_EQ(ranges[1].first, 201);  // 101 was the least recently used
}

TEST(RowBlockCache, EntriesAgeByTheirLastUse) {
    RowBlockCache cache;
    Recorder fill;
    auto aged = [](int32_t row, uint32_t now, int32_t life) {
        return RowBlockCache::Lookup{row, 20, nullptr, now, life};
    };
    cache.Find(aged(1, 1000, 2), fill.Fill());
    cache.Find(aged(100, 1500, 2), fill.Fill());
    cache.Find(aged(1, 2500, 2), fill.Fill());    // a sweep drops nothing yet
    cache.Find(aged(1, 4000, 2), fill.Fill());    // a use; the next sweep is not due
    cache.Find(aged(300, 4600, 2), fill.Fill());  // the sweep drops 100, unused for 3100 ms
    EXPECT_EQ(cache.Ranges(), (std::vector<Range>{{1, 22}, {300, 321}}));
    cache.Find(aged(300, 100000, 0), fill.Fill());  // no life time: nothing ages
    EXPECT_EQ(cache.Ranges().size(), 2u);
}

// Lost events are counted from the start, and an edit this control did not report may have
// been made through another control on the same buffer: either drops everything.
TEST(RowBlockCache, LostEventsAndUnseenEditsDropEverything) {
    RowBlockCache cache;
    Recorder fill;
    auto fillTwo = [&] {
        cache.Find(At(1), fill.Fill());
        cache.Find(At(50), fill.Fill());
    };
    fillTwo();
    cache.Check(0, 0);
    EXPECT_EQ(cache.Ranges().size(), 2u);
    cache.Check(1, 0);
    EXPECT_TRUE(cache.Ranges().empty());
    fillTwo();
    cache.Check(1, 0);
    EXPECT_EQ(cache.Ranges().size(), 2u);
    cache.Edited(40, 0, 3);  // our own edit: only what follows it goes
    cache.Check(1, 3);
    EXPECT_EQ(cache.Ranges(), (std::vector<Range>{{1, 22}}));
    cache.Check(1, 4);  // someone else's
    EXPECT_TRUE(cache.Ranges().empty());
    fillTwo();
    cache.Edited(40, 9, 10);  // ours, after someone else's
    EXPECT_TRUE(cache.Ranges().empty());
}

}  // namespace
