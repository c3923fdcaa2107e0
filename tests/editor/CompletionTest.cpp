#include "editor/Completion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "editor/EditorTesting.h"
#include "lexer/LexText.h"
#include "parser/ParseTesting.h"

namespace {

using Key = CompletionModel::Key;

// The keys of the sequences below: '@' is Ctrl+Space; the list's keys while it is open, the
// editor's when it is not; every other character is typed.
struct KeySymbol {
    wchar_t symbol;
    Key key;
    bool listOnly;  // the editor never sees it while the list is open
};
constexpr KeySymbol kKeys[] = {
    {L'<', Key::kUp, true},          {L'>', Key::kDown, true},   {L'{', Key::kPageUp, true},
    {L'}', Key::kPageDown, true},    {L'^', Key::kHome, true},   {L'$', Key::kEnd, true},
    {L'\n', Key::kInsert, true},     {L' ', Key::kInsert, true}, {L'~', Key::kClose, false},
    {L'\b', Key::kBackspace, false},
};

// What the control does with each key and character of `keys`.
void Press(Editing& e, CompletionModel& list, std::wstring_view keys) {
    TextEditor& editor = e.core.GetEditor();
    for (wchar_t c : keys) {
        if (c == L'@') {
            Completion::OpenAtCaret(e.core, list);
            continue;
        }
        const KeySymbol* key = nullptr;
        for (const KeySymbol& k : kKeys)
            if (k.symbol == c)
                key = &k;
        if (list.IsOpen() && key) {
            if (list.OnKey(key->key) == CompletionModel::Outcome::kInsert)
                Completion::InsertChosen(e.core, list);
            if (key->listOnly)
                continue;
        } else if (list.IsOpen()) {
            const CompletionModel::Reaction reaction = list.OnChar(c);
            if (reaction.outcome == CompletionModel::Outcome::kInsert)
                Completion::InsertChosen(e.core, list);
            if (!reaction.toEditor)
                continue;
        }
        if (c == L'\b')
            editor.BackspaceKey(false);
        else
            editor.OnChar(c == L'\n' ? L'\r' : c == L'~' ? L'\x1b' : c, {});
    }
}

// The list as one word: "" closed, "-" open without highlight, else the selected item.
std::wstring StateOf(const CompletionModel& list) {
    if (!list.IsOpen())
        return L"";
    return list.Highlighted() ? list.ItemAt(list.Selected()) : L"-";
}

struct SequenceCase {
    const wchar_t* text;  // rows, "|" the caret
    const wchar_t* keys;
    const wchar_t* after;
    const wchar_t* state;
};

}  // namespace

