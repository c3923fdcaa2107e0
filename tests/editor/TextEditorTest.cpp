// Editing through the control's logic over real buffers: typed sequences with the text, caret
// and selection they leave, the undo steps they make, marks that follow their rows, the
// clipboard, read-only text, and a random session that undo and redo must take back and replay.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <string_view>

#include "editor/EditorTesting.h"
#include "editor/Folds.h"

namespace {

// Characters are typed; <...> are keys: CR TAB S-TAB BS DEL C-BS C-DEL C-L ESC INS, U (undo),
// R (redo), COPY CUT PASTE, IND UNIND, and the caret keys of CaretKeys with their modifiers
// as ^ (Ctrl), + (Shift), # (Alt+Shift): <L> <+R> <#D> <^L> ...
void Type(Editing& e, std::wstring_view keys) {
    TextEditor& ed = e.core.GetEditor();
    static const std::vector<std::wstring> caretKeys{L"L", L"R", L"U", L"D", L"H", L"E", L"PU", L"PD"};
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != L'<') {
            ed.OnChar(keys[i], {});
            continue;
        }
        const size_t close = keys.find(L'>', i);
        const std::wstring key(keys.substr(i + 1, close - i - 1));
        i = close;
        if (key == L"CR")
            ed.OnChar(L'\r', {});
        else if (key == L"TAB")
            ed.OnChar(L'\t', {});
        else if (key == L"S-TAB")
            ed.OnChar(L'\t', {.shift = true});
        else if (key == L"C-L")
            ed.OnChar(0x0C, {.ctrl = true});
        else if (key == L"ESC")
            ed.OnChar(0x1B, {});
        else if (key == L"BS")
            ed.BackspaceKey(false);
        else if (key == L"DEL")
            ed.DeleteKey(false);
        else if (key == L"C-BS")
            ed.BackspaceKey(true);
        else if (key == L"C-DEL")
            ed.DeleteKey(true);
        else if (key == L"INS")
            e.Caret().ToggleOverwrite();
        else if (key == L"UNDO")
            ed.Undo();
        else if (key == L"REDO")
            ed.Redo();
        else if (key == L"COPY")
            ed.Copy();
        else if (key == L"CUT")
            ed.Cut();
        else if (key == L"PASTE")
            ed.Paste();
        else if (key == L"IND")
            ed.IndentSelection();
        else if (key == L"UNIND")
            ed.UnindentSelection();
        else {
            KeyModifiers m;
            const size_t at = key.find_first_not_of(L"^+#");
            for (wchar_t c : key.substr(0, at)) {
                m.ctrl |= c == L'^';
                m.shift |= c != L'^';
                m.alt |= c == L'#';
            }
            const auto found = std::find(caretKeys.begin(), caretKeys.end(), key.substr(at));
            ASSERT_NE(found, caretKeys.end())
                << "unknown key <" << std::string(key.begin(), key.end()) << ">";
            CaretKeys::Press(e.core, static_cast<CaretKey>(found - caretKeys.begin()), m);
            ed.CloseTypingGroup();
        }
    }
}

struct EditCase {
    const char* options;  // a: auto-indent, s: tabs typed as spaces, v: virtual space
    const wchar_t* before;
    const wchar_t* keys;
    const wchar_t* after;
};

