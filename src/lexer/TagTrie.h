#pragma once
// A character trie over the tags of one tag list, so that a class with hundreds of keywords costs
// one walk per text position. Character-set groups enter as one-character tags; negated sets are
// kept apart, since "any character but these" cannot be spelled out as tags.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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
    size_t Find(const wchar_t* text, Mode mode) const;
    bool HasNegatedSets() const { return hasNegated_; }
    // Whether `ch` is in one of the negated sets of the list (the set itself, not its negation).
    bool InNegatedSets(wchar_t ch) const;

private:
    struct Node {
        std::unordered_map<wchar_t, uint32_t> next;  // index into nodes_
        bool ends = false;
    };

    void Add(const wchar_t* tag, size_t length);
    wchar_t Key(wchar_t ch) const;

    // Nodes live in one array and link by index: no recursion to build, search or free them.
    std::vector<Node> nodes_{1};
    std::unordered_set<wchar_t> negated_;
    bool hasNegated_ = false;
    bool folded_ = false;
};
