// The find dialog apart from its window: options and histories through the profile, the buttons
// it enables, and Find Next, Replace and Replace All over an edit control's logic.
#include <random>

#include "EditorTesting.h"
#include "editor/FindDialogModel.h"
#include "platform/Profile.h"

namespace {

struct Told : FindMessages {
    void Inform(std::wstring_view text) override { texts.emplace_back(text); }
    std::vector<std::wstring> texts;
};

const std::wstring kFinished = L"Finished searching!";

std::vector<std::wstring> Split(std::wstring_view joined) {
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < joined.size();) {
        const size_t bar = std::min(joined.find(L'|', at), joined.size());
        parts.emplace_back(joined.substr(at, bar - at));
        at = bar + 1;
    }
    return parts;
}

struct HistoryCase {
    uint32_t count;           // "FindHistoryCount"
    const wchar_t* entries;   // "FindHistory_0", "_1", ... joined by '|'
    const wchar_t* expected;  // the history loaded, joined by '|'
};

TEST(FindDialogModel, HistoriesLoadWithoutEmptyOrRepeatedEntriesAndWithinTheirLimit) {
    std::wstring many;
    for (int i = 0; i < 25; ++i) many += (i ? L"|" : L"") + std::to_wstring(i);
    const std::wstring first20 = many.substr(0, many.find(L"|20"));
    const HistoryCase cases[] = {
        {0, L"a|b", L""},
        {2, L"a|b", L"a|b"},
        {1, L"a|b", L"a"},
        {4, L"a||a|b", L"a|b"},
        {3, L"a", L"a"},  // entries missing from the profile
        {25, many.c_str(), first20.c_str()},
        {0xFFFFFFFF, L"a|b", L""},  // read back as -1
        {0x7FFFFFFF, L"a|b", L"a|b"},
    };
    for (const HistoryCase& c : cases) {
        for (const std::wstring name : {L"Find", L"Replace"}) {
            pw::MemoryProfile profile;
            profile.WriteInt(L"Settings", name + L"HistoryCount", c.count);
            const std::vector<std::wstring> entries = Split(c.entries);
            for (size_t i = 0; i < entries.size(); ++i)
                profile.WriteString(L"Settings", name + L"History_" + std::to_wstring(i), entries[i]);
            FindDialogModel model;
            model.Load(&profile);
            const auto& loaded = name == L"Find" ? model.findHistory : model.replaceHistory;
            EXPECT_EQ(loaded, Split(c.expected)) << c.count << " " << testing::PrintToString(c.entries);
            EXPECT_TRUE((name == L"Find" ? model.replaceHistory : model.findHistory).empty());
        }
    }
}

TEST(FindDialogModel, WhatIsSavedLoadsBackAndAFailedWriteIsReported) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        FindDialogModel saved;
        saved.options = {random() % 2 == 0, random() % 2 == 0, random() % 2 == 0};
        for (int i = static_cast<int>(random() % 30); i > 0; --i)
            FindDialogModel::Remember(random() % 2 ? saved.findHistory : saved.replaceHistory,
                                      std::wstring(random() % 4, static_cast<wchar_t>(L'a' + random() % 20)));
        pw::MemoryProfile profile;
        ASSERT_TRUE(saved.Save(&profile));
        FindDialogModel loaded;
        loaded.options = {!saved.options.wholeWord, !saved.options.matchCase, !saved.options.down};
        loaded.Load(&profile);
        EXPECT_EQ(loaded.options.wholeWord, saved.options.wholeWord);
        EXPECT_EQ(loaded.options.matchCase, saved.options.matchCase);
        EXPECT_EQ(loaded.options.down, saved.options.down);
        EXPECT_EQ(loaded.findHistory, saved.findHistory);
        EXPECT_EQ(loaded.replaceHistory, saved.replaceHistory);
        profile.failWrites = true;
        EXPECT_FALSE(saved.Save(&profile));
    }
    FindDialogModel model;
    model.options = {true, true, false};
    model.Load(nullptr);  // no profile: the options stay
    EXPECT_TRUE(model.options.wholeWord && model.options.matchCase && !model.options.down);
    EXPECT_FALSE(model.Save(nullptr));
}

TEST(FindDialogModel, AHistoryHoldsEachTextOnceTheNewestLastWithinItsLimit) {
    std::mt19937 random(11);
    std::vector<std::wstring> history;
    for (int step = 0; step < 2000; ++step) {
        const std::wstring entry(random() % 3, static_cast<wchar_t>(L'a' + random() % 40));
        const bool known = std::find(history.begin(), history.end(), entry) != history.end();
        const std::vector<std::wstring> before = history;
        EXPECT_EQ(FindDialogModel::Remember(history, entry), !entry.empty() && !known);
        if (entry.empty() || known) {
            EXPECT_EQ(history, before);
            continue;
        }
        EXPECT_EQ(history.back(), entry);
        EXPECT_LE(history.size(), static_cast<size_t>(FindDialogModel::kHistoryLimit));
        // What was there stays in order; only the oldest may go.
        const size_t kept = history.size() - 1;
        EXPECT_TRUE(
            std::equal(history.begin(), history.end() - 1, before.end() - static_cast<ptrdiff_t>(kept)));
    }
}