const EditCase kEditCases[] = {
    // Typing, Enter and auto-indentation.
    {"", L"|", L"ab", L"ab|"},
    {"", L"a|b", L"<CR>", L"a\n|b"},
    {"a", L"\tword|", L"<CR>", L"\tword\n|@5"},
    {"a", L"\tword|", L"<CR>b", L"\tword\n\tb|"},
    {"a", L"\tword|", L"<CR><CR>b", L"\tword\n\n\tb|"},
    {"a", L"  ab|cd", L"<CR>", L"  ab\n  |cd"},
    {"a", L"\t  ab|cd", L"<CR>", L"\t  ab\n\t  |cd"},
    {"as", L"\t  ab|cd", L"<CR>", L"\t  ab\n      |cd"},
    {"a", L"    |x", L"<CR>", L"    \n\t|x"},
    {"a", L"|    x", L"<CR>", L"\n|    x"},
    {"a", L"\tword|", L"<CR><U>", L"\t|word\n"},
    {"a", L"\tword|", L"<CR><DEL>", L"\tword\n\t|"},
    {"a", L"\t  word|", L"<CR><BS>", L"\t  word\n|@6"},
    {"a", L"\tword|", L"<CR><BS><BS>", L"\tword|"},
    {"", L"ab|\ncd", L"<CR>", L"ab\n|\ncd"},
    // Tab and Shift+Tab.
    {"", L"ab|", L"<TAB>", L"ab\t|"},
    {"s", L"ab|", L"<TAB>x", L"ab  x|"},
    {"", L"ab  |", L"<TAB>", L"ab\t\t|"},
    {"", L"    |", L"<TAB>", L"\t\t|"},
    {"", L"ab  |", L"<TAB><UNDO>", L"ab|"},
    {"", L"abcde|", L"<S-TAB>", L"abcd|e"},
    {"", L"abcd|e", L"<S-TAB>", L"|abcde"},
    {"", L"a|bc", L"<INS><TAB>", L"abc|"},
    {"v", L"a|bc", L"<INS><TAB>", L"abc~|"},
    {"", L"[a\nb\nc\n|d", L"<TAB>", L"[\ta\n\tb\n\tc\n|d"},
    {"", L"[a\nb|", L"<TAB>", L"[\ta\n\tb|"},
    {"", L"x[ab|\ny", L"<TAB>", L"x\t|\ny"},
    {"s", L"[a\n|b", L"<IND>", L"[    a\n|b"},
    {"", L"[\ta\n    b\n  c\nd|", L"<S-TAB>", L"[a\nb\nc\nd|"},
    {"", L"[\ta\n\tb|", L"<S-TAB><UNDO>", L"\t|a\n\tb"},
    {"", L"\t|a", L"<UNIND>", L"[a|"},
    // Overwrite.
    {"", L"a|bc", L"<INS>x", L"ax|c"},
    {"", L"ab|", L"<INS>xy", L"abxy|"},
    {"", L"a|bc", L"<INS><CR>", L"a\n|bc"},
    {"", L"[ab|c", L"<INS>x", L"x|c"},
    // Deleting.
    {"", L"a|bc", L"<DEL>", L"a|c"},
    {"", L"ab|\ncd", L"<DEL>", L"ab|cd"},
    {"", L"ab\n|cd", L"<BS>", L"ab|cd"},
    {"", L"|ab", L"<BS>", L"|ab"},
    {"", L"ab|", L"<DEL>", L"ab|"},
    {"", L"a\xD83D\xDE00|b", L"<BS>", L"a|b"},
    {"", L"a|\xD83D\xDE00\x62", L"<DEL>", L"a|b"},
    {"", L"|ab", L"x\xD83D\xDE00y<BS><BS>", L"x|ab"},
    {"", L"one two| three", L"<C-BS>", L"one | three"},
    {"", L"one |two three", L"<C-DEL>", L"one | three"},
    {"", L"o[ne t|wo", L"<C-DEL><UNDO>", L"one t|wo"},
    {"v", L"ab|\ncd", L"<R><R><DEL>", L"ab\t|cd"},
    {"vs", L"ab|\ncd", L"<R><DEL>", L"ab |cd"},
    {"v", L"ab|", L"<R><R><BS>", L"ab~|"},
    {"", L"[ab\nc|d", L"<DEL>", L"|d"},
    {"", L"a\nb|\nc", L"<C-L>", L"a\n|c"},
    {"", L"a\n[b\nc|\nd", L"<C-L>", L"a\n|d"},
    {"", L"a\nb|", L"<C-L>", L"a\n|"},
    {"", L"|", L"<C-L>", L"|"},
    // Selections replaced, Escape.
    {"", L"a[bc|d", L"x", L"ax|d"},
    {"", L"a[bc|d", L"x<UNDO>", L"abc|d"},
    {"", L"a[bc|d", L"<ESC>", L"abc|d"},
    // Undo steps: typing joins until a breaking character, which starts the next step.
    {"", L"|", L"ab cd<UNDO>", L"ab|"},
    {"", L"|", L"ab cd<UNDO><UNDO>", L"|"},
    {"", L"|", L"ab cd<UNDO><UNDO><REDO><REDO>", L"ab cd|"},
    {"", L"|", L"ab<L>cd<UNDO>", L"a|b"},
    {"", L"|", L"x<INS>yz<UNDO>", L"xy|"},
    // Clipboard.
    {"", L"[ab|c", L"<COPY><E><PASTE>", L"abcab|"},
    {"", L"[ab|c", L"<CUT><E><PASTE><PASTE>", L"cabab|"},
    {"", L"|ab\ncd\nef", L"<#D><#R><COPY><E><PASTE>", L"ab\ncda\nefc|"},
    {"", L"|ab\ncd", L"<#D><#R><COPY><PU><E><PASTE>", L"aba\ncdc|"},
    {"", L"|", L"<PASTE>", L"|"},
    {"", L"|ab\ncd", L"<#D><#R><COPY><PASTE><UNDO>", L"a|b\ncd"},  // a paste over a block is one step
    {"a", L"\tx|", L"<CR>", L"\tx\n|@5"},
};

