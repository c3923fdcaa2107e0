#include "buffer/RowArray.h"

#include <gtest/gtest.h>

#include <random>

TEST(RowArray, SlotZeroHoldsNoRow) {
    RowArray rows;
    EXPECT_EQ(rows.GetRowCount(), 0);
    EXPECT_FALSE(rows.InsertAt(0, L"x"));
    EXPECT_FALSE(rows.InsertChars(0, 0, L"x"));
    EXPECT_FALSE(rows.RemoveAt(0));
    EXPECT_EQ(rows.GetAt(0), L"");
    EXPECT_TRUE(rows.InsertAt(1, L"a"));
    EXPECT_EQ(rows.GetRowCount(), 1);
    EXPECT_EQ(rows.GetAt(1), L"a");
}

TEST(RowArray, WritingPastTheEndCreatesEmptyRows) {
    RowArray rows;
    EXPECT_TRUE(rows.InsertAt(3, L"c"));
    EXPECT_EQ(rows.GetRowCount(), 3);
    EXPECT_EQ(rows.GetAt(1), L"");
    EXPECT_EQ(rows.GetLength(2), 0);
    EXPECT_TRUE(rows.InsertChars(5, 0, L"e"));
    EXPECT_EQ(rows.GetRowCount(), 5);
    EXPECT_EQ(rows.GetAt(5), L"e");
    // A gap beyond the padding limit is refused without growing anything.
    EXPECT_FALSE(rows.InsertAt(5 + RowArray::kMaxPadding + 2, L"x"));
    EXPECT_FALSE(rows.InsertChars(0x7FFFFFFF, 0, L"x"));
    EXPECT_EQ(rows.GetRowCount(), 5);
}

TEST(RowArray, InsertAndRemoveShiftTheRowsAbove) {
    RowArray rows;
    for (int r = 1; r <= 4; ++r) rows.InsertAt(r, std::wstring(1, L'0' + r));
    rows.InsertAt(2, L"new");
    EXPECT_EQ(rows.GetAt(2), L"new");
    EXPECT_EQ(rows.GetAt(3), L"2");
    EXPECT_TRUE(rows.RemoveAt(1));
    EXPECT_EQ(rows.GetAt(1), L"new");
    EXPECT_TRUE(rows.InsertRows(3, std::vector<std::wstring>{L"x", L"y"}));  // many at once
    EXPECT_EQ(rows.GetAt(3), L"x");
    EXPECT_EQ(rows.GetAt(4), L"y");
    EXPECT_EQ(rows.GetAt(5), L"3");
    EXPECT_TRUE(rows.InsertRows(9, std::vector<std::wstring>{L"z"}));  // past the end: empty rows first
    EXPECT_EQ(rows.GetRowCount(), 9);
    EXPECT_EQ(rows.GetAt(8), L"");
    EXPECT_TRUE(rows.RemoveAt(7, 3));
    EXPECT_TRUE(rows.RemoveAt(2, 2));
    EXPECT_TRUE(rows.RemoveAt(2, 100));  // clipped at the last row
    EXPECT_EQ(rows.GetRowCount(), 1);
    EXPECT_FALSE(rows.RemoveAt(2));
    EXPECT_FALSE(rows.RemoveAt(1, 0));
    EXPECT_FALSE(rows.RemoveAt(1, -3));
    rows.RemoveAll();
    EXPECT_EQ(rows.GetRowCount(), 0);
}

TEST(RowArray, InsertCharsPadsWithBlanks) {
    RowArray rows;
    rows.InsertAt(1, L"ab");
    EXPECT_TRUE(rows.InsertChars(1, 5, L"x"));
    EXPECT_EQ(rows.GetAt(1), L"ab   x");
    EXPECT_TRUE(rows.InsertChars(1, -4, L"<"));
    EXPECT_EQ(rows.GetAt(1), L"<ab   x");
    EXPECT_TRUE(rows.InsertChars(2, 2, L"y"));  // missing row: created, then padded
    EXPECT_EQ(rows.GetAt(2), L"  y");
    EXPECT_FALSE(rows.InsertChars(1, 0x7FFFFFFF, L"z"));
    EXPECT_EQ(rows.GetAt(1), L"<ab   x");
}

