#include "buffer/LineMarksManager.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace LineMarkKind;
using namespace LineMarkAction;

std::vector<int> MarkRows(const CQELPenwrightLineMarksManager& marks, std::wstring_view kind) {
    std::vector<int> rows;
    for (int p = marks.GetFirstMarkPosition(kind); p != 0;)
        if (std::optional<LineMark> mark = marks.GetNextMark(p, kind))
            rows.push_back(mark->row);
    return rows;
}

CQELPenwrightLineMarksManager Bookmarks(std::initializer_list<int> rows) {
    CQELPenwrightLineMarksManager marks;
    for (int row : rows) marks.SetMark(row, Bookmark);
    return marks;
}

void CountFree(void* counter) {
    ++*static_cast<int*>(counter);
}

}  // namespace

TEST(LineMarks, SetToggleDeleteKeepOneMarkPerRowAndKind) {
    CQELPenwrightLineMarksManager marks;
    EXPECT_TRUE(marks.SetMark(7, Bookmark, LineMarkParam::Of32(1)));
    EXPECT_TRUE(marks.SetMark(3, Bookmark));
    EXPECT_TRUE(marks.SetMark(7, Bookmark, LineMarkParam::Of64(0x1234567890ull)));  // replaces
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{3, 7}));
    LineMarkParam param;
    EXPECT_TRUE(marks.HasMark(7, Bookmark, &param));
    EXPECT_EQ(param.GetType(), LineMarkParam::Value64);
    EXPECT_EQ(param.GetValue(), 0x1234567890ull);
    EXPECT_TRUE(marks.HasMark(3, Bookmark, &param));
    EXPECT_EQ(param.GetType(), LineMarkParam::None);

    EXPECT_FALSE(marks.HasMark(7, L"bookmark"));  // kinds are case-sensitive
    EXPECT_FALSE(marks.HasMark(7, Breakpoint));
    EXPECT_TRUE(marks.ToggleMark(5, Breakpoint));
    EXPECT_FALSE(marks.ToggleMark(5, Breakpoint));  // twice leaves none
    EXPECT_FALSE(marks.HasMark(5, Breakpoint));

    marks.DeleteMark(4, Bookmark);  // no mark there
    marks.DeleteMark(3, Bookmark);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{7}));
    EXPECT_FALSE(marks.SetMark(0, Bookmark));
    EXPECT_FALSE(marks.SetMark(-3, Bookmark));
    EXPECT_FALSE(marks.ToggleMark(0, Bookmark));
    marks.RemoveAll(Bookmark);
    EXPECT_EQ(marks.GetLastMarkIndex(Bookmark), 0);
    EXPECT_TRUE(marks.SetMark(2, Bookmark));  // the kind's list is still usable
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{2}));
}

// The searches themselves are checked against a model in the random-edit test below.
TEST(LineMarks, IndexesFromOneAndTheWalk) {
    CQELPenwrightLineMarksManager marks = Bookmarks({10, 20, 30});
    int row = INT_MAX;
    EXPECT_EQ(marks.FindPrevMark(row, Bookmark), 3);
    EXPECT_EQ(marks.GetLastMarkIndex(Bookmark), 3);
    EXPECT_EQ(marks.GetMarkAt(1, Bookmark)->row, 10);
    EXPECT_EQ(marks.GetMarkAt(3, Bookmark)->row, 30);
    EXPECT_FALSE(marks.GetMarkAt(0, Bookmark));
    EXPECT_FALSE(marks.GetMarkAt(4, Bookmark));

    int position = marks.GetFirstMarkPosition(Bookmark);
    EXPECT_EQ(position, -1);
    EXPECT_EQ(marks.GetNextMark(position, Bookmark)->row, 10);
    EXPECT_EQ(position, 2);
    marks.GetNextMark(position, Bookmark);
    EXPECT_EQ(marks.GetNextMark(position, Bookmark)->row, 30);
    EXPECT_EQ(position, 0);
    EXPECT_FALSE(marks.GetNextMark(position, Bookmark));

    // An unknown kind answers nothing, and a walk over it ends at once.
    row = 10;
    EXPECT_EQ(marks.FindNextMark(row, Breakpoint), 0);
    EXPECT_EQ(row, -1);
    position = marks.GetFirstMarkPosition(Breakpoint);
    EXPECT_FALSE(marks.GetNextMark(position, Breakpoint));
    EXPECT_EQ(position, 0);
    EXPECT_EQ(marks.GetLastMarkIndex(Breakpoint), 0);
    EXPECT_FALSE(marks.GetMarkAt(1, Breakpoint));
    marks.RemoveAll(Breakpoint);
    marks.DeleteMark(10, Breakpoint);
    position = 7;  // past the end
    EXPECT_FALSE(marks.GetNextMark(position, Bookmark));
    EXPECT_EQ(position, 0);
}