TEST(FindDialogModel, FindNextNeedsATextAndReplacingNeedsReplaceMode) {
    struct Case {
        const wchar_t* find;
        bool replaceMode, canFind, canReplace;
    };
    const Case cases[] = {{L"", false, false, false}, {L"x", false, true, false}, {L"", true, false, true}};
    for (const Case& c : cases) {
        FindDialogModel model;
        model.findText = c.find;
        model.replaceMode = c.replaceMode;
        EXPECT_EQ(model.CanFindNext(), c.canFind) << c.replaceMode;
        EXPECT_EQ(model.CanReplace(), c.canReplace) << c.replaceMode;
    }
}

struct ActionCase {
    const wchar_t* before;  // Place's notation
    const wchar_t* find;
    const wchar_t* replace;
    const char* options;  // "w" whole word, "c" match case, "u" up, "r" read-only, "x" expression
    const wchar_t* after;
    bool told;  // "Finished searching!"
};

// Runs Find Next, or Replace, as the case says and checks the text, the selection, what was told
// and the history that the action adds its text to.
void Check(const ActionCase& c, bool replace) {
    const std::string options = c.options;
    const std::string where = testing::PrintToString(std::wstring(c.before)) + " " +
                              testing::PrintToString(std::wstring(c.find)) + " " + options;
    Editing e(L"");
    Place(e, c.before);
    e.window.readOnly = options.find('r') != std::string::npos;
    FindDialogModel model;
    model.findText = c.find;
    model.replaceText = c.replace;
    model.replaceMode = true;
    model.options = {options.find('w') != std::string::npos, options.find('c') != std::string::npos,
                     options.find('u') == std::string::npos, options.find('x') != std::string::npos};
    Told told;
    replace ? model.Replace(&e.core, told) : model.FindNext(&e.core, told);
    EXPECT_EQ(Render(e), c.after) << where;
    EXPECT_EQ(told.texts, c.told ? std::vector{kFinished} : std::vector<std::wstring>{}) << where;
    const std::wstring& remembered = replace ? model.replaceText : model.findText;
    EXPECT_EQ(replace ? model.replaceHistory : model.findHistory,
              remembered.empty() ? std::vector<std::wstring>{} : std::vector{remembered})
        << where;
}

TEST(FindDialogModel, FindNextSelectsTheNextMatchOrSaysItFinished) {
    const ActionCase cases[] = {
        {L"|ab ab", L"ab", L"", "", L"[ab| ab", false},
        {L"[ab| ab", L"ab", L"", "", L"ab [ab|", false},
        {L"ab [ab|", L"ab", L"", "", L"ab [ab|", true},  // no wrapping around
        {L"ab [ab|", L"ab", L"", "u", L"[ab| ab", false},
        {L"ab |Ab", L"ab", L"", "c", L"ab |Ab", true},
        {L"xab |(ab)", L"ab", L"", "wu", L"xab |(ab)", true},
        {L"|ab", L"", L"", "", L"|ab", false},  // nothing to search for
    };
    for (const ActionCase& c : cases) Check(c, false);
}

TEST(FindDialogModel, AGivenDirectionOverridesTheOptionAndNoControlDoesNothing) {
    Editing e(L"");
    Place(e, L"ab [ab| ab");
    FindDialogModel model;
    model.findText = L"ab";
    Told told;
    EXPECT_TRUE(model.FindNext(&e.core, told, false));
    EXPECT_EQ(Render(e), L"[ab| ab ab");
    EXPECT_FALSE(model.FindNext(nullptr, told));
    EXPECT_FALSE(model.Replace(nullptr, told));
    EXPECT_EQ(model.ReplaceAll(nullptr, told), 0);
    EXPECT_TRUE(told.texts.empty());
}

TEST(FindDialogModel, ReplaceReplacesOnlyASelectedMatchThenFindsTheNext) {
    const ActionCase cases[] = {
        {L"|a a", L"a", L"x", "", L"[a| a", false},  // nothing selected: only found
        {L"[a| a", L"a", L"x", "", L"x [a|", false},
        {L"x [a|", L"a", L"y", "", L"x y|", true},
        {L"[A| a", L"a", L"x", "", L"x [a|", false},
        {L"[A| a", L"a", L"x", "c", L"A [a|", false},         // another case is no match
        {L"[ab| a", L"a", L"x", "", L"ab [a|", false},        // more than the match: searched past
        {L"[a\na|\na", L"a", L"x", "", L"a\na\n[a|", false},  // rows are never replaced
        {L"a\n[a|\na", L"a", L"b\nc", "", L"a\nb\nc\n[a|", false},
        {L"a a [a|", L"a", L"aa", "u", L"a [a| aa", false},  // up: before the replacement
        {L"[a| a", L"a", L"", "", L" [a|", false},
        {L"[a| a", L"a", L"x", "r", L"[a| a", false},  // read-only: the match stays selected
        {L"x [a|", L"a", L"x", "r", L"x [a|", false},
        {L"[x=1| y=2", L"(\\w)=(\\d)", L"$2=$1", "x", L"1=x [y=2|", false},  // the groups put in
        {L"[x=|1", L"\\w=\\d", L"z", "x", L"[x=|1", true},                   // part of a match
        {L"[ab| xab", L"ab", L"z", "w", L"z| xab", true},  // whole words only, also searching on
    };
    for (const ActionCase& c : cases) Check(c, true);
}