TEST(Completion, KeySequencesEditTheTextAndLeaveTheListSo) {
    const SequenceCase cases[] = {
        {L"print\npri|", L"@", L"print\npri|", L"print"},
        {L"print\npri|", L"@\n", L"print\nprint|", L""},
        {L"print\nPRI|", L"@\n", L"print\nprint|", L""},
        {L"print\npri|", L"@ ", L"print\nprint|", L""},
        {L"print\npri|", L"@nt", L"print\nprint|", L""},  // typed whole: in once, as the list has it
        {L"Print\npri|", L"@NT", L"Print\nPrint|", L""},
        {L"print printer\npri|", L"@n", L"print printer\nprin|", L"print"},
        {L"alpha beta\n|", L"@", L"alpha beta\n|", L"alpha"},
        {L"alpha beta\n|", L"@x", L"alpha beta\nx|", L"-"},        // opened on nothing: stays
        {L"alpha beta\n|", L"@x<>{}^$", L"alpha beta\nx|", L"-"},  // no rows to move through
        {L"alpha beta\n|", L"@x\n", L"alpha beta\nx|", L""},
        {L"alpha beta\n|", L"@xy\b\b", L"alpha beta\n|", L""},
        {L"alpha beta\n|", L"@b", L"alpha beta\nb|", L"beta"},
        {L"alpha\nal|", L"@x", L"alpha\nalx|", L""},  // opened on a word: closes
        {L"alpha beta gamma\n|", L"@>>", L"alpha beta gamma\n|", L"gamma"},
        {L"alpha beta gamma\n|", L"@>>\n", L"alpha beta gamma\ngamma|", L""},
        {L"alpha beta gamma\n|", L"@>>>>>><", L"alpha beta gamma\n|", L"beta"},
        {L"alpha beta gamma\n|", L"@<<", L"alpha beta gamma\n|", L"alpha"},
        {L"alpha beta gamma\n|", L"@$", L"alpha beta gamma\n|", L"gamma"},
        {L"alpha beta gamma\n|", L"@$^", L"alpha beta gamma\n|", L"alpha"},
        {L"alpha beta gamma\n|", L"@}", L"alpha beta gamma\n|", L"gamma"},
        {L"alpha beta gamma\n|", L"@}{", L"alpha beta gamma\n|", L"alpha"},
        {L"alpha\nal|", L"@~", L"alpha\nal|", L""},
        {L"alpha\nal|", L"@~\n", L"alpha\nal\n|", L""},  // closed: Enter is the editor's again
        {L"alpha\nalp|", L"@\b", L"alpha\nal|", L"alpha"},
        {L"alpha\nalp|", L"@\b\n", L"alpha\nalpha|", L""},
        {L"alpha\na|", L"@\b", L"alpha\n|", L""},
        {L"alpha\nal|", L"@.", L"alpha\nal.|", L""},  // not part of a word: closes, is typed
        {L"alpha\nal|", L"@\t", L"alpha\nal\t|", L""},
        {L"alpha\nx.al|", L"@\n", L"alpha\nx.alpha|", L""},
        {L"alpha\nx al|", L"@\n", L"alpha\nx alpha|", L""},
        {L"alpha\nx(al|)", L"@\n", L"alpha\nx(alpha|)", L""},
        {L"alpha\nal|pha", L"@\n", L"alpha\nalpha|pha", L""},
        {L"alpha\n\tal|", L"@\n", L"alpha\n\talpha|", L""},
        {L"alpha\nzz|", L"@", L"alpha\nzz|", L""},  // nothing matches: never opens
        {L"alpha a1 9lives x\n|", L"@", L"alpha a1 9lives x\n|", L"a1"},
        {L"|", L"@", L"|", L""},
        {L"alpha\n[1 |", L"@\n", L"alpha\n1 alpha|", L""},  // a selection is no word: left as it was
    };
    for (const SequenceCase& c : cases) {
        Editing e(L"");
        Place(e, c.text);
        CompletionModel list;
        Press(e, list, c.keys);
        EXPECT_EQ(Render(e), c.after) << c.text << " " << c.keys;
        EXPECT_EQ(StateOf(list), c.state) << c.text << " " << c.keys;
    }
}

TEST(Completion, ASchemaGivesItsKeywordsAndTheDocumentItsWordsOnceEach) {
    Editing e(L"");
    ASSERT_TRUE(e.core.GetParser().SetTextSchema(ShippedSchema(L"cpp.pws").get()));
    Place(e, L"int return_value;\nret|");
    CompletionModel list;
    Press(e, list, L"@");
    std::vector<std::wstring> shown;
    for (int i = 0; i < list.Count(); ++i) shown.push_back(list.ItemAt(i));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"return", L"return_value"}));
    Press(e, list, L">\n");
    EXPECT_EQ(Render(e), L"int return_value;\nreturn_value|");
    // "int" is a keyword and a word of the text: one item.
    Place(e, L"|");
    Press(e, list, L"@");
    const std::vector<std::wstring>& items = list.Items();
    EXPECT_EQ(std::count(items.begin(), items.end(), L"int"), 1);
}

TEST(Completion, AnInsertIsOneStepTheParentHearsOfOnlyWhenItHappened) {
    for (const bool readOnly : {false, true}) {
        Editing e(L"");
        Place(e, L"alpha\nal|");
        e.window.readOnly = readOnly;
        CompletionModel list;
        Press(e, list, L"@");
        e.window.notes.clear();
        Press(e, list, L"\n");
        auto sent = [&](int code) {
            return std::any_of(e.window.notes.begin(), e.window.notes.end(),
                               [&](const std::vector<int32_t>& note) { return note[0] == code; });
        };
        EXPECT_EQ(sent(EditNotify::kModified), !readOnly);
        EXPECT_EQ(Render(e), readOnly ? L"alpha\nal|" : L"alpha\nalpha|");
        EXPECT_FALSE(list.IsOpen());
        if (!readOnly) {
            e.core.GetEditor().Undo();
            EXPECT_EQ(Render(e), L"alpha\nal|");
        }
    }
}

