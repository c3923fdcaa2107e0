// The caret over real buffers: key sequences with the caret and selection they leave, where the
// caret may be put, what a selection holds, and a random walk over folded text.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "editor/CaretKeys.h"
#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"
#include "editor/Folds.h"

namespace {

// An edit control's logic over a text given as rows joined by '\n', in a MeasuredWindow.
pw::RefPtr<CQELPenwrightBufferManager> BufferOf(std::wstring_view text) {
    auto buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    if (!text.empty())
        buffer->InsertText(text, 1, 1, false);
    return buffer;
}

struct Editing {
    explicit Editing(std::wstring_view text) : buffer(BufferOf(text)), core(window, buffer, nullptr) {}
    EditCaret& Caret() { return core.GetCaret(); }

    MeasuredWindow window;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    EditorCore core;
};

// Keys as written in the tables: L R U D H E PU PD, prefixed by ^ (Ctrl), + (Shift) or # (Alt+Shift);
// A selects all.
void PressAll(EditorCore& core, const std::string& keys) {
    static const std::vector<std::string> names{"L", "R", "U", "D", "H", "E", "PU", "PD"};
    std::istringstream words(keys);
    for (std::string word; words >> word;) {
        KeyModifiers m;
        const size_t at = word.find_first_not_of("^+#");
        for (char c : word.substr(0, at)) {
            m.ctrl |= c == '^';
            m.shift |= c != '^';
            m.alt |= c == '#';
        }
        if (word == "A")
            core.GetCaret().SelectAll();
        else
            CaretKeys::Press(
                core,
                static_cast<CaretKey>(std::find(names.begin(), names.end(), word.substr(at)) - names.begin()),
                m);
    }
}

std::string At(int row, int col) {
    return std::to_string(row) + "," + std::to_string(col);
}

// "row,col", then " sel start-end" or " block start-end", " top n" when the view moved, and
// " opened" when a fold was there and is no more.
std::string Describe(EditorCore& core, bool folded) {
    const EditCaret& caret = core.GetCaret();
    const CQELPenwrightSelection& s = caret.GetSelection();
    std::string out = At(caret.GetRow(), caret.GetColumn());
    if (!s.IsEmpty())
        out += (s.IsBlock() ? " block " : " sel ") + At(s.GetStart().row, s.GetStart().col) + "-" +
               At(s.GetEnd().row, s.GetEnd().col);
    if (core.GetTopRow() != 1)
        out += " top " + std::to_string(core.GetTopRow());
    if (folded && !Folds::CollapsedAt(core.GetBuffer().GetLineMarks(), 1))
        out += " opened";
    return out;
}

constexpr const wchar_t* kCode = L"int main()\n{\n    return 0;\n}";
constexpr const wchar_t* kShort = L"abcdef\nab\nabcdef";
constexpr const wchar_t* kPair =
    L"a\xD83D\xDE00"
    L"b";  // a surrogate pair between a and b
constexpr const wchar_t* kTwenty = L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20";
constexpr const wchar_t* kFolded = L"a {\n b\n c\n}\nz";  // "f": rows 2 to 4 folded behind "a "

struct KeyCase {
    const wchar_t* text;
    const char* setup;  // v: virtual space (v-: turned off once the caret is put); f: the fold of kFolded
    LineCol from;       // where the caret is put first
    const char* keys;
    const char* after;  // as Describe says it
};

const KeyCase kKeyCases[] = {
    {kCode, "", {1, 1}, "L", "1,1"},
    {kCode, "", {1, 11}, "R", "2,1"},
    {kCode, "", {2, 1}, "L", "1,11"},
    {kCode, "", {3, 8}, "H H", "3,1"},
    {kCode, "", {3, 1}, "H", "3,5"},
    {kCode, "", {3, 1}, "E", "3,14"},
    {kCode, "", {3, 5}, "^E", "4,2"},
    {kCode, "", {3, 5}, "^H", "1,1"},
    {kCode, "", {1, 1}, "^R ^R ^R ^R ^R ^R", "2,2"},
    {kCode, "", {3, 14}, "^L ^L ^L ^L ^L", "2,2"},
    {kCode, "", {1, 1}, "^L", "1,1"},
    {kCode, "", {4, 2}, "^R", "4,2"},
    {kCode, "", {1, 1}, "+R +R", "1,3 sel 1,1-1,3"},
    {kCode, "", {1, 1}, "+R +R L", "1,1"},
    {kCode, "", {1, 1}, "+R +R R", "1,3"},
    {kCode, "", {1, 5}, "^+R ^+R", "1,11 sel 1,5-1,11"},
    {kCode, "", {1, 1}, "#D #R", "2,2 block 1,1-2,2"},
    {kCode, "", {3, 5}, "A", "4,2 sel 1,1-4,2"},
    {kShort, "", {1, 6}, "D D", "3,6"},
    {kShort, "", {1, 6}, "D L D", "3,2"},
    {L"", "", {1, 1}, "R D E ^E PD ^R ^L L U PU A", "1,1"},
    {kPair, "", {1, 2}, "R", "1,4"},
    {kPair, "", {1, 4}, "L", "1,2"},
    {kPair, "", {1, 3}, "", "1,4"},
    {L"\tx", "", {1, 1}, "R", "1,5"},
    {L"\tx", "", {1, 3}, "", "1,5"},
    {L"abcd\n\tx", "", {1, 3}, "D", "2,5"},
    {L"\tx\nabc", "", {-3, -3}, "", "1,1"},
    {L"\tx\nabc", "", {INT_MAX, INT_MAX}, "", "2,4"},
    {L"ab\ncd", "", {2, 99}, "", "2,3"},
    {L"ab\ncd", "v", {1, 3}, "R R", "1,5"},
    {L"ab\ncd", "v", {2, 1}, "L", "2,1"},
    {L"ab\ncd", "v", {1, 6}, "E", "1,3"},
    {L"ab\ncd", "v", {1, INT_MAX}, "", "1,16777219"},  // as far as an insertion could pad
    {L"ab\ncd", "v-", {2, 7}, "", "2,3"},
    {kTwenty, "", {1, 1}, "PD", "6,1 top 6"},
    {kTwenty, "", {1, 1}, "PD PD PD PD PD", "20,1 top 16"},
    {kTwenty, "", {20, 2}, "PU", "15,2 top 11"},
    {kTwenty, "", {3, 1}, "PU", "1,1"},
    {kTwenty, "", {1, 1}, "^D ^D", "3,1 top 3"},
    {kTwenty, "", {5, 1}, "^D", "5,1 top 2"},
    {kFolded, "f", {1, 1}, "D", "5,1"},
    {kFolded, "f", {1, 1}, "E", "1,3"},
    {kFolded, "f", {1, 3}, "R", "5,1"},
    {kFolded, "f", {5, 1}, "L", "1,3"},
    {kFolded, "f", {5, 1}, "^L", "1,2"},
    {kFolded, "f", {1, 1}, "^E", "5,2"},
    {kFolded, "f", {1, 9}, "", "1,4 opened"},
    {kFolded, "f", {3, 2}, "", "3,2 opened"},
};

TEST(CaretKeys, KeySequences) {
    for (const KeyCase& c : kKeyCases) {
        Editing e(c.text);
        const std::string_view setup = c.setup;
        e.core.SetOption(EditorOptions::kVirtualSpace, setup.starts_with('v'), false);
        if (setup == "f")
            Folds::Collapse(e.buffer->GetLineMarks(), {{1, 2}, {4, 1}, L"..."});
        e.Caret().SetCaretPos(c.from.row, c.from.col, true, false);
        if (setup == "v-")
            e.core.SetOption(EditorOptions::kVirtualSpace, false, false);
        PressAll(e.core, c.keys);
        EXPECT_EQ(Describe(e.core, setup == "f"), c.after)
            << c.keys << " from " << At(c.from.row, c.from.col);
    }
}

TEST(CaretKeys, TellTheParentWhatMoved) {
    using Notes = std::vector<std::vector<int32_t>>;
    const std::pair<const char*, Notes> cases[] = {
        {"L", {}},
        {"R", {{EditNotify::kCaretMoved, 1, 2}, {EditNotify::kScrolled, 3}}},
        {"+R L",
         {{EditNotify::kCaretMoved, 1, 2},
          {EditNotify::kScrolled, 3},
          {EditNotify::kCaretMoved, 1, 1},
          {EditNotify::kScrolled, 3}}},
    };
    for (const auto& [keys, notes] : cases) {
        Editing e(L"ab");
        PressAll(e.core, keys);
        EXPECT_EQ(e.window.notes, notes) << keys;
    }
}

TEST(Selection, RowsAndText) {
    struct Case {
        LineCol start, end;
        bool block;
        const wchar_t* text;
        RowSelection row1, row3;
    };
    const Case cases[] = {
        {{1, 2}, {3, 3}, false, L"b\tc\r\nxyz\r\n12", {1, 4, 1, 5, true}, {0, 2, 0, 2, false}},
        {{3, 4}, {1, 2}, true, L"b\t\r\nyz\r\n23\r\n", {1, 3, 1, 3, false}, {1, 3, 1, 3, false}},
        {{1, 4}, {1, 4}, false, L"", {}, {}},
    };
    for (const Case& c : cases) {
        Editing e(L"ab\tc\nxyz\n12345");
        CQELPenwrightSelection& s = e.Caret().GetSelection();
        e.Caret().Select(c.start.row, c.start.col, c.end.row, c.end.col, true);
        s.Set(s.GetStart(), s.GetEnd(), c.block);
        EXPECT_EQ(e.Caret().GetSelectedText(), c.text);
        for (const auto& [row, want] : {std::pair(1, c.row1), std::pair(3, c.row3)}) {
            const RowSelection got = e.Caret().SelectionOfRow(row);
            EXPECT_EQ(std::tuple(got.start, got.end, got.startCell, got.endCell, got.lineEnd),
                      std::tuple(want.start, want.end, want.startCell, want.endCell, want.lineEnd))
                << row;
        }
    }
}

// Keys at random over a text with tabs, a surrogate pair, blank rows and folds: the caret stays
// on a row that shows, at a place a caret may stand, and on the page; the folds stay folded.
TEST(CaretKeys, RandomWalkStaysOnShownText) {
    const std::wstring wide(300, L'w');
    Editing e(L"if (a) {\n\tb = 1;\n\n  c;\n}\nelse {\n\t\td;\n}\n  " + wide + L"\n// \xD83D\xDE00 end\nx");
    CQELPenwrightLineMarksManager& marks = e.buffer->GetLineMarks();
    Folds::Collapse(marks, {{1, 7}, {5, 1}, L"..."});
    Folds::Collapse(marks, {{6, 5}, {8, 1}, L"..."});
    std::mt19937 random(12);
    for (int step = 0; step < 3000; ++step) {
        const auto key = static_cast<CaretKey>(random() % 8);
        const KeyModifiers m{random() % 3 == 0, random() % 3 == 0, random() % 5 == 0};
        CaretKeys::Press(e.core, key, m);
        const EditCaret& caret = e.Caret();
        const ScreenRowMap map = e.core.RowMap();
        const RowColumns::Row row = caret.RowAt(caret.GetRow());
        ASSERT_GE(caret.GetRow(), 1);
        ASSERT_LE(caret.GetRow(), e.buffer->GetRowCount());
        ASSERT_FALSE(map.IsHidden(caret.GetRow())) << step;
        ASSERT_GE(caret.GetPosition(), 1);
        ASSERT_LE(caret.GetPosition(), static_cast<int>(row.text.size()) + 1);
        ASSERT_TRUE(CharClass::IsBoundary(row.text, caret.GetPosition() - 1));
        ASSERT_EQ(caret.GetColumn(), RowColumns::ColumnOf(row, caret.GetPosition()));
        ASSERT_EQ(caret.GetSelection().GetEnd(), caret.Here());
        ASSERT_TRUE(e.core.CaretRect(caret.GetRow(), caret.GetColumn(), false, true)) << step;
        ASSERT_EQ(map.VisibleRows(), 5) << step;  // both folds still folded
    }
}

}  // namespace