TEST(FindDialogModel, ReplacingOverAndOverNeverChasesItsOwnOutput) {
    // Each way, "a" by "aa" in a row of three replaces each "a" once and then finishes.
    for (const bool down : {true, false}) {
        Editing e(L"");
        Place(e, down ? L"|aaa" : L"aaa|");
        FindDialogModel model;
        model.findText = L"a";
        model.replaceText = L"aa";
        model.options.down = down;
        Told told;
        int presses = 0;
        while (told.texts.empty() && presses < 20) {
            model.Replace(&e.core, told);
            ++presses;
        }
        EXPECT_EQ(e.buffer->GetLineText(1), L"aaaaaa") << down;
        EXPECT_EQ(presses, 4) << down;  // one to find, three to replace
    }
}

TEST(FindDialogModel, ReplaceAllTellsTheCount) {
    struct Case {
        const wchar_t* text;
        const wchar_t* find;
        bool readOnly;
        int count;
    };
    const Case cases[] = {{L"aaa", L"a", false, 3},
                          {L"a\na", L"a", false, 2},
                          {L"b", L"a", false, 0},
                          {L"aaa", L"", false, 0},
                          {L"aaa", L"a", true, 0}};
    for (const Case& c : cases) {
        Editing e(c.text);
        e.window.readOnly = c.readOnly;
        FindDialogModel model;
        model.findText = c.find;
        model.replaceText = L"x";
        Told told;
        EXPECT_EQ(model.ReplaceAll(&e.core, told), c.count) << testing::PrintToString(c.text);
        EXPECT_EQ(told.texts, std::vector{std::to_wstring(c.count) + L" match found and replaced!"});
        EXPECT_EQ(model.replaceHistory, std::vector<std::wstring>{L"x"});
    }
    for (const int count : {0, 1, 12345, -1})
        EXPECT_EQ(FindDialogModel::CountMessage(count),
                  std::to_wstring(count) + L" match found and replaced!");
}

TEST(FindDialogModel, CountTellsTheMatchesInTheTextOrTheSelectionOrWhyNone) {
    struct Case {
        const wchar_t* text;  // Place's notation
        const wchar_t* find;
        bool regex, inSelection;
        const wchar_t* told;
    };
    const Case cases[] = {
        {L"|a1 b2 c", L"\\w\\d", true, false, L"2 matches found."},
        {L"[a1 b|2 c", L"\\w\\d", true, true, L"1 matches found."},
        {L"|a1 b2 c", L"\\w\\d", false, false, L"0 matches found."},
        {L"|a1 b2 c", L"(", true, false, nullptr},  // the expression's fault is told
    };
    for (const Case& c : cases) {
        Editing e(L"");
        Place(e, c.text);
        FindDialogModel model;
        model.findText = c.find;
        model.options.regex = c.regex;
        model.inSelection = c.inSelection;
        Told told;
        model.Count(&e.core, told);
        ASSERT_EQ(told.texts.size(), 1u);
        if (c.told)
            EXPECT_EQ(told.texts[0], c.told);
        else
            EXPECT_TRUE(told.texts[0].starts_with(L"Not a regular expression"))
                << testing::PrintToString(told.texts[0]);
        EXPECT_EQ(e.buffer->GetWholeText().find(L'|'), std::wstring::npos);
    }
}

TEST(FindDialogModel, ASearchStartsWithTheSelectionsFirstRowOrTheWordAtTheCaret) {
    struct Case {
        const wchar_t* text;
        const wchar_t* initial;
    };
    const Case cases[] = {
        {L"ab c|d e", L"cd"},
        {L"ab |cd", L"cd"},
        {L"ab cd|", L"cd"},
        {L"ab cd| ", L"cd"},
        {L"a  |  b", L""},
        {L"|", L""},
        {L"x(|)", L""},
        {L"a[b c|d", L"b c"},
        {L"[ab\ncd|", L"ab"},
        {L"a\n[\nb|", L""},
        {L"\u00e9t\u00e9|", L"\u00e9t\u00e9"},
    };
    for (const Case& c : cases) {
        Editing e(L"");
        Place(e, c.text);
        EXPECT_EQ(FindDialogModel::InitialText(e.core), c.initial) << testing::PrintToString(c.text);
    }
}

}  // namespace
