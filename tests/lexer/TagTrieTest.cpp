#include "lexer/TagTrie.h"

#include <gtest/gtest.h>

#include <random>

#include "lexer/LexClass.h"
#include "lexer/LexText.h"
#include "lexer/LexValue.h"

namespace {

using Strings = std::vector<std::wstring>;

// The longest (or first ending) tag that the text begins with, the slow way.
size_t BruteForce(const Strings& tags, const std::wstring& text, bool folded, TagTrie::Mode mode) {
    size_t best = 0;
    for (const std::wstring& tag : tags) {
        if (tag.empty() || tag.size() > text.size() || tag.size() > TagTrie::kMaxTagLength)
            continue;
        std::wstring_view head(text.data(), tag.size());
        const bool match = folded ? EqualNoCase(head, tag) : head == tag;
        if (!match)
            continue;
        best = mode == TagTrie::Mode::kLongest ? std::max(best, tag.size())
                                               : (best == 0 ? tag.size() : std::min(best, tag.size()));
    }
    return best;
}

// Words of up to `most` characters from an alphabet.
struct RandomWords {
    RandomWords(unsigned seed, std::wstring letters) : random(seed), alphabet(std::move(letters)) {}
    std::wstring operator()(size_t most) {
        std::wstring w(random() % (most + 1), L'a');
        for (wchar_t& c : w) c = alphabet[random() % alphabet.size()];
        return w;
    }
    std::mt19937 random;
    std::wstring alphabet;
};

TEST(TagTrie, FindsWhatABruteForceSearchFinds) {
    RandomWords word(7, L"abAB/");
    for (int round = 0; round < 300; ++round) {
        Strings tags;
        for (size_t n = word.random() % 8; n > 0; --n) tags.push_back(word(5));
        const bool folded = word.random() % 2 == 0;
        TagTrie trie;
        ASSERT_TRUE(trie.Build({LexValue::MakeStrings(tags)}, folded));
        for (int probe = 0; probe < 20; ++probe) {
            const std::wstring text = word(8);
            for (TagTrie::Mode mode : {TagTrie::Mode::kLongest, TagTrie::Mode::kShortest})
                ASSERT_EQ(trie.Find(text.c_str(), mode), BruteForce(tags, text, folded, mode))
                    << "round " << round << " folded " << folded;
        }
    }
}

// Tags in groups, each with the characters that may precede it: Find told the character before
// answers what a search of the groups that may follow it answers, and Scan stops where the first
// such tag begins.
TEST(TagTrie, TagsBeginOnlyAfterTheirPrecedingCharacters) {
    RandomWords word(11, L"abAB/ (");
    std::mt19937& random = word.random;
    const std::wstring& alphabet = word.alphabet;
    for (int round = 0; round < 300; ++round) {
        const bool folded = random() % 2 == 0;
        LexValueList groups;
        std::vector<Strings> tags;
        std::vector<TagTrie::Preceding> preceding;
        for (size_t g = random() % 7 + 1; g > 0; --g) {
            tags.emplace_back();
            for (size_t n = random() % 4 + 1; n > 0; --n) tags.back().push_back(word(4));
            groups.push_back(LexValue::MakeStrings(tags.back()));
            TagTrie::Preceding set;
            for (wchar_t c : alphabet)
                if (random() % 2 == 0)
                    set.set(static_cast<size_t>(c));
            preceding.push_back(random() % 4 == 0 ? TagTrie::Preceding().set() : set);
        }
        TagTrie trie;
        ASSERT_TRUE(trie.Build(groups, folded, preceding));
        auto expected = [&](const std::wstring& text, wchar_t before, TagTrie::Mode mode) {
            size_t best = 0;
            for (size_t g = 0; g < tags.size(); ++g) {
                if (before != L'\0' && !preceding[g].test(static_cast<size_t>(before)))
                    continue;
                const size_t found = BruteForce(tags[g], text, folded, mode);
                if (found > 0)
                    best = best == 0                         ? found
                           : mode == TagTrie::Mode::kLongest ? std::max(best, found)
                                                             : std::min(best, found);
            }
            return best;
        };
        for (int probe = 0; probe < 20; ++probe) {
            const std::wstring text = word(10);
            const wchar_t before = probe % 5 == 0 ? L'\0' : alphabet[random() % alphabet.size()];
            for (TagTrie::Mode mode : {TagTrie::Mode::kLongest, TagTrie::Mode::kShortest})
                ASSERT_EQ(trie.Find(text.c_str(), mode, before), expected(text, before, mode))
                    << "round " << round << " text " << text.size();
            size_t at = 0, length = 0;
            while (at < text.size() && (length = expected(text.substr(at), at > 0 ? text[at - 1] : before,
                                                          TagTrie::Mode::kShortest)) == 0)
                ++at;
            size_t scanned = 99;
            ASSERT_EQ(trie.Scan(text.c_str(), text.size(), before, scanned), at) << "round " << round;
            ASSERT_EQ(scanned, length);
        }
    }
}

// The trie tells seven preceding sets apart; the tags of any more may follow anything, which
// costs stops but never loses a tag.
TEST(TagTrie, PrecedingSetsBeyondSevenLoseNoTag) {
    LexValueList groups;
    std::vector<TagTrie::Preceding> preceding;
    for (wchar_t c = L'a'; c <= L'i'; ++c) {
        groups.push_back(LexValue::MakeStrings({std::wstring(1, c)}));
        preceding.emplace_back().set(static_cast<size_t>(c));
    }
    TagTrie trie;
    ASSERT_TRUE(trie.Build(groups, false, preceding));
    EXPECT_EQ(trie.Find(L"a", TagTrie::Mode::kShortest, L'a'), 1u);
    EXPECT_EQ(trie.Find(L"a", TagTrie::Mode::kShortest, L'b'), 0u);
    for (wchar_t c = L'a'; c <= L'i'; ++c)
        EXPECT_EQ(trie.Find(std::wstring(1, c).c_str(), TagTrie::Mode::kShortest, c), 1u);
    EXPECT_EQ(trie.Find(L"i", TagTrie::Mode::kShortest, L'a'), 1u);
}

// Tries of equal lists share their index: one let go or rebuilt leaves the other as it was, and
// a list that differs only in its case rule or preceding sets builds a trie of its own.
TEST(TagTrie, TriesOfEqualListsStayIndependent) {
    const LexValueList list{LexValue::MakeStrings({L"If", L"in"})};
    TagTrie a, b, exact, after;
    ASSERT_TRUE(a.Build(list, true));
    ASSERT_TRUE(b.Build(list, true));
    ASSERT_TRUE(exact.Build(list, false));
    ASSERT_TRUE(after.Build(list, true, {TagTrie::Preceding().set(L' ')}));
    a.Clear();
    ASSERT_TRUE(a.Build({LexValue::MakeStrings({L"x"})}, true));
    EXPECT_EQ(b.Find(L"if", TagTrie::Mode::kLongest, L'a'), 2u);
    EXPECT_EQ(exact.Find(L"if", TagTrie::Mode::kLongest), 0u);
    EXPECT_EQ(after.Find(L"if", TagTrie::Mode::kLongest, L'a'), 0u);
    EXPECT_EQ(after.Find(L"if", TagTrie::Mode::kLongest, L' '), 2u);
    EXPECT_EQ(a.Find(L"if", TagTrie::Mode::kLongest), 0u);
}

TEST(TagTrie, CharacterSetsAreOneCharacterTags) {
    TagTrie trie;
    ASSERT_TRUE(
        trie.Build({LexValue::MakeCharSet(LexCharSet(LexCharSet::kDigit, false)),
                    LexValue::MakeStrings({L"0x"}), LexValue::MakeCharSet(LexCharSet(LexCharSet::kEol, true)),
                    LexValue::MakeCharSet(LexCharSet(LexCharSet::kSpecs, true))},
                   false));
    EXPECT_EQ(trie.Find(L"7a", TagTrie::Mode::kLongest), 1u);
    EXPECT_EQ(trie.Find(L"0x1", TagTrie::Mode::kLongest), 2u);
    EXPECT_EQ(trie.Find(L"0x1", TagTrie::Mode::kShortest), 1u);
    EXPECT_EQ(trie.Find(L"x", TagTrie::Mode::kLongest), 0u);
    // Negated sets are kept apart: the members of any of them.
    EXPECT_TRUE(trie.HasNegatedSets());
    EXPECT_TRUE(trie.InNegatedSets(L'\n'));
    EXPECT_TRUE(trie.InNegatedSets(L';'));
    EXPECT_FALSE(trie.InNegatedSets(L'x'));
    ASSERT_TRUE(trie.Build({LexValue::MakeStrings({L"if"})}, false));
    EXPECT_FALSE(trie.HasNegatedSets());
}

TEST(TagTrie, FoldedTriesMatchLettersInAnyCase) {
    TagTrie trie;
    ASSERT_TRUE(trie.Build({LexValue::MakeStrings({L"Begin", L"\x0416"}),
                            LexValue::MakeCharSet(LexCharSet(LexCharSet::kAlpha, true))},
                           true));
    EXPECT_EQ(trie.Find(L"bEGIN;", TagTrie::Mode::kLongest), 5u);
    EXPECT_EQ(trie.Find(L"\x0436", TagTrie::Mode::kLongest), 1u);  // Cyrillic zhe, lower case
    EXPECT_TRUE(trie.InNegatedSets(L'Q'));
    ASSERT_TRUE(trie.Build({LexValue::MakeStrings({L"Begin"})}, false));
    EXPECT_EQ(trie.Find(L"begin", TagTrie::Mode::kLongest), 0u);
    EXPECT_EQ(trie.Find(L"Begin", TagTrie::Mode::kLongest), 5u);
}

TEST(TagTrie, EmptyTagsTextEndsAndTheLengthLimit) {
    TagTrie trie;
    const std::wstring longest(TagTrie::kMaxTagLength, L'x');
    const std::wstring tooLong(TagTrie::kMaxTagLength + 1, L'y');
    // A tag the search can never reach is left out, and the build says so.
    EXPECT_FALSE(trie.Build({LexValue::MakeStrings({L"", longest, tooLong, L"yy"})}, false));
    EXPECT_EQ(trie.Find(L"", TagTrie::Mode::kLongest), 0u);
    EXPECT_EQ(trie.Find((longest + L"x").c_str(), TagTrie::Mode::kLongest), TagTrie::kMaxTagLength);
    EXPECT_EQ(trie.Find((tooLong + L"y").c_str(), TagTrie::Mode::kLongest), 2u);
    // The text ends at its NUL, even inside a tag.
    EXPECT_EQ(trie.Find(L"y\0y", TagTrie::Mode::kLongest), 0u);
    trie.Clear();
    EXPECT_EQ(trie.Find(L"yy", TagTrie::Mode::kLongest), 0u);
}

}  // namespace