TEST(TextEditor, EditSequences) {
    for (const EditCase& c : kEditCases) {
        Editing e(L"");
        const std::string_view options = c.options;
        e.core.SetOption(EditorOptions::kAutoIndent, options.find('a') != std::string_view::npos, false);
        e.core.SetOption(EditorOptions::kTabWithSpace, options.find('s') != std::string_view::npos, false);
        e.core.SetOption(EditorOptions::kVirtualSpace, options.find('v') != std::string_view::npos, false);
        Place(e, c.before);
        Type(e, c.keys);
        const std::wstring got = Render(e);
        EXPECT_EQ(got, c.after) << "keys " << std::string(c.keys, c.keys + wcslen(c.keys));
    }
}

std::vector<int> Bookmarks(const CQELPenwrightBufferManager& buffer) {
    std::vector<int> rows;
    for (int row = 1; row <= buffer.GetRowCount(); ++row)
        if (buffer.GetLineMarks().HasMark(row, LineMarkKind::Bookmark))
            rows.push_back(row);
    return rows;
}

TEST(TextEditor, MarksFollowTheirRows) {
    struct Case {
        const wchar_t* before;
        std::vector<int> marks;
        const wchar_t* keys;  // or, when empty, `host` acts
        void (*host)(TextEditor&);
        std::vector<int> after;
    };
    const Case cases[] = {
        {L"a\n|b\nc", {2}, L"<CR>", nullptr, {3}},  // a row inserted above takes nothing along
        {L"a\nb|\nc", {2, 3}, L"<CR>", nullptr, {2, 4}},
        {L"a\n|b\nc", {2, 3}, L"<C-L>", nullptr, {2}},  // the deleted row's mark goes with it
        {L"a\nb\n|c", {1, 3}, L"<C-L>", nullptr, {1}},
        {L"|ab\ncd", {1, 2}, L"<#D><#R><DEL>", nullptr, {1, 2}},  // a block leaves the rows
        {L"a\nb|", {2}, L"<BS><BS>", nullptr, {1}},
        {L"|a\nb", {2}, L"", [](TextEditor& ed) { ed.InsertRow(2, L"x", true); }, {3}},
        {L"|a\nb\nc", {2, 3}, L"", [](TextEditor& ed) { ed.RemoveRow(2, true); }, {2}},
        {L"|a\nb", {1, 2}, L"", [](TextEditor& ed) { ed.InsertRow(3, L"x", true); }, {1, 2}},
    };
    for (const Case& c : cases) {
        Editing e(L"");
        Place(e, c.before);
        for (int row : c.marks) e.buffer->GetLineMarks().SetMark(row, LineMarkKind::Bookmark);
        if (c.host)
            c.host(e.core.GetEditor());
        else
            Type(e, c.keys);
        EXPECT_EQ(Bookmarks(*e.buffer), c.after) << testing::PrintToString(std::wstring(c.before));
    }
}

