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

TEST(TagTrie, FindsWhatABruteForceSearchFinds) {
    std::mt19937 random(7);
    const std::wstring alphabet = L"abAB/";
    auto word = [&](size_t most) {
        std::wstring w(random() % (most + 1), L'a');
        for (wchar_t& c : w) c = alphabet[random() % alphabet.size()];
        return w;
    };
    for (int round = 0; round < 300; ++round) {
        Strings tags;
        for (size_t n = random() % 8; n > 0; --n) tags.push_back(word(5));
        const bool folded = random() % 2 == 0;
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