TEST(LineMarks, UpdateMovesAndDropsMarksAsTheEditSays) {
    CQELPenwrightLineMarksManager marks = Bookmarks({3, 5, 7});
    marks.UpdateLineMarks(4, 7, RowsRemoved);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{3, 4}));
    marks = Bookmarks({4});
    marks.UpdateLineMarks(7, 4, RowsRemoved);  // the rows may come in either order
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{4}));

    marks = Bookmarks({5, 6});  // the two merge onto row 5; one stays
    marks.SetMark(5, Breakpoint);
    marks.UpdateLineMarks(5, 6, RowsRemoved);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{5}));
    EXPECT_EQ(MarkRows(marks, Breakpoint), (std::vector<int>{5}));

    marks = Bookmarks({4, 5});
    marks.UpdateLineMarks(4, 6, RowsInserted);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{4, 7}));
    marks = Bookmarks({4, 5});
    marks.UpdateLineMarks(4, 6, RowsInserted | MoveFirst);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{6, 7}));

    marks = Bookmarks({2, 4, 5, 6, 7, 9});  // deleting rows 4..6: their marks go, nothing moves
    marks.UpdateLineMarks(4, 7, RowsRemoved | DeleteFirst);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{2, 7, 9}));
    marks.UpdateLineMarks(4, 7, RowsRemoved);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{2, 4, 6}));
    marks = Bookmarks({2, 4, 7, 9});
    marks.UpdateLineMarks(4, 7, RowsRemoved | DeleteFirst | DeleteSecond);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{2, 9}));

    marks = Bookmarks({1, INT_MAX - 1});  // nothing is pushed past the last row there can be
    marks.UpdateLineMarks(1, 3, RowsInserted);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{1}));
    marks.UpdateLineMarks(0, 1, RowsRemoved);  // row 0 is no row
    marks.UpdateLineMarks(-5, 2, RowsInserted);
    EXPECT_EQ(MarkRows(marks, Bookmark), (std::vector<int>{1}));
}

TEST(LineMarks, SharedParametersAreFreedOnceByTheirLastHolder) {
    int freed[3] = {};
    {
        LineMarkParam kept;
        CQELPenwrightLineMarksManager marks;
        marks.SetMark(1, Collapsed, LineMarkParam::OfShared(&freed[0], CountFree));
        marks.SetMark(2, Collapsed, LineMarkParam::OfShared(&freed[1], CountFree));
        marks.SetMark(2, Collapsed, LineMarkParam::OfShared(&freed[2], CountFree));  // replaces
        EXPECT_EQ(freed[1], 1);
        ASSERT_TRUE(marks.HasMark(1, Collapsed, &kept));
        EXPECT_EQ(kept.GetType(), LineMarkParam::Shared);
        EXPECT_EQ(kept.GetData(), &freed[0]);
        marks.DeleteMark(1, Collapsed);
        EXPECT_EQ(freed[0], 0);  // the copy still holds it
        kept = {};
        EXPECT_EQ(freed[0], 1);
        EXPECT_EQ(freed[2], 0);
    }
    EXPECT_EQ(freed[2], 1);  // destroying the manager frees the rest
    EXPECT_EQ(freed[1], 1);

    LineMarkParam param = LineMarkParam::OfShared(&freed[0], CountFree);
    param.SetHolder(nullptr, CountFree);  // clears, freeing what it held
    EXPECT_EQ(freed[0], 2);
    EXPECT_EQ(param.GetType(), LineMarkParam::None);
    EXPECT_EQ(param.GetData(), nullptr);
    EXPECT_EQ(LineMarkParam::OfShared(nullptr, CountFree).GetType(), LineMarkParam::None);
}