TEST(Completion, SortedIsCaseInsensitiveWithEachWordOnce) {
    const std::vector<std::vector<std::wstring>> cases = {
        {},
        {L"", L""},
        {L"b", L"A", L"a", L"B", L"a"},
        {L"print", L"Print", L"PRINT", L"printer", L"prin", L"print"},
        {L"\x00C9t\x00E9", L"\x00E9t\x00E9", L"zeta", L"Zeta", L"_x", L"9"},
        {L"while", L"if", L"else", L"for", L"If", L"ELSE", L"do", L"", L"while"},
    };
    for (const std::vector<std::wstring>& words : cases) {
        const std::vector<std::wstring> sorted = Completion::Sorted(words);
        std::set<std::wstring> expected(words.begin(), words.end());
        expected.erase(L"");
        EXPECT_EQ(std::set<std::wstring>(sorted.begin(), sorted.end()), expected);
        EXPECT_EQ(sorted.size(), expected.size());
        for (size_t i = 1; i < sorted.size(); ++i)
            EXPECT_LE(FoldCase(sorted[i - 1]), FoldCase(sorted[i])) << sorted[i - 1] << " " << sorted[i];
    }
}

// On every schema we ship, the word before the caret holds only word characters and ends at it.
TEST(Completion, TheWordBeforeTheCaretStopsAtBlanksAndPunctuationInEverySchema) {
    struct WordCase {
        const wchar_t* row;  // "|" is the caret
        const wchar_t* word;
        int startCol;
    };
    const WordCase cases[] = {
        {L"x = pri|", L"pri", 5},
        {L"print|", L"print", 1},
        {L"a.b|", L"b", 3},
        {L"foo(bar|", L"bar", 5},
        {L"  |", L"", 3},
        {L"\tab|", L"ab", 5},
        {L"a-b|", L"b", 3},
        {L"x\"y|", L"y", 3},
        {L"abc| def", L"abc", 1},
        {L"a b|c", L"b", 3},
        {L"|abc", L"", 1},
        {L"\x00E9t\x00E9|", L"\x00E9t\x00E9", 1},
        {L"x;\xD83D\xDE00y|", L"\xD83D\xDE00y", 3},
        {L"a,b|", L"b", 3},
        {L"<tag|", L"tag", 2},
    };
    const std::filesystem::path folder = std::filesystem::path(PW_CONFIG_DIR) / "Schemas";
    int schemas = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".pws")
            continue;
        ++schemas;
        auto parser = pw::MakeRef<LexParser>();
        SchemaPtr schema = ShippedSchema(pw::Widen(entry.path().filename().string()));
        ASSERT_TRUE(parser->SetTextSchema(schema.get())) << entry.path();
        std::vector<LexParser::TokenList> lists;
        parser->GetTokenLists(lists, false);
        const Completion::Vocabulary vocabulary = Completion::FromTokenLists(lists);
        for (const WordCase& c : cases) {
            std::wstring text = c.row;
            const int pos = static_cast<int>(text.find(L'|')) + 1;
            text.erase(static_cast<size_t>(pos - 1), 1);
            const RowColumns::Row row{text, 4, false};
            const Completion::Word word = Completion::WordBefore(row, pos, vocabulary.delimiters);
            EXPECT_EQ(word.text, c.word) << entry.path() << " " << c.row;
            EXPECT_EQ(word.startCol, c.startCol) << entry.path() << " " << c.row;
            EXPECT_EQ(word.endCol, RowColumns::ColumnOf(row, pos)) << entry.path() << " " << c.row;
        }
    }
    EXPECT_GT(schemas, 10);
}

TEST(Completion, RowsScrollOnceTheyWouldReachTheMostHeight) {
    struct RowsCase {
        int count, itemHeight, visible;
    };
    const RowsCase cases[] = {
        {30, 19, 8}, {8, 19, 8},  {9, 19, 8}, {5, 20, 5},        {8, 20, 8},
        {0, 19, 0},  {3, 500, 1}, {1, 0, 1},  {1000000, 1, 160},
    };
    for (const RowsCase& c : cases) {
        const int visible = Completion::VisibleRows(c.count, c.itemHeight);
        EXPECT_EQ(visible, c.visible) << c.count << " x " << c.itemHeight;
        EXPECT_LE(visible, c.count);
    }
    EXPECT_EQ(Completion::ItemHeight(13), 19);
    EXPECT_EQ(Completion::ItemHeight(-40), 1);
}