TEST(TextEditor, ReadOnlyTextStaysAsItIs) {
    Editing e(L"");
    Place(e, L"ab\n[cd|");
    e.window.clipboard = EditorWindow::ClipboardText{L"pasted", false};
    e.window.readOnly = 1;
    Type(e, L"x<CR><TAB><BS><DEL><C-L><CUT><PASTE><IND><UNIND><UNDO>");
    TextEditor& ed = e.core.GetEditor();
    EXPECT_FALSE(ed.SetRowText(1, L"z", true) || ed.InsertRow(1, L"z", true) || ed.RemoveRow(1, true));
    EXPECT_EQ(Render(e), L"ab\n[cd|");
    EXPECT_EQ(e.window.clipboard->text, L"pasted");
    Type(e, L"<L><COPY>");  // moving and copying still work
    EXPECT_EQ(Render(e), L"ab\n|cd");
}

TEST(TextEditor, TypingTellsTheParentInOrder) {
    Editing e(L"ab");
    e.Caret().MoveToPosition(1, 2);
    e.window.notes.clear();
    Type(e, L"x");
    std::vector<int32_t> codes;
    for (const auto& note : e.window.notes) codes.push_back(note[0]);
    const std::vector<int32_t> expected{EditNotify::kBeforeInput, EditNotify::kReadOnly,
                                        EditNotify::kRowsChanged, EditNotify::kCaretMoved,
                                        EditNotify::kScrolled,    EditNotify::kModified};
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(e.window.notes[2], (std::vector<int32_t>{EditNotify::kRowsChanged, 1, 1, 4}));
}

TEST(TextEditor, ClipboardFormsAndFailures) {
    Editing e(L"");
    Place(e, L"|ab\ncd\nef");
    Type(e, L"<#D><#D><#R><COPY>");
    ASSERT_TRUE(e.window.clipboard);
    EXPECT_TRUE(e.window.clipboard->block);
    EXPECT_EQ(e.window.clipboard->text, L"a\r\nc\r\ne\r\n");
    // A clipboard another program holds: nothing is cut, nothing pasted.
    e.window.clipboardOpens = false;
    Type(e, L"<CUT><PASTE>");
    EXPECT_EQ(Render(e), L"[ab\ncd\ne|f");
}