TEST(RowArray, DeleteCharsRules) {
    RowArray rows;
    rows.InsertAt(1, L"abcdef");
    EXPECT_FALSE(rows.DeleteChars(1, -1, 2));
    EXPECT_FALSE(rows.DeleteChars(1, 0, 0));
    EXPECT_FALSE(rows.DeleteChars(1, 6, 1));  // at the end
    EXPECT_FALSE(rows.DeleteChars(2, 0, 1));  // no such row
    EXPECT_TRUE(rows.DeleteChars(1, 1, 2));
    EXPECT_EQ(rows.GetAt(1), L"adef");
    EXPECT_TRUE(rows.DeleteChars(1, 2, 0x7FFFFFFF));  // clipped
    EXPECT_EQ(rows.GetAt(1), L"ad");
}

// Every change counts, and only a change: a failed call leaves the count as it was.
TEST(RowArray, ChangeCountGrowsWithEveryChange) {
    RowArray rows;
    uint64_t seen = rows.GetChangeCount();
    auto changed = [&](bool result, bool expected) {
        EXPECT_EQ(result, expected);
        EXPECT_EQ(rows.GetChangeCount() != seen, expected);
        seen = rows.GetChangeCount();
    };
    changed(rows.InsertAt(1, L"abc"), true);
    changed(rows.InsertAt(1, L"x"), true);
    changed(rows.InsertAt(0, L"x"), false);
    changed(rows.InsertChars(2, 1, L"yy"), true);
    changed(rows.InsertChars(0, 1, L"yy"), false);
    changed(rows.DeleteChars(2, 0, 1), true);
    changed(rows.DeleteChars(2, 9, 1), false);
    changed(rows.RemoveAt(1), true);
    changed(rows.RemoveAt(5), false);
    rows.RemoveAll();
    changed(true, true);
}

// Rows inserted and removed here and there, chars typed and deleted, rows written past the end:
// the rows always read as a plain vector of strings edited the same way, wherever the gap stands.
TEST(RowArray, RandomEditsMatchAPlainVector) {
    std::mt19937 random(5);
    RowArray rows;
    std::vector<std::wstring> model{L""};  // slot 0, as in the array
    auto pick = [&](size_t n) { return static_cast<int>(random() % n); };
    for (int step = 0; step < 20000; ++step) {
        const int count = static_cast<int>(model.size()) - 1;
        const int row = pick(static_cast<size_t>(count) + 3) + 1;  // sometimes past the end
        const std::wstring text(static_cast<size_t>(pick(4)), static_cast<wchar_t>(L'a' + step % 26));
        auto pad = [&](int upTo) {
            if (static_cast<int>(model.size()) <= upTo)
                model.resize(static_cast<size_t>(upTo) + 1);
        };
        // Removals win once there are many rows, so that the array grows and shrinks by turns.
        switch (count > 150 && pick(2) == 0 ? 2 : pick(5)) {
            case 0:
                ASSERT_TRUE(rows.InsertAt(row, text));
                if (row > count) {
                    pad(row);
                    model[static_cast<size_t>(row)] = text;
                } else {
                    model.insert(model.begin() + row, text);
                }
                break;
            case 1: {
                std::vector<std::wstring> more(static_cast<size_t>(pick(5)) + 1, text);
                ASSERT_TRUE(rows.InsertRows(row, more));
                pad(row - 1);
                model.insert(model.begin() + row, more.begin(), more.end());
                break;
            }
            case 2: {
                const int n = pick(4) + 1;
                ASSERT_EQ(rows.RemoveAt(row, n), row <= count);
                if (row <= count)
                    model.erase(model.begin() + row, model.begin() + std::min(row + n, count + 1));
                break;
            }
            case 3: {
                const int at = pick(12);
                ASSERT_TRUE(rows.InsertChars(row, at, text));
                pad(row);
                std::wstring& s = model[static_cast<size_t>(row)];
                s.resize(std::max(s.size(), static_cast<size_t>(at)), L' ');
                s.insert(static_cast<size_t>(at), text);
                break;
            }
            default: {
                const int at = pick(8), n = pick(6) + 1;
                const bool inside =
                    row <= count && at < static_cast<int>(model[static_cast<size_t>(row)].size());
                ASSERT_EQ(rows.DeleteChars(row, at, n), inside);
                if (inside)
                    model[static_cast<size_t>(row)].erase(static_cast<size_t>(at), static_cast<size_t>(n));
                break;
            }
        }
        ASSERT_EQ(rows.GetRowCount(), static_cast<int>(model.size()) - 1) << "step " << step;
        for (size_t r = 1; r < model.size(); ++r) ASSERT_EQ(rows.GetAt(static_cast<int>(r)), model[r]) << step;
    }
}
