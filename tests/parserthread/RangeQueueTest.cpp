// The queue of edited ranges: merging within three rows, whole-text and resume ranges, and
// queued positions following later edits as the text does.
#include "parser/RangeQueue.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "parser/BlockChain.h"

namespace {

EditRange Range(LineCol s, LineCol e) {
    return {s, e};
}

TEST(RangeQueue, RangesWithinThreeRowsMergeAndFartherOnesQueueInOrder) {
    RangeQueue q;
    q.Add(Range({10, 4}, {10, 5}));
    q.Add(Range({12, 0}, {12, 1}));  // two rows on: one range covering both
    q.Add(Range({11, 0}, {11, 2}));  // inside it: nothing changes
    ASSERT_EQ(q.Ranges().size(), 1u);
    EXPECT_EQ(q.Last(), Range({10, 4}, {12, 1}));
    q.Add(Range({22, 0}, {22, 1}));  // ten rows on: a range of its own, parsed first
    q.Add(Range({7, 3}, {7, 9}));    // three rows before the first, measured from its end
    ASSERT_EQ(q.Ranges().size(), 2u);
    EXPECT_EQ(q.Ranges()[0], Range({7, 3}, {12, 1}));
    EXPECT_EQ(q.Last(), Range({22, 0}, {22, 1}));
    q.Add(Range({2, 0}, {3, 0}));  // more than three rows before it
    EXPECT_EQ(q.Ranges().size(), 3u);
    EXPECT_EQ(q.Last(), Range({2, 0}, {3, 0}));
    q.RemoveLast();
    EXPECT_EQ(q.Last(), Range({22, 0}, {22, 1}));
}

TEST(RangeQueue, WholeTextDropsTheQueueAndResumeRangesStayApartFromEdits) {
    RangeQueue q;
    q.Add({});  // resume after the last block
    q.Add(Range({5, 0}, {5, 1}));
    q.Add({});
    ASSERT_EQ(q.Ranges().size(), 2u);
    EXPECT_EQ(q.Ranges()[0], EditRange{});
    // Open-ended ranges merge like others; a resume range, whose start is the last block
    // wherever that is, only with another.
    q.Add(Range({900, 0}, {900, 1}));
    q.Add({LineCol{902, 0}, std::nullopt});
    q.Add({});
    ASSERT_EQ(q.Ranges().size(), 3u);
    EXPECT_EQ(q.Ranges()[0], EditRange{});
    EXPECT_EQ(q.Last(), (EditRange{LineCol{900, 0}, std::nullopt}));
    q.Add({EditRange::kTextStart, std::nullopt});
    ASSERT_EQ(q.Ranges().size(), 1u);
    EXPECT_TRUE(q.Last().IsWholeText());
    q.Add(Range({40, 0}, {41, 0}));
    q.Add({});
    ASSERT_EQ(q.Ranges().size(), 1u);
    EXPECT_TRUE(q.Last().IsWholeText());
}

// Offsets in a text of rows joined by one line break, as a model of positions.
struct Text {
    std::vector<std::wstring> rows;

    size_t Offset(LineCol p) const {
        size_t offset = 0;
        for (int r = 1; r < p.row; ++r) offset += rows[r - 1].size() + 1;
        return offset + p.col;
    }
    std::wstring Flat() const {
        std::wstring flat;
        for (size_t r = 0; r < rows.size(); ++r) flat += (r ? L"\n" : L"") + rows[r];
        return flat;
    }
    LineCol At(size_t offset) const {
        LineCol p{1, 0};
        for (; offset > rows[p.row - 1].size(); ++p.row) offset -= rows[p.row - 1].size() + 1;
        p.col = static_cast<int>(offset);
        return p;
    }
    void Set(const std::wstring& flat) {
        rows.assign(1, L"");
        for (wchar_t c : flat) {
            if (c == L'\n')
                rows.emplace_back();
            else
                rows.back() += c;
        }
    }
};

// A position queued before an edit addresses the same character after it; inside deleted text
// it lands where the deletion was.
TEST(RangeQueue, QueuedPositionsFollowInsertsAndDeletesLikeTheText) {
    std::mt19937 rng(7);
    auto pick = [&](size_t lo, size_t hi) { return std::uniform_int_distribution<size_t>(lo, hi)(rng); };
    std::wstring flat = L"ab\ncdef\n\nghi jkl\nm\nnop qrs tuv\nw";
    const std::wstring inserts[] = {L"x\ny", L"\n", L"zz", L"\n\n"};
    for (int i = 0; i < 3000; ++i) {
        Text old, now;
        old.Set(flat);
        const size_t o = pick(0, flat.size()), s = pick(0, flat.size());
        RangeQueue q;
        q.Add(Range(old.At(o), old.At(o)));
        if (pick(0, 1) == 0 || flat.size() < 8) {
            const std::wstring& text = inserts[pick(0, 3)];
            flat.insert(s, text);
            now.Set(flat);
            q.Shift(old.At(s), now.At(s + text.size()), BlockChain::kInserted);
            // A range starting where the text goes in keeps its start, and so covers the new text.
            EXPECT_EQ(now.Offset(*q.Last().start), o + (o > s ? text.size() : 0)) << i;
            EXPECT_EQ(now.Offset(*q.Last().end), o + (o >= s ? text.size() : 0)) << i;
        } else {
            const size_t e = std::min(flat.size(), s + pick(0, 6));
            flat.erase(s, e - s);
            now.Set(flat);
            q.Shift(old.At(s), old.At(e), BlockChain::kDeleted);
            const size_t expected = o <= s ? o : o <= e ? s : o - (e - s);
            EXPECT_EQ(now.Offset(*q.Last().start), expected) << i;
            EXPECT_EQ(now.Offset(*q.Last().end), expected) << i;
        }
    }
}

}  // namespace
