#pragma once
// A character trie over the tags of one tag list, so that a class with hundreds of keywords costs
// one walk per text position. Character-set groups enter as one-character tags; negated sets are
// kept apart, since "any character but these" cannot be spelled out as tags.
//
// The parser walks it at nearly every character it skips, so a walk must be cheap: the links of
// the root for ASCII characters sit in a table, every other link in one open-addressing hash
// table keyed by node and character.
//
// A tag may also come with the characters that can stand before it (a keyword starts only after
// a separator): a walk told the character before the text then passes over tags that cannot
// begin there, so that the inside of an identifier costs one look-up per character. Each node
// holds a mask of the preceding sets of the tags through it and of those ending at it.
//
// A built trie never changes, and the same lists come back again and again (every tree of a
// language and every document's copy of it holds the same classes): tries of equal lists share
// one index.
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
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

    // The ASCII characters that may stand before a group's tags; other characters always may.
    using Preceding = std::bitset<128>;

    // Rebuilds from the strings and character sets of `list`. With `folded` the tags and every
    // character looked up later are lower-cased, so letters match in any case. `preceding`, when
    // not empty, holds for each group of `list` the characters that may stand before its tags.
    // False when a tag longer than kMaxTagLength was left out; every other tag is in.
    bool Build(const LexValueList& list, bool folded, const std::vector<Preceding>& preceding = {});
    void Clear() { index_.reset(); }

    // The length of the tag that matches at `text` (read up to its NUL) and may follow `before`,
    // the character before `text` (0: not known, so any may), 0 when none does.
    size_t Find(const wchar_t* text, Mode mode, wchar_t before = 0) const {
        return index_ ? index_->Find(text, mode, before) : 0;
    }
    // The first of the `count` positions of `text` where a tag begins (the shortest, as Find
    // answers it; `before` is the character before the first position), with that tag's length
    // in `length`; `count` and 0 when there is none. Two small tables (the sets a character may
    // follow, the sets a character is in) pass over most positions at a look-up each.
    size_t Scan(const wchar_t* text, size_t count, wchar_t before, size_t& length) const;
    bool HasNegatedSets() const { return index_ && index_->hasNegated; }
    // Whether `ch` is in one of the negated sets of the list (the set itself, not its negation).
    bool InNegatedSets(wchar_t ch) const;

private:
    static constexpr uint32_t kAscii = 128;
    // Bit 0 stands for "any character may precede"; bits 1-7 for the distinct preceding sets met
    // first (later ones count as any, which only makes the walk stop more often).
    static constexpr uint8_t kAnyPreceding = 0xFF;

    struct Link {
        uint32_t node = 0;
        uint32_t key = 0;
        uint32_t child = 0;  // 0: an empty slot (the root is nobody's child)
    };

    class Index {
    public:
        Index(const LexValueList& list, bool folded, const std::vector<Preceding>& preceding);

        size_t Find(const wchar_t* text, Mode mode, wchar_t before) const {
            const uint8_t allowed = static_cast<uint32_t>(before) < kAscii
                                        ? beforeMasks[static_cast<uint32_t>(before)]
                                        : kAnyPreceding;
            // Most characters begin no tag, and most that do are not followed by a second
            // character of one: the parser asks at nearly every character.
            const uint32_t first = Key(text[0]);
            if (first < kAscii) {
                const uint32_t node = rootLinks[first];
                if (node == 0 || !(passMasks[node] & allowed))
                    return 0;
                const uint32_t second = Key(text[1]);
                if (!(endMasks[node] & allowed) && second < kAscii && !pairs[first * kAscii + second])
                    return 0;
            }
            return FindFrom(text, mode, allowed);
        }
        size_t FindFrom(const wchar_t* text, Mode mode, uint8_t allowed) const;
        uint32_t Key(wchar_t ch) const { return static_cast<uint32_t>(folded ? FoldCase(ch) : ch); }

        std::array<uint32_t, kAscii> rootLinks{};
        std::bitset<kAscii * kAscii> pairs;  // the first two characters of the tags
        // By character: the preceding sets of the tags that begin with it (folded as looked
        // up), and the sets it is in, where 0 (not known) is in all.
        std::array<uint8_t, kAscii> firstMasks{};
        std::array<uint8_t, kAscii> beforeMasks{};
        std::vector<Link> links;  // a power of two long, at most half full
        size_t linkCount = 0;
        std::vector<uint8_t> endMasks{0};   // by node: the preceding sets of the tags ending there
        std::vector<uint8_t> passMasks{0};  // by node: those of the tags through it
        std::bitset<kAscii> negated;        // the sets hold ASCII characters only
        bool hasNegated = false;
        bool folded = false;

    private:
        void Add(const wchar_t* tag, size_t length, uint8_t mask);
        // The mask bit of a group's preceding set, registering the set when it is new.
        uint8_t PrecedingBit(const Preceding& set, std::vector<Preceding>& known);
        // The child of `node` by `key`, 0 when there is none.
        uint32_t Next(uint32_t node, uint32_t key) const;
        size_t Slot(uint32_t node, uint32_t key) const;
        void Insert(const Link& link);
        void Grow();
    };

    std::shared_ptr<const Index> index_;  // null without tags or sets
};