TEST(Completion, TheListStaysOnTheScreen) {
    const PixelRect screen{0, 0, 1024, 768};
    struct PlaceCase {
        int x, y, height;
        PixelRect placed;
    };
    const PlaceCase cases[] = {
        {100, 100, 80, {79, 100, 239, 180}},     // below the caret's row
        {100, 740, 80, {79, 644, 239, 724}},     // no room below: above the row
        {100, 60, 740, {79, 28, 239, 768}},      // room neither way: bottom-aligned
        {1020, 100, 80, {864, 100, 1024, 180}},  // right edge
        {5, 100, 80, {0, 100, 160, 180}},        // left edge
        {100, 100, 5000, {79, 0, 239, 768}},     // higher than the screen
        {-500, -500, 80, {0, 0, 160, 80}},
    };
    for (const PlaceCase& c : cases) {
        const PixelRect placed = Completion::Place(c.x, c.y, 16, c.height, screen);
        EXPECT_EQ(placed, c.placed) << c.x << "," << c.y << " " << c.height;
    }
}

TEST(Completion, TheFirstRowShownIsKeptWithinTheRowsAfterEveryFilterAndLayout) {
    std::vector<std::wstring> words;
    for (int i = 0; i < 30; ++i) words.push_back(L"w" + std::to_wstring(100 + i));
    words.push_back(L"x1");
    CompletionModel list;
    list.SetItems(words, L"");
    list.SetItemHeight(19);
    ASSERT_TRUE(list.Open({L"", 1, 1}));
    EXPECT_EQ(list.VisibleRows(), 8);
    EXPECT_TRUE(list.Scrolls());
    list.OnKey(Key::kEnd);
    EXPECT_EQ(list.FirstVisible(), 31 - 8);
    EXPECT_EQ(list.RowAt(0), 23);
    EXPECT_EQ(list.RowAt(8 * 19 - 1), 30);
    EXPECT_EQ(list.RowAt(8 * 19), -1);
    EXPECT_EQ(list.RowAt(-1), -1);
    list.ScrollTo(1000);
    EXPECT_EQ(list.FirstVisible(), 23);
    list.OnKey(Key::kUp, 5);
    EXPECT_EQ(list.ItemAt(list.Selected()), L"w125");
    list.SetItemHeight(1);  // every row fits: nothing to scroll
    EXPECT_EQ(list.FirstVisible(), 0);
    list.SetItemHeight(19);
    list.OnChar(L'w');
    list.OnChar(L'1');
    list.OnChar(L'2');
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.FirstVisible(), 0);
    list.OnKey(Key::kPageDown);
    EXPECT_EQ(list.Selected(), 8);
    EXPECT_EQ(list.FirstVisible(), 1);
    list.OnChar(L'9');
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.FirstVisible(), 0);
    list.Select(5, true);  // no such row
    EXPECT_EQ(list.Selected(), 0);
}

TEST(Completion, TheDocumentIsReadAroundTheCaretOnly) {
    std::wstring text;
    for (int i = 0; i < 10000; ++i) text += L"w" + std::to_wstring(i) + L"\n";
    text += std::wstring(Completion::kScanChars * 3, L'a') + L" tail";
    const auto buffer = BufferOf(text);
    std::vector<std::wstring> words;
    Completion::AddDocumentWords(*buffer, 5000, 3, L"", words);
    const std::set<std::wstring> found(words.begin(), words.end());
    EXPECT_TRUE(found.count(L"w4000") && found.count(L"w5998"));
    EXPECT_FALSE(found.count(L"w3000") || found.count(L"w6500"));
    EXPECT_FALSE(found.count(L"w4999"));  // the caret's own word
    // Long rows far off leave the rows near the caret their share.
    const std::wstring longRow(Completion::kScanChars, L'b');
    const auto crowded = BufferOf(longRow + L"\n" + longRow + L"\nnear near\n");
    words.clear();
    Completion::AddDocumentWords(*crowded, 4, 1, L"", words);
    EXPECT_EQ(words, (std::vector<std::wstring>{L"near", L"near"}));
    words.clear();
    // A row longer than what is read: only whole words inside the part read round the caret.
    Completion::AddDocumentWords(*buffer, 10001, Completion::kScanChars * 3 + 1, L"", words);
    EXPECT_EQ(std::count(words.begin(), words.end(), L"tail"), 1);
    EXPECT_TRUE(std::none_of(words.begin(), words.end(), [](const std::wstring& w) { return w[0] == L'a'; }));
}
