// Searching the text and replacing what is found: the search's rules as a table, the control's
// find (selection, caret, view) and replace all with its single undo step.
#include "EditorTesting.h"
#include "editor/CharClass.h"
#include "editor/Folds.h"
#include "editor/TextEditor.h"
#include "editor/TextSearch.h"

namespace {

struct SearchCase {
    const wchar_t* text;  // rows joined by '\n'
    const wchar_t* find;
    const char* options;     // "w" whole word, "c" match case, "u" up
    int row, col;            // where the search starts
    int foundRow, foundCol;  // 0: nothing found
    int foundLength = -1;    // -1: the length of `find`
};

TEST(TextSearch, FindsDownFromOrUpToAPosition) {
    const SearchCase cases[] = {
        {L"abab", L"ab", "", 1, 1, 1, 1},
        {L"abab", L"ab", "", 1, 2, 1, 3},
        {L"abab", L"ab", "", 1, 4, 0, 0},
        {L"abab", L"ab", "u", 1, 5, 1, 3},
        {L"abab", L"ab", "u", 1, 4, 1, 1},   // a match must end before the start
        {L"abab", L"ab", "u", 1, 99, 1, 3},  // a start past the row's end is its end
        {L"abab", L"ab", "", 1, 99, 0, 0},
        {L"ab\nxx\nab", L"ab", "", 1, 2, 3, 1},
        {L"ab\nxx\nab", L"ab", "u", 3, 1, 1, 1},
        {L"ab\nxx\nab", L"ab", "", 3, 2, 0, 0},  // no wrapping around
        {L"ab\nxx\nab", L"ab", "", 0, 1, 0, 0},  // start rows outside the text
        {L"ab\nxx\nab", L"ab", "", 4, 1, 0, 0},
        {L"ab", L"", "", 1, 1, 0, 0},
        {L"ab", L"abc", "", 1, 1, 0, 0},
        {L"xab abx (ab) ab;", L"ab", "w", 1, 1, 1, 10},
        {L"xab abx (ab) ab;", L"ab", "w", 1, 11, 1, 14},
        {L"xab abx (ab) ab;", L"ab", "wu", 1, 13, 1, 10},
        {L"_ab $ab", L"ab", "w", 1, 1, 1, 6},  // '_' makes words, '$' does not
        {L"a|b\\c", L"b", "w", 1, 1, 1, 3},
        {L"Hello WORLD", L"world", "", 1, 1, 1, 7},
        {L"Hello WORLD", L"world", "c", 1, 1, 0, 0},
        {L"x \u00c4\u00d6 \u03a3\u0391 \u041f\u0440\u0438", L"\u00e4\u00f6", "", 1, 1, 1, 3},
        {L"x \u00c4\u00d6 \u03a3\u0391 \u041f\u0440\u0438", L"\u03c3\u03b1", "w", 1, 1, 1, 6},
        {L"x \u00c4\u00d6 \u03a3\u0391 \u041f\u0440\u0438", L"\u043f\u0440\u0438", "", 1, 1, 1, 9},
        {L"x \u00c4\u00d6 \u03a3\u0391 \u041f\u0440\u0438", L"\u043f\u0440\u0438", "c", 1, 1, 0, 0},
        {L"int a1 = b22;", L"[a-z]\\d+", "r", 1, 1, 1, 5, 2},
        {L"int a1 = b22;", L"[a-z]\\d+", "r", 1, 6, 1, 10, 3},
        {L"xa1 a1", L"a\\d", "rw", 1, 1, 1, 5, 2},
        {L"ABC", L"abc", "r", 1, 1, 1, 1},
        {L"ABC", L"abc", "rc", 1, 1, 0, 0},
        {L"a1 a2 a3", L"a\\d", "ru", 1, 6, 1, 4, 2},
        {L"xab", L"^ab", "r", 1, 2, 0, 0},     // the row goes on before the start
        {L"ab ab", L"ab$", "ru", 1, 3, 0, 0},  // ... and after the end of an upward search
        {L"ab\nab", L"ab$", "r", 1, 1, 1, 1, 2},
        {L"abc", L"x*", "r", 1, 1, 0, 0},  // empty matches do not count
        {L"abc", L"x*", "ru", 1, 99, 0, 0},
        {L"a1 xa1", L"a\\d", "rwu", 1, 99, 1, 1, 2},
    };
    for (const SearchCase& c : cases) {
        const pw::RefPtr<CQELPenwrightBufferManager> buffer = BufferOf(c.text);
        const std::string options = c.options;
        auto has = [&](char option) { return options.find(option) != std::string::npos; };
        const SearchOptions search{has('w'), has('c'), !has('u'), has('r')};
        const TextSearch searching(c.find, search);
        const std::optional<SearchHit> hit = searching.Find(*buffer, c.row, c.col);
        const std::string where = testing::PrintToString(std::wstring(c.text)) + " " +
                                  testing::PrintToString(std::wstring(c.find)) + " " + options + " from " +
                                  std::to_string(c.row) + "," + std::to_string(c.col) + " " +
                                  testing::PrintToString(searching.Error());
        EXPECT_EQ(hit ? std::pair(hit->row, hit->col) : std::pair(0, 0), std::pair(c.foundRow, c.foundCol))
            << where;
        if (hit) {
            const int length =
                c.foundLength >= 0 ? c.foundLength : static_cast<int>(std::wstring_view(c.find).size());
            EXPECT_EQ(hit->length, length) << where;
        }
    }
}

TEST(TextSearch, ABadOrRunawayExpressionFindsNothingAndSaysWhy) {
    const pw::RefPtr<CQELPenwrightBufferManager> buffer = BufferOf(std::wstring(5000, L'a') + L"\nab");
    for (const wchar_t* pattern : {L"(", L"(a+)+b"}) {
        const TextSearch search(pattern, {.regex = true});
        EXPECT_FALSE(search.Find(*buffer, 1, 1)) << testing::PrintToString(std::wstring(pattern));
        EXPECT_FALSE(search.Error().empty()) << testing::PrintToString(std::wstring(pattern));
    }
    EXPECT_TRUE(TextSearch(L"a+b", {.regex = true}).Find(*buffer, 1, 1));
}

TEST(CountMatches, SaysWhyASearchCannotBegin) {
    struct Case {
        const wchar_t* find;
        bool regex, inSelection;  // no selection: the caret at the top
        int count;
        const wchar_t* error;  // how it begins; "" for none
    };
    const Case cases[] = {
        {L"a\\d", true, false, 2, L""},
        {L"", false, false, 0, L"Nothing to search for."},
        {L"(", true, false, 0, L"Not a regular expression"},
        {L"(", true, true, 0, L"Not a regular expression"},  // even with no selection
    };
    for (const Case& c : cases) {
        Editing e(L"a1 a2");
        std::wstring error = L"stale";
        EXPECT_EQ(e.core.GetEditor().CountMatches(c.find, {.regex = c.regex}, c.inSelection, &error), c.count)
            << testing::PrintToString(std::wstring(c.find));
        EXPECT_TRUE(error.starts_with(c.error) && error.empty() == (*c.error == 0))
            << testing::PrintToString(error);
    }
}

TEST(TextSearch, WholeWordEndsAreThirtyCharacters) {
    const std::wstring_view ends = L"() \t<>{}:;,.=%\"'!@#$^&*-\\|[]/?";
    int count = 0;
    for (wchar_t c = 1; c < 0x3000; ++c) count += CharClass::EndsWholeWord(c) ? 1 : 0;
    EXPECT_EQ(count, 30);
    for (wchar_t c : ends) EXPECT_TRUE(CharClass::EndsWholeWord(c)) << static_cast<int>(c);
}

TEST(Find, SelectsTheMatchWithTheCaretAtItsEndAndGoesOnPastIt) {
    Editing e(L"");
    Place(e, L"|abab\nab");
    TextEditor& editor = e.core.GetEditor();
    for (const std::wstring_view step : {L"[ab|ab\nab", L"ab[ab|\nab", L"abab\n[ab|"}) {
        ASSERT_TRUE(editor.Find(L"ab", {}, false));
        EXPECT_EQ(Render(e), step);
    }
    EXPECT_FALSE(editor.Find(L"ab", {}, false));  // the end: the selection stays
    EXPECT_EQ(Render(e), L"abab\n[ab|");
    ASSERT_TRUE(editor.Find(L"ab", {.down = false}, false));  // up: before the selection
    EXPECT_EQ(Render(e), L"ab[ab|\nab");
    ASSERT_TRUE(editor.Find(L"ab", {}, true, 1, 1));  // a given start replaces the selection's
    EXPECT_EQ(Render(e), L"[ab|ab\nab");
}

TEST(Find, AMatchOffThePageIsShownWithRoomAfterIt) {
    std::wstring text;
    for (int row = 1; row <= 40; ++row) text += L"row " + std::to_wstring(row) + L"\n";
    Editing e(text);
    TextEditor& editor = e.core.GetEditor();
    const int page = e.core.RowsPerPage();
    // Down, up, down again: each from where the last match left the caret.
    for (const int row : {30, 3, 25, 38}) {
        const bool down = row > e.Caret().GetRow();
        ASSERT_TRUE(editor.Find(L"row " + std::to_wstring(row), {.wholeWord = true, .down = down}, false));
        EXPECT_EQ(e.Caret().GetRow(), row);
        EXPECT_LE(e.core.GetTopRow(), row) << row;
        EXPECT_LT(row, e.core.GetTopRow() + page) << row;
    }
}

TEST(Find, AMatchInAFoldOpensItAndReplaceAllDropsAPendingIndentation) {
    Editing e(L"{\n  a\n  needle\n}\nafter");
    CQELPenwrightLineMarksManager& marks = e.buffer->GetLineMarks();
    Folds::Collapse(marks, {{1, 1}, {4, 1}, L"..."});
    ASSERT_TRUE(Folds::CollapsedAt(marks, 1));
    ASSERT_TRUE(e.core.GetEditor().Find(L"needle", {}, false));
    EXPECT_FALSE(Folds::CollapsedAt(marks, 1));
    EXPECT_EQ(e.Caret().GetRow(), 3);

    e.Caret().SetPendingIndent(5, 4, 0, 4);
    EXPECT_EQ(e.core.GetEditor().ReplaceAll(L"a", L"b", false, false), 2);
    EXPECT_FALSE(e.Caret().GetPendingIndent());
}

struct ReplaceCase {
    const wchar_t* before;
    const wchar_t* find;
    const wchar_t* replace;
    const char* options;  // "w", "c", "r"
    int count;
    const wchar_t* after;
};

TEST(ReplaceAll, ReplacesEveryMatchAsOneStepThatUndoes) {
    const ReplaceCase cases[] = {
        {L"aaa", L"a", L"aa", "", 3, L"aaaaaa"},  // never searches its own output
        {L"ab Ab AB", L"ab", L"x", "", 3, L"x x x"},
        {L"ab Ab AB", L"ab", L"x", "c", 1, L"x Ab AB"},
        {L"ab xab (ab)", L"ab", L"x", "w", 2, L"x xab (x)"},
        {L"abcabc\nbb", L"b", L"", "", 4, L"acac\n"},
        {L"a\na", L"a", L"b\nc", "", 2, L"b\nc\nb\nc"},
        {L"abc", L"", L"x", "", 0, L"abc"},
        {L"abc", L"z", L"x", "", 0, L"abc"},
        {L"x=1; y=22;\nz=3", L"(\\w)=(\\d+)", L"$2=$1", "r", 3, L"1=x; 22=y;\n3=z"},
        {L"a b\nc d", L" ", L"\\t", "r", 2, L"a\tb\nc\td"},
        {L"aXbxc", L"x", L"", "r", 2, L"abc"},
    };
    for (const ReplaceCase& c : cases) {
        Editing e(c.before);
        const std::string options = c.options;
        TextEditor& editor = e.core.GetEditor();
        const std::wstring where = std::wstring(c.before) + L" " + c.find;
        EXPECT_EQ(
            editor.ReplaceAll(c.find, c.replace, options.find('w') != std::string::npos,
                              options.find('c') != std::string::npos, options.find('r') != std::string::npos),
            c.count)
            << testing::PrintToString(where);
        auto text = [&] {
            std::wstring all = e.buffer->GetWholeText();
            std::erase(all, L'\r');
            return all;
        };
        EXPECT_EQ(text(), c.after) << testing::PrintToString(where);
        if (c.count == 0)
            continue;
        ASSERT_TRUE(editor.Undo());
        EXPECT_EQ(text(), c.before) << testing::PrintToString(where);
        EXPECT_FALSE(editor.CanUndo());
        ASSERT_TRUE(editor.Redo());
        EXPECT_EQ(text(), c.after) << testing::PrintToString(where);
    }
}

TEST(ReplaceAll, KeepsTheCaretTheViewAndEarlierStepsAndMovesMarks) {
    Editing e(L"");
    Place(e, L"a\nb\na|b\nc");
    TextEditor& editor = e.core.GetEditor();
    editor.OnChar(L'x', {});
    e.buffer->GetLineMarks().SetMark(4, LineMarkKind::Bookmark);
    EXPECT_EQ(editor.ReplaceAll(L"a", L"1\n2", false, false), 2);
    EXPECT_EQ(Render(e), L"1\n2\nb|\n1\n2xb\nc") << "the caret keeps its row and column";
    EXPECT_TRUE(e.buffer->GetLineMarks().HasMark(6, LineMarkKind::Bookmark));
    ASSERT_TRUE(editor.Undo());
    EXPECT_EQ(Render(e), L"a|\nb\naxb\nc") << "the typing before is a step of its own";
    EXPECT_TRUE(editor.CanUndo());

    e.window.readOnly = 1;
    EXPECT_EQ(editor.ReplaceAll(L"a", L"z", false, false), 0);
    EXPECT_EQ(Render(e), L"a|\nb\naxb\nc");
}

struct ScopedCase {
    const wchar_t* before;  // "[" the selection's anchor, "|" the caret
    const wchar_t* find;
    const wchar_t* replace;
    int count;
    const wchar_t* after;  // the selection covering what became of it
};

TEST(ReplaceAll, WithinTheSelectionOnlyItsMatchesAndItsEndMovesAlong) {
    const ScopedCase cases[] = {
        {L"a a [a a| a", L"a", L"b", 2, L"a a [b b| a"},
        {L"x[x\nxx\nx|x", L"x", L"yy", 4, L"x[yy\nyyyy\nyy|x"},
        {L"a[a\na|a", L"a", L"b\nc", 2, L"a[b\nc\nb\nc|a"},
        {L"[ab|c", L"abc", L"x", 0, L"[ab|c"},  // a match must lie wholly inside
    };
    for (const ScopedCase& c : cases) {
        Editing e(L"");
        Place(e, c.before);
        TextEditor& editor = e.core.GetEditor();
        EXPECT_EQ(editor.CountMatches(c.find, {}, true), c.count)
            << testing::PrintToString(std::wstring(c.before));
        EXPECT_EQ(editor.ReplaceAll(c.find, c.replace, false, false, false, true), c.count)
            << testing::PrintToString(std::wstring(c.before));
        EXPECT_EQ(Render(e), c.after);
    }
    // A column block: only what lies between its display columns, row by row.
    Editing e(L"ab ab\nab ab\nab ab");
    EditCaret& caret = e.Caret();
    caret.Select(1, 1, 2, 3, false);
    caret.GetSelection().Set(caret.GetSelection().GetStart(), caret.GetSelection().GetEnd(), true);
    EXPECT_EQ(e.core.GetEditor().CountMatches(L"ab", {}, false), 6);
    EXPECT_EQ(e.core.GetEditor().ReplaceAll(L"ab", L"X", false, false, false, true), 2);
    EXPECT_EQ(e.buffer->GetWholeText(), L"X ab\r\nX ab\r\nab ab");
    EXPECT_TRUE(caret.GetSelection().IsBlock());
}

}  // namespace