// Thousands of random edits as the edit control reports them, against rows that carry their own
// marks. Every parameter is a shared holder counting its frees, so a mark lost, kept twice or
// freed early shows up too.
TEST(LineMarks, RandomEditsKeepMarksOnTheirRows) {
    constexpr std::wstring_view kinds[] = {Bookmark, Breakpoint, Collapsed};
    std::mt19937 rng(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::unique_ptr<int>> frees;       // one counter per holder ever made
    using Row = std::map<std::wstring_view, int>;  // kind -> holder number
    std::vector<Row> model(40);                    // model[r - 1] is row r
    auto manager = std::make_unique<CQELPenwrightLineMarksManager>();
    CQELPenwrightLineMarksManager& marks = *manager;
    auto rowCount = [&] { return static_cast<int>(model.size()); };

    for (int step = 0; step < 4000; ++step) {
        std::wstring_view kind = kinds[pick(0, 2)];
        int n = rowCount();
        int r = pick(1, n);
        switch (pick(0, 9)) {
            case 0:
            case 1: {
                frees.push_back(std::make_unique<int>(0));
                int id = static_cast<int>(frees.size()) - 1;
                marks.SetMark(r, kind, LineMarkParam::OfShared(frees.back().get(), CountFree));
                model[r - 1][kind] = id;
                break;
            }
            case 2:
                if (marks.HasMark(r, kind)) {
                    marks.ToggleMark(r, kind);
                    model[r - 1].erase(kind);
                }
                break;
            case 3:
                marks.DeleteMark(r, kind);
                model[r - 1].erase(kind);
                break;
            case 4: {  // a line break inside the row: the new rows come after it
                int k = pick(1, 3);
                marks.UpdateLineMarks(r, r + k, RowsInserted);
                model.insert(model.begin() + r, k, Row());
                break;
            }
            case 5: {  // a line break at the row's start: the row moves down with its marks
                int k = pick(1, 3);
                marks.UpdateLineMarks(r + k, r, RowsInserted | MoveFirst);
                model.insert(model.begin() + (r - 1), k, Row());
                break;
            }
            case 6:
            case 7: {  // a deletion joining row r with row r2
                if (n < 2)
                    break;
                r = pick(1, n - 1);
                int r2 = pick(r + 1, std::min(n, r + 4));
                marks.UpdateLineMarks(r, r2, RowsRemoved);
                for (auto& [k, id] : model[r2 - 1]) model[r - 1].emplace(k, id);
                model.erase(model.begin() + r, model.begin() + r2);
                break;
            }
            default: {  // the delete-rows command
                int count = std::min(pick(1, 4), n - 1);
                if (count < 1 || r + count - 1 > n)
                    break;
                bool emptiesNext = pick(0, 1);
                marks.UpdateLineMarks(r, r + count,
                                      RowsRemoved | DeleteFirst | (emptiesNext ? DeleteSecond : 0));
                marks.UpdateLineMarks(r, r + count, RowsRemoved);
                if (emptiesNext && r + count <= n)
                    model[r + count - 1].clear();
                model.erase(model.begin() + (r - 1), model.begin() + (r - 1 + count));
                break;
            }
        }

        std::vector<bool> live(frees.size());
        for (std::wstring_view k : kinds) {
            std::vector<std::pair<int, void*>> expected, actual;
            for (int row = 1; row <= rowCount(); ++row) {
                auto it = model[row - 1].find(k);
                if (it == model[row - 1].end())
                    continue;
                expected.emplace_back(row, frees[it->second].get());
                live[it->second] = true;
            }
            for (int p = marks.GetFirstMarkPosition(k); p != 0;)
                if (std::optional<LineMark> mark = marks.GetNextMark(p, k))
                    actual.emplace_back(mark->row, mark->param.GetData());
            ASSERT_EQ(actual, expected) << "step " << step;

            // Searches from any row agree with a walk over the model.
            int from = pick(0, rowCount() + 1);
            int next = from, prev = from;
            int nextIndex = marks.FindNextMark(next, k);
            int prevIndex = marks.FindPrevMark(prev, k);
            auto firstAfter =
                std::lower_bound(expected.begin(), expected.end(), std::pair<int, void*>(from, nullptr));
            auto lastBefore =
                std::upper_bound(expected.begin(), expected.end(), std::pair<int, void*>(from, nullptr),
                                 [](auto& a, auto& b) { return a.first < b.first; });
            EXPECT_EQ(next, firstAfter == expected.end() ? -1 : firstAfter->first);
            EXPECT_EQ(nextIndex, firstAfter == expected.end() ? 0 : firstAfter - expected.begin() + 1);
            EXPECT_EQ(prev, lastBefore == expected.begin() ? -1 : std::prev(lastBefore)->first);
            EXPECT_EQ(prevIndex, lastBefore - expected.begin());
        }
        for (size_t id = 0; id < frees.size(); ++id)
            ASSERT_EQ(*frees[id], live[id] ? 0 : 1) << "holder " << id << " at step " << step;
    }
    manager.reset();
    for (const auto& count : frees) EXPECT_EQ(*count, 1);
}
