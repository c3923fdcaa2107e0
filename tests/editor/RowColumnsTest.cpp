// Positions and display columns of rows with tabs and surrogate pairs, against a model that
// spells out each character's cells; the character classes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/CharClass.h"
#include "editor/RowColumns.h"

namespace {

// The column each character starts at, and the column after the text last.
std::vector<int> StartColumns(const std::wstring& text, int tabSize) {
    std::vector<int> starts{1};
    for (wchar_t c : text)
        starts.push_back(starts.back() + (c == L'\t' ? tabSize - (starts.back() - 1) % tabSize : 1));
    return starts;
}

TEST(RowColumns, AgreeWithTheCellsOfEachCharacter) {
    const std::wstring pieces[] = {L"a", L"\t", L" ", L"\xD83D\xDE00", L"xy"};
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        std::wstring text;
        for (int n = static_cast<int>(random() % 12); n > 0; --n) text += pieces[random() % 5];
        const int tabSize = 1 + static_cast<int>(random() % 8);
        const std::vector<int> starts = StartColumns(text, tabSize);
        const int end = starts.back();
        const int length = static_cast<int>(text.size());
        for (bool virtualSpace : {false, true}) {
            const RowColumns::Row row{text, tabSize, virtualSpace};
            SCOPED_TRACE(testing::Message() << "tab " << tabSize << " virtual " << virtualSpace << " row "
                                            << testing::PrintToString(text));
            ASSERT_EQ(RowColumns::EndColumn(row), end);
            for (int pos = 1; pos <= length + 3; ++pos) {
                const int col = RowColumns::ColumnOf(row, pos);
                ASSERT_EQ(col, pos <= length + 1 ? starts[pos - 1]
                               : virtualSpace    ? end + pos - length - 1
                                                 : end);
                if (CharClass::IsBoundary(text, pos - 1) || pos > length) {
                    ASSERT_EQ(RowColumns::PositionOf(row, col),
                              virtualSpace || pos <= length ? pos : length + 1);
                }
            }
            for (int col = 1; col <= end + 3; ++col) {
                // The snap is the first place a caret may stand at or after the column.
                int want = virtualSpace ? std::max(col, end) : end;
                for (int i = length - 1; i >= 0; --i)
                    if (starts[i] >= col && CharClass::IsBoundary(text, i))
                        want = starts[i];
                ASSERT_EQ(RowColumns::Snap(row, col), want) << col;
                const int pos = RowColumns::PositionOf(row, col);
                ASSERT_TRUE(pos > length || (starts[pos - 1] <= col && col < starts[pos])) << col;
            }
        }
    }
}

TEST(CharClass, WordAt) {
    struct Case {
        const wchar_t* text;
        int index;
        int start, end;
    };
    const Case cases[] = {
        {L"int main()", 1, 0, 3}, {L"int main()", 3, 0, 0},     {L"int main()", 8, 8, 10},
        {L"a==b", 1, 1, 3},       {L"x\xD83D\xDE00y", 2, 0, 4}, {L"ab", 2, 0, 0},
        {L"ab", -1, 0, 0},        {L"a\r\n", 1, 0, 0},
    };
    for (const Case& c : cases) {
        const CharClass::Range r = CharClass::WordAt(c.text, c.index);
        EXPECT_EQ(r.IsEmpty() ? std::pair(0, 0) : std::pair(r.start, r.end), std::pair(c.start, c.end))
            << testing::PrintToString(std::wstring(c.text)) << " at " << c.index;
    }
}

}  // namespace