// A random session of keys and mouse gestures over a text with folds and marks: the caret always stands on a
// row that shows, inside the text; undoing everything gives the first text back, redoing it the last.
TEST(TextEditor, RandomSessionsUndoAndRedoWhole) {
    static const std::vector<std::wstring> keys{
        L"a",       L"b",      L" ",      L"{",           L"}",       L";",     L"<CR>",    L"<TAB>",
        L"<S-TAB>", L"<BS>",   L"<DEL>",  L"<C-BS>",      L"<C-DEL>", L"<C-L>", L"<ESC>",   L"<INS>",
        L"<L>",     L"<R>",    L"<U>",    L"<D>",         L"<+R>",    L"<+D>",  L"<#D>",    L"<#R>",
        L"<^R>",    L"<H>",    L"<E>",    L"<PD>",        L"<COPY>",  L"<CUT>", L"<PASTE>", L"<IND>",
        L"<UNIND>", L"<UNDO>", L"<REDO>", L"\xD83D\xDE00"};
    for (unsigned seed = 1; seed <= 100; ++seed) {
        std::mt19937 random(seed);
        Editing e(L"");
        Place(e, L"|int f() {\n\tif (x) {\n\t\treturn 1;\n\t}\n}\n// end");
        e.core.SetOption(EditorOptions::kAutoIndent, random() % 2, false);
        e.core.SetOption(EditorOptions::kVirtualSpace, random() % 2, false);
        e.core.SetOption(EditorOptions::kTabWithSpace, random() % 2, false);
        CQELPenwrightLineMarksManager& marks = e.buffer->GetLineMarks();
        const std::wstring original = e.buffer->GetWholeText();
        for (int step = 0; step < 60; ++step) {
            const int rows = e.buffer->GetRowCount();
            const int row = static_cast<int>(random() % static_cast<unsigned>(rows)) + 1;
            switch (random() % 8) {
                case 0:
                    // A click on a node: the row folds and the caret goes to it.
                    if (row + 1 <= rows) {
                        Folds::Collapse(marks, {{row, 0}, {std::min(rows, row + 2), 0}, L"..."});
                        e.Caret().SetCaretPos(row, 1, true, false);
                    }
                    break;
                case 1:
                    e.core.GetEditor().ToggleBookmark(row);
                    break;
                case 2: {
                    // A gesture on the page: a click, a drag selection, a drag of the selection, a
                    // double click, or rows picked in the line numbers.
                    static const char* const kGestures[] = {"d %d,%d u %d,%d",
                                                            "d %d,%d t %d,%d u %d,%d",
                                                            "d %d,%d m %d,%d u %d,%d",
                                                            "d %d,%d m %d,%d ^u %d,%d",
                                                            "2 %d,%d",
                                                            "n %d t %d,%d u %d,%d",
                                                            "#d %d,%d t %d,%d u %d,%d"};
                    auto place = [&] { return static_cast<int>(random() % 5) + 1; };
                    const int r1 = place(), c1 = place(), r2 = place(), c2 = place() * 2;
                    char gesture[64];
                    std::snprintf(gesture, sizeof gesture, kGestures[random() % std::size(kGestures)], r1, c1,
                                  r2, c2, r2, c2);
                    Mouse(e, gesture);
                    break;
                }
                default:
                    Type(e, keys[random() % keys.size()]);
            }
            const EditCaret& caret = e.Caret();
            ASSERT_GE(caret.GetRow(), 1);
            ASSERT_LE(caret.GetRow(), std::max(e.buffer->GetRowCount(), 1)) << "seed " << seed;
            ASSERT_FALSE(e.core.RowMap().IsHidden(caret.GetRow())) << "seed " << seed << " step " << step;
        }
        const std::wstring last = e.buffer->GetWholeText();
        TextEditor& ed = e.core.GetEditor();
        int undone = 0;
        while (ed.Undo()) ++undone;
        EXPECT_EQ(e.buffer->GetWholeText(), original) << "seed " << seed;
        ed.Redo(undone);
        EXPECT_EQ(e.buffer->GetWholeText(), last) << "seed " << seed;
    }
}

TEST(TextEditor, AnEditRepaintsItsRowsAndARowCountChangeThoseBelow) {
    Editing e(L"");
    Place(e, L"a\nb\nc|\nd\ne");
    Type(e, L"x");  // the first showing of the caret repaints everything once
    auto spans = [&](std::wstring_view keys) {
        e.window.invalidated.clear();
        Type(e, keys);
        int top = INT_MAX, bottom = 0;
        for (const PixelRect& area : e.window.invalidated) {
            top = std::min(top, area.top);
            bottom = std::max(bottom, area.bottom);
        }
        return std::pair(top, bottom);
    };
    EXPECT_EQ(spans(L"y"), std::pair(32, 48));    // the third row, 16 pixels high
    EXPECT_EQ(e.core.TakeEdited().row, 3);        // the paint compares the rows below
    EXPECT_EQ(spans(L"<U>"), std::pair(16, 48));  // the caret's old and new rows
    EXPECT_EQ(spans(L"<CR>"), std::pair(16, 80));
    EXPECT_EQ(spans(L"<+L>"), std::pair(0, 80));  // a selection: everything
}

}  // namespace
