#pragma once
// A character trie over the tags of one tag list, so that a class with hundreds of keywords costs
// one walk per text position. Character-set groups enter as one-character tags; negated sets are
// kept apart, since "any character but these" cannot be spelled out as tags.
//
// The parser walks it at nearly every character it skips, so a walk must be cheap: the links of
// the root for ASCII characters sit in a table, every other link in one open-addressing hash
// table keyed by node and character.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lexer/LexText.h"
#include "lexer/LexValueList.h"

class TagTrie {
public:
    // Tags are never looked for past this many characters, so longer ones are left out.
    static constexpr size_t kMaxTagLength = 1024;

    enum class Mode {
        kLongest,   // the longest tag that matches
        kShortest,  // the first tag that ends, for the parser's quick scan
    };

    // Rebuilds from the strings and character sets of `list`. With `folded` the tags and every
    // character looked up later are lower-cased, so letters match in any case. False when a tag
    // longer than kMaxTagLength was left out; every other tag is in.
    bool Build(const LexValueList& list, bool folded);
    void Clear();

    // The length of the tag that matches at `text` (read up to its NUL), 0 when none does.
    size_t Find(const wchar_t* text, Mode mode) const {
        // Most characters begin no tag, and most that do are not followed by a second character
        // of one: the parser asks at nearly every character.
        const uint32_t first = Key(text[0]);
        if (first < kAscii) {
            const uint32_t node = rootLinks_[first];
            if (node == 0)
                return 0;
            const uint32_t second = Key(text[1]);
            if (!ends_[node] && second < kAscii && !pairs_.test(first * kAscii + second))
                return 0;
        }
        return FindFrom(text, mode);
    }
    bool HasNegatedSets() const { return hasNegated_; }
    // Whether `ch` is in one of the negated sets of the list (the set itself, not its negation).
    bool InNegatedSets(wchar_t ch) const;

private:
    static constexpr uint32_t kAscii = 128;

    struct Link {
        uint32_t node = 0;
        uint32_t key = 0;
        uint32_t child = 0;  // 0: an empty slot (the root is nobody's child)
    };

    size_t FindFrom(const wchar_t* text, Mode mode) const;
    void Add(const wchar_t* tag, size_t length);
    uint32_t Key(wchar_t ch) const { return static_cast<uint32_t>(folded_ ? FoldCase(ch) : ch); }
    // The child of `node` by `key`, 0 when there is none.
    uint32_t Next(uint32_t node, uint32_t key) const;
    size_t Slot(uint32_t node, uint32_t key) const;
    void Insert(const Link& link);
    void Grow();

    std::array<uint32_t, kAscii> rootLinks_{};
    std::bitset<kAscii * kAscii> pairs_;  // the first two characters of the tags, when ASCII
    std::vector<Link> links_;             // a power of two long, at most half full
    size_t linkCount_ = 0;
    std::vector<uint8_t> ends_{0};  // by node: a tag ends there
    std::bitset<kAscii> negated_;   // the sets hold ASCII characters only
    bool hasNegated_ = false;
    bool folded_ = false;
};
