// The caret over real buffers: key sequences with the caret and selection they leave, where the
// caret may be put, what a selection holds, and a random walk over folded text.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "editor/CaretKeys.h"
#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"
#include "editor/Folds.h"

namespace {

// An edit control's logic over a text given as rows joined by '\n', in a window of 16-pixel
// rows and 8-pixel characters whose text area holds five rows.
class MeasuredWindow : public QuietWindow, public MonospaceMeasurer {
public:
    MeasuredWindow() { client = {0, 0, 640, 80}; }
    const TextMeasurer* GetTextMeasurer() const override { return this; }
    intptr_t NotifyParent(int code, std::span<const int32_t> values) override {
        notes.push_back({code});
        notes.back().insert(notes.back().end(), values.begin(), values.end());
        return 0;
    }
    std::vector<std::vector<int32_t>> notes;  // each: the code, then its values
};

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

// Keys as written in the tables: L R U D H E PU PD, prefixed by ^ (Ctrl), + (Shift) or # (Alt+Shift).
void PressAll(EditorCore& core, const std::string& keys) {
    std::istringstream words(keys);
    for (std::string word; words >> word;) {
        KeyModifiers m;
        size_t i = 0;
        for (; i < word.size() && std::string_view("^+#").find(word[i]) != std::string_view::npos; ++i) {
            m.ctrl |= word[i] == '^';
            m.shift |= word[i] == '+' || word[i] == '#';
            m.alt |= word[i] == '#';
        }
        const std::string name = word.substr(i);
        const CaretKey key = name == "L"    ? CaretKey::kLeft
                             : name == "R"  ? CaretKey::kRight
                             : name == "U"  ? CaretKey::kUp
                             : name == "D"  ? CaretKey::kDown
                             : name == "H"  ? CaretKey::kHome
                             : name == "E"  ? CaretKey::kEnd
                             : name == "PU" ? CaretKey::kPageUp
                                            : CaretKey::kPageDown;
        CaretKeys::Press(core, key, m);
    }
}

constexpr const wchar_t* kCode = L"int main()\n{\n    return 0;\n}";
constexpr const wchar_t* kShort = L"abcdef\nab\nabcdef";
constexpr const wchar_t* kPair =
    L"a\xD83D\xDE00"
    L"b";  // a surrogate pair between a and b
constexpr const wchar_t* kTwenty = L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20";

struct KeyCase {
    const wchar_t* text;
    bool virtualSpace;
    LineCol from;  // the caret before the keys (row, display column)
    const char* keys;
    LineCol caret;             // after them
    LineCol selStart, selEnd;  // {0, 0} twice: no selection
    bool block;
    int top;
};

const KeyCase kKeyCases[] = {
    {kCode, false, {1, 1}, "L", {1, 1}, {}, {}, false, 1},
    {kCode, false, {1, 11}, "R", {2, 1}, {}, {}, false, 1},
    {kCode, false, {2, 1}, "L", {1, 11}, {}, {}, false, 1},
    {kCode, false, {3, 8}, "H", {3, 5}, {}, {}, false, 1},
    {kCode, false, {3, 8}, "H H", {3, 1}, {}, {}, false, 1},
    {kCode, false, {3, 1}, "E", {3, 14}, {}, {}, false, 1},
    {kCode, false, {3, 5}, "^E", {4, 2}, {}, {}, false, 1},
    {kCode, false, {3, 5}, "^H", {1, 1}, {}, {}, false, 1},
    {kCode, false, {1, 1}, "^R ^R ^R ^R", {1, 11}, {}, {}, false, 1},
    {kCode, false, {1, 1}, "^R ^R ^R ^R ^R ^R", {2, 2}, {}, {}, false, 1},
    {kCode, false, {3, 14}, "^L ^L ^L", {3, 5}, {}, {}, false, 1},
    {kCode, false, {3, 14}, "^L ^L ^L ^L ^L", {2, 2}, {}, {}, false, 1},
    {kCode, false, {1, 1}, "^L", {1, 1}, {}, {}, false, 1},
    {kCode, false, {4, 2}, "^R", {4, 2}, {}, {}, false, 1},
    {kCode, false, {1, 1}, "+R +R", {1, 3}, {1, 1}, {1, 3}, false, 1},
    {kCode, false, {1, 1}, "+R +R L", {1, 1}, {}, {}, false, 1},
    {kCode, false, {1, 1}, "+R +R R", {1, 3}, {}, {}, false, 1},
    {kCode, false, {1, 3}, "+D U", {1, 3}, {}, {}, false, 1},
    {kCode, false, {1, 5}, "^+R ^+R", {1, 11}, {1, 5}, {1, 11}, false, 1},
    {kCode, false, {1, 1}, "#D #R", {2, 2}, {1, 1}, {2, 2}, true, 1},
    {kShort, false, {1, 6}, "D D", {3, 6}, {}, {}, false, 1},
    {kShort, false, {1, 6}, "D", {2, 3}, {}, {}, false, 1},
    {kShort, false, {1, 6}, "D L D", {3, 2}, {}, {}, false, 1},
    {kShort, false, {1, 2}, "U", {1, 2}, {}, {}, false, 1},
    {L"", false, {1, 1}, "R D E ^E PD ^R ^L L U PU", {1, 1}, {}, {}, false, 1},
    {kPair, false, {1, 2}, "R", {1, 4}, {}, {}, false, 1},
    {kPair, false, {1, 4}, "L", {1, 2}, {}, {}, false, 1},
    {kPair, false, {1, 1}, "^R", {1, 5}, {}, {}, false, 1},
    {L"\tx", false, {1, 1}, "R", {1, 5}, {}, {}, false, 1},
    {L"abcd\n\tx", false, {1, 3}, "D", {2, 5}, {}, {}, false, 1},
    {L"ab\ncd", true, {1, 3}, "R R", {1, 5}, {}, {}, false, 1},
    {L"ab\ncd", true, {2, 1}, "L", {2, 1}, {}, {}, false, 1},
    {L"ab\ncd", true, {1, 6}, "E", {1, 3}, {}, {}, false, 1},
    {L"ab\ncd", true, {1, 6}, "D", {2, 6}, {}, {}, false, 1},
    {kTwenty, false, {1, 1}, "PD", {6, 1}, {}, {}, false, 6},
    {kTwenty, false, {1, 1}, "PD PD PD PD PD", {20, 1}, {}, {}, false, 16},
    {kTwenty, false, {20, 2}, "PU", {15, 2}, {}, {}, false, 11},
    {kTwenty, false, {3, 1}, "PU", {1, 1}, {}, {}, false, 1},
    {kTwenty, false, {1, 1}, "^D ^D", {3, 1}, {}, {}, false, 3},
    {kTwenty, false, {5, 1}, "^D", {5, 1}, {}, {}, false, 2},
    {kTwenty, false, {1, 1}, "+PD", {6, 1}, {1, 1}, {6, 1}, false, 6},
};

TEST(CaretKeys, KeySequences) {
    for (const KeyCase& c : kKeyCases) {
        Editing e(c.text);
        e.core.SetOption(EditorOptions::kVirtualSpace, c.virtualSpace, false);
        e.Caret().SetCaretPos(c.from.row, c.from.col, true, false);
        PressAll(e.core, c.keys);
        const CQELPenwrightSelection& s = e.Caret().GetSelection();
        const LineCol caret{e.Caret().GetRow(), e.Caret().GetColumn()};
        const LineCol start = s.IsEmpty() ? LineCol{} : LineCol{s.GetStart().row, s.GetStart().col};
        const LineCol end = s.IsEmpty() ? LineCol{} : LineCol{s.GetEnd().row, s.GetEnd().col};
        SCOPED_TRACE(testing::Message() << c.keys << " from " << c.from.row << "," << c.from.col);
        EXPECT_EQ(caret, c.caret) << caret.row << "," << caret.col;
        EXPECT_EQ(start, c.selStart);
        EXPECT_EQ(end, c.selEnd);
        EXPECT_EQ(s.IsBlock(), c.block);
        EXPECT_EQ(e.core.GetTopRow(), c.top);
    }
}

// Rows 2 to 4 folded behind "a ": the keys pass the fold by; a caret put inside opens it.
constexpr const wchar_t* kFolded = L"a {\n b\n c\n}\nz";

struct FoldCase {
    LineCol from;
    const char* keys;
    LineCol caret;
    bool stillFolded;
};

const FoldCase kFoldCases[] = {
    {{1, 1}, "D", {5, 1}, true}, {{1, 1}, "E", {1, 3}, true}, {{1, 3}, "R", {5, 1}, true},
    {{5, 1}, "U", {1, 1}, true}, {{5, 1}, "L", {1, 3}, true}, {{5, 1}, "^L", {1, 2}, true},
    {{1, 9}, "", {1, 4}, false}, {{3, 2}, "", {3, 2}, false}, {{1, 1}, "^E", {5, 2}, true},
};

TEST(CaretKeys, FoldedRows) {
    for (const FoldCase& c : kFoldCases) {
        Editing e(kFolded);
        Folds::Collapse(e.buffer->GetLineMarks(), {{1, 2}, {4, 1}, L"..."});
        e.Caret().SetCaretPos(c.from.row, c.from.col, true, false);
        PressAll(e.core, c.keys);
        SCOPED_TRACE(testing::Message() << c.keys << " from " << c.from.row << "," << c.from.col);
        EXPECT_EQ((LineCol{e.Caret().GetRow(), e.Caret().GetColumn()}), c.caret);
        EXPECT_EQ(Folds::CollapsedAt(e.buffer->GetLineMarks(), 1) != nullptr, c.stillFolded);
    }
}

TEST(CaretKeys, TellTheParentWhatMoved) {
    using Notes = std::vector<std::vector<int32_t>>;
    const std::pair<const char*, Notes> cases[] = {
        {"L", {}},
        {"R", {{EditNotify::kCaretMoved, 1, 2}, {EditNotify::kScrolled, 3}}},
        {"+L", {}},
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

TEST(CaretKeys, VirtualSpaceTurnedOffPullsTheCaretBack) {
    Editing e(L"ab\ncd");
    e.core.SetOption(EditorOptions::kVirtualSpace, true, false);
    e.Caret().SetCaretPos(2, 7, false, false);
    e.core.SetOption(EditorOptions::kVirtualSpace, false, false);
    EXPECT_EQ(e.Caret().Here(), (EditCaret::Point{2, 3, 3}));
}

TEST(CaretKeys, PutIntoTheText) {
    struct Case {
        int row, col;
        int wantRow, wantCol, wantPos;
    };
    const Case cases[] = {
        {0, 5, 1, 1, 1}, {-3, -3, 1, 1, 1},           {9, 1, 2, 4, 4}, {2, 99, 2, 4, 4}, {1, 3, 1, 5, 2},
        {1, 2, 1, 5, 2}, {INT_MAX, INT_MAX, 2, 4, 4},
    };
    for (const Case& c : cases) {
        Editing e(L"\tx\nabc");
        e.Caret().SetCaretPos(c.row, c.col, true, true);
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        EXPECT_EQ(e.Caret().GetRow(), c.wantRow);
        EXPECT_EQ(e.Caret().GetColumn(), c.wantCol);
        EXPECT_EQ(e.Caret().GetPosition(), c.wantPos);
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
        {{3, 3}, {1, 2}, false, L"b\tc\r\nxyz\r\n12", {1, 4, 1, 5, true}, {0, 2, 0, 2, false}},
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

TEST(Selection, AllOfTheText) {
    const std::tuple<const wchar_t*, const wchar_t*, LineCol> cases[] = {
        {L"ab\ncd", L"ab\r\ncd", {2, 3}}, {L"\t", L"\t", {1, 5}}, {L"", L"", {1, 1}}};
    for (const auto& [text, selected, end] : cases) {
        Editing e(text);
        e.Caret().SelectAll();
        EXPECT_EQ(e.Caret().GetSelectedText(), selected);
        EXPECT_EQ((LineCol{e.Caret().GetRow(), e.Caret().GetColumn()}), end);
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
        ASSERT_EQ(map.VisibleRows(), 5)
            << step << " key " << int(key) << m.ctrl << m.shift << m.alt;  // both folds still folded
    }
}

}  // namespace
