#pragma once
// One compiled lexical class of a language: its name, the condition lists that class matching
// runs, its place among the other classes (relation rules, parent, child lists) and a dictionary
// of typed properties such as colours and parser options.
//
// A child holds a counted reference to its parent and the parent holds its children, so a tree
// of classes lives until Clear breaks it from the top. Classes are not locked: the schema's locks
// keep one class from being changed and asked by two threads at once, and that covers the cached
// answers, which are filled on first use.
#include <algorithm>
#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/LineCol.h"
#include "buffer/TextIterator.h"
#include "lexer/LexTextAttributes.h"
#include "lexer/LexValue.h"
#include "lexer/LexValueList.h"
#include "lexer/TagTrie.h"
#include "platform/RefCounted.h"

struct LexAttrDef;
class LexParseContext;
class TextBlock;

class LexClass : public pw::RefCounted {
public:
    enum ParentMode : int { kParentNone = 0, kParentFile = 1, kParentNamed = 2, kParentDynamic = 3 };
    enum ChildrenMode : int { kChildrenNone = 1, kChildrenAny = 2, kChildrenListed = 3 };

    // The condition lists, each under its key ("previous:class" ... "skip:tag").
    enum Condition : int {
        kPreviousClass,
        kPreviousTag,
        kPreviousTagSeparators,
        kStartClass,
        kStartTag,
        kEndClass,
        kEndTag,
        kEndSeparators,
        kTokenTag,
        kTokenStartSeparators,
        kTokenEndSeparators,
        kSkipTag,
        kConditionCount
    };
    // The groups whose empty flags class matching tests.
    enum ConditionGroup : int { kPrevious, kStart, kEnd, kToken, kSkip, kGroupCount };

    struct Rule {
        int mode;
        std::vector<std::wstring> names;
    };

    LexClass() = default;

    const std::wstring& GetName() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }

    // 1 when the attribute was taken, 0 when it was rejected.
    int ApplyAttribute(const LexAttrDef& attr);

    // "name" gives the name as class names; a condition key or "_active_tags" its list as a list
    // value; anything else an empty value. Keys compare without regard to case.
    virtual pw::RefPtr<LexValue> GetValue(std::wstring_view key) const;

    const LexValueList& GetConditionList(Condition condition) const { return conditions_[condition]; }
    const LexValueList& GetActiveTags() const { return activeTags_; }
    // Set at creation; cleared by any attribute of the group, even one whose values were all ignored.
    bool IsGroupEmpty(ConditionGroup group) const { return groupEmpty_[group]; }
    // True while no condition list holds an entry.
    bool IsEmpty() const { return empty_; }

    // Properties. Keys compare without regard to case. A lookup that finds nothing answers an
    // empty value; with `searchAncestors` the parent classes are asked in turn up to the root.
    pw::RefPtr<LexValue> GetProperty(std::wstring_view key, bool searchAncestors) const;
    // The number of a number property as a flag; `def` when absent, not a number, or -1.
    bool GetFlag(std::wstring_view key, bool searchAncestors, bool def) const;
    int32_t GetNumber(std::wstring_view key, bool searchAncestors, int32_t def) const;
    // Values never change once made, so holding the caller's value is as good as a copy. A null
    // value is ignored.
    void SetProperty(std::wstring_view key, pw::RefPtr<LexValue> value);
    // Removes the properties whose key begins with `prefix` (case ignored); all of them for "".
    void RemoveProperties(std::wstring_view prefix = {});
    // Replaces the properties with `prefix` by those of `other` with that prefix.
    void CopyProperties(const LexClass& other, std::wstring_view prefix = {});

    // Cached answers, computed on first use and kept until ResetCache.
    bool IsCaseSensitive() const;       // "CaseSensitive" > 0, inherited
    int IsCollapsable() const;          // "Collapsable" of the class itself, 0 when absent
    bool IsRestartRunLoop() const;      // "RestartRunLoop", true unless the class says otherwise
    bool IsEndClassParentThis() const;  // "End:Class:Parent" holds "this"
    // Fills `attrs` from "txt:" properties, inherited: a colour pair only when the class has one
    // of its colours, the font flags always.
    void GetTextAttributes(LexTextAttributes& attrs) const;
    void ResetCache();

    // A class added to itself goes to the self list, once. Any other child gets this class as its
    // parent and joins the dynamic or the ordinary list. Refused (false): a null child, a second
    // self entry, and an ancestor of this class, which would close the parent chain into a loop.
    bool AddChild(const pw::RefPtr<LexClass>& child, bool dynamic);
    const std::vector<pw::RefPtr<LexClass>>& GetChildren() const { return children_; }
    const std::vector<pw::RefPtr<LexClass>>& GetDynamicChildren() const { return dynamicChildren_; }
    const std::vector<pw::RefPtr<LexClass>>& GetSelfChildren() const { return selfChildren_; }
    const pw::RefPtr<LexClass>& GetParent() const { return parent_; }
    // The nearest ancestor named `name` (case ignored), or null.
    pw::RefPtr<LexClass> FindAncestor(std::wstring_view name) const;

    Rule GetParentRule() const { return parentRule_; }
    Rule GetChildrenRule() const { return childrenRule_; }

    // Breaks the tree below this class from the top down: the children of every level are
    // cleared and released, then this class drops its conditions, properties and parent.
    void Clear();
    // Takes over `other`'s relations, parent, name, conditions and properties; the child lists
    // and the active tags, which follow from the children, start empty.
    virtual void CopyFrom(const LexClass& other);
    // A new class of the same variant, copied from this one.
    virtual pw::RefPtr<LexClass> Clone() const;

    // Preparation before a parse, after the attributes are applied and the classes linked; again
    // whenever attributes, children or case sensitivity change.
    // Puts each tag list's strings first, longest before their prefixes, and builds the token
    // index. False when a token tag too long for the index was left out of it.
    bool BuildIndexes();
    // Computes the active tags from this class and, depth first, its children, and their index.
    // A class met again below itself adds its own start side only. False when a tag too long for
    // the index was left out of it.
    bool BuildActiveTags();
    // The child lists in the order a parse offers a position to them: direct, dynamic, self.
    static constexpr size_t kChildListCount = 3;
    const std::vector<pw::RefPtr<LexClass>>& GetChildList(size_t which) const {
        return which == 0 ? children_ : which == 1 ? dynamicChildren_ : selfChildren_;
    }
    // Which classes of child list `which` may start at a position whose character is `ch`:
    // bit i stands for entry i and is set for every entry whose MayStartWith can hold there
    // under either case rule, or, for a class that starts with a token, where a token may begin. All bits
    // when the list has no table (longer than 64 entries, or changed since BuildIndexes) or `ch` is not
    // ASCII.
    uint64_t StartCandidates(size_t which, wchar_t ch) const {
        const StartTable& table = startTables_[which];
        const auto code = static_cast<uint32_t>(ch);
        if (code >= table.masks.size() || table.size != GetChildList(which).size())
            return ~uint64_t{0};
        return table.masks[code];
    }
    // The leading groups of the active tags that belong to the start side.
    size_t GetActiveStartCount() const { return activeStartCount_; }
    const TagTrie& GetActiveTagIndex() const { return activeIndex_; }

    // One step of the class at the iterator's position: `open` holds its open block (null when
    // none) and receives a block it starts. Answers LexRunFlag bits. `lookBackFrom` is where
    // looking back for classes starts, the context's newest block when null.
    virtual int Run(TextIterator* it, LexParseContext* ctx, TextBlock*& open,
                    TextBlock* lookBackFrom = nullptr);
    // The steps of Run.
    bool CheckPrevious(TextIterator& it, LexParseContext& ctx, TextBlock* lookBackFrom);
    int RunStart(TextIterator& it, LexParseContext& ctx, TextBlock*& open, TextBlock* lookBackFrom);
    int RunToken(TextIterator& it, LexParseContext& ctx, TextBlock*& open);
    int RunSkip(TextIterator& it);
    int RunEnd(TextIterator& it, LexParseContext& ctx, TextBlock& open, TextBlock* lookBackFrom);
    // The length of the first entry of the tag list `list` that matches at `offset` characters
    // from the position: forwards, or backwards ending just before it for the lists that look
    // back ("previous:tag", "previous:tag:separators", "token:start:separators"); 0 when none
    // does. Strings follow the class's case rule, sets compare exact characters, an empty string
    // never matches, and looking back reaches no further than the iterator's window.
    size_t MatchTagList(TextIterator& it, Condition list, int offset = 0) {
        if (conditions_[list].empty())
            return 0;
        const TagFilter& filter = GetFilter(list);
        const bool backwards = IsBackwards(list);
        const TextIterator::Span text =
            it.GetSpan(backwards ? 0 : std::max(offset, 0) + static_cast<int>(filter.longest));
        // The character every entry reads: the first of a forward match, the last of a backward one.
        const ptrdiff_t at = backwards ? ptrdiff_t{offset} - 1 : offset;
        if (at < -static_cast<ptrdiff_t>(text.behind) || at > static_cast<ptrdiff_t>(text.ahead))
            return 0;
        const auto ch = static_cast<uint32_t>(text.at[at]);
        if (ch < filter.chars.size()) {
            if (!filter.chars.test(ch))
                return 0;
            if (filter.single)
                return 1;
        }
        return ScanTagList(text, list, at, offset);
    }
    // False when the start tag does not match at the position: without an open block, Run does
    // nothing there.
    bool MayStartAt(TextIterator& it) {
        return IsGroupEmpty(kStart) || conditions_[kStartTag].empty() || MatchTagList(it, kStartTag) > 0;
    }
    // False when the start tag cannot begin with `ch`, the character at the position: a list
    // that offers one position to many classes reads it once instead of once per class.
    bool MayStartWith(wchar_t ch) const {
        if (IsGroupEmpty(kStart) || conditions_[kStartTag].empty())
            return true;
        const auto code = static_cast<uint32_t>(ch);
        const TagFilter& filter = GetFilter(kStartTag);
        return code >= filter.chars.size() || filter.chars.test(code);
    }
    // Whether the most recent block (or `from`) is of a class named in `classList`, starts at or
    // after `lowerLimit` when that is valid and has `parent` as its parent when that is given.
    // Every caller looks at one block, so only that one is examined.
    static bool FindPreviousClassBlock(TextBlock*& found, LexParseContext& ctx, const LexValueList& classList,
                                       LineCol lowerLimit, TextBlock* parent, TextBlock* from);

    // The groups of a condition key's values: quoted text and "@" sets for "tag" and
    // "separators" keys, unquoted names for "class" keys; everything else is ignored.
    static LexValueList BuildValueGroups(const std::vector<std::wstring>& nameParts,
                                         const std::vector<std::wstring>& values);
    // A value of at least two characters between single quotes; `text` gets what lies between.
    static bool ParseQuoted(std::wstring_view value, std::wstring& text);
    // A value of at least two characters that begins with "@".
    static bool ParseCharSetRef(std::wstring_view value, LexCharSet& set);

protected:
    ~LexClass() override;

    // A block of this class at the position, with nothing consumed.
    int CreateAtPosition(TextIterator& it, LexParseContext& ctx, TextBlock*& open);

private:
    enum class Stage { kTaken, kRejected, kPassed };

    Stage ApplyRelationAttr(const LexAttrDef& attr);
    Stage ApplyConditionAttr(const LexAttrDef& attr);
    Stage ApplyPropertyAttr(const LexAttrDef& attr);
    // Clears this class alone, handing its children to `pending`.
    void ClearOwn(std::vector<pw::RefPtr<LexClass>>& pending);
    // Moves the three child lists to the end of `out`.
    void TakeChildLists(std::vector<pw::RefPtr<LexClass>>& out);
    bool HasAncestor(const LexClass* cls) const;
    // `done` holds the classes computed in this pass, `path` those being computed.
    bool BuildActiveTags(std::vector<const LexClass*>& path, std::vector<const LexClass*>& done);
    // The active tags, their start count and both indexes, which follow from lists and children.
    void ClearIndexes();
    // The characters that may stand before the position for the class to start there.
    TagTrie::Preceding PrecedingStart() const;
    // Appends a condition list to the active tags, its tags to follow `preceding`.
    void AppendActive(Condition list, const TagTrie::Preceding& preceding);

    // What a tag list can match at one ASCII character: the first character of a forward match,
    // the last of a backward one. Most positions fail every list at that character, and a list
    // of single characters and sets is decided by it alone.
    struct TagFilter {
        std::bitset<128> chars;
        bool single = true;  // every entry is one character long
        size_t longest = 0;  // the longest string that can match
    };
    // Per ASCII character, the entries of one child list that may start there; built for a
    // list of `size` entries, none when `masks` is empty.
    struct StartTable {
        size_t size = 0;
        std::vector<uint64_t> masks;
    };
    void BuildStartTables();
    // The ASCII characters where MayStartWith can hold under either case rule, from the start
    // tags themselves, or from the token tags of a class without a start group.
    std::bitset<128> StartCharsAnyCase() const;
    // The filter of a tag list for the class's case rule, made on first use like the cached
    // answers.
    const TagFilter& GetFilter(Condition list) const {
        if (filtersCaseSensitive_ == kNotComputed || filtersCaseSensitive_ != caseSensitive_)
            BuildFilters();
        return filters_[list];
    }
    void BuildFilters() const;
    // The tag lists matched backwards, ending just before the position.
    static constexpr bool IsBackwards(Condition list) {
        return list == kPreviousTag || list == kPreviousTagSeparators || list == kTokenStartSeparators;
    }
    // MatchTagList past its filter: the entries in order, `at` the index of the filter's character.
    size_t ScanTagList(const TextIterator::Span& text, Condition list, ptrdiff_t at, int offset);

    std::wstring name_;
    std::map<std::wstring, pw::RefPtr<LexValue>> properties_;  // by folded key
    std::array<LexValueList, kConditionCount> conditions_;
    std::array<bool, kGroupCount> groupEmpty_{true, true, true, true, true};
    bool empty_ = true;
    LexValueList activeTags_;
    std::vector<TagTrie::Preceding> activePreceding_;  // by group of activeTags_
    size_t activeStartCount_ = 0;
    TagTrie activeIndex_;
    TagTrie tokenIndex_;

    Rule parentRule_{kParentNone, {}};
    Rule childrenRule_{kChildrenAny, {}};
    pw::RefPtr<LexClass> parent_;
    std::vector<pw::RefPtr<LexClass>> children_;
    std::vector<pw::RefPtr<LexClass>> dynamicChildren_;
    std::vector<pw::RefPtr<LexClass>> selfChildren_;

    static constexpr int kNotComputed = -1;
    mutable int caseSensitive_ = kNotComputed;
    mutable int collapsable_ = kNotComputed;
    mutable int restartRunLoop_ = kNotComputed;
    mutable int endClassParentThis_ = kNotComputed;
    mutable bool textAttributesComputed_ = false;
    mutable LexTextAttributes textAttributes_;
    mutable int filtersCaseSensitive_ = kNotComputed;  // the case rule the filters follow
    mutable std::array<TagFilter, kConditionCount> filters_;
    std::array<StartTable, kChildListCount> startTables_;
};

// The relation rules by which the class set links the classes of a language.

// Whether `child` belongs among the children of `parent`: never when the parent's children mode
// is none; else when the child names the parent (mode named) and, in listed mode, the parent
// lists the child. A class that names itself may contain itself.
bool IsChildClass(const LexClass& child, const LexClass& parent);
// Whether the class is a top class of its language (parent mode file).
bool IsTopLevelClass(const LexClass& cls);
// -1 when `cls` is not dynamic; 1 when it may appear inside the class named `name`: one of its
// parent names is `name`, or names a class in `classes` that may itself appear there; else 0.
// Parent chains that come round to a class already seen end the search.
int MayAppearDynamically(std::wstring_view name, const LexClass& cls,
                         std::span<const pw::RefPtr<LexClass>> classes);
// The first class named `name` (case ignored), or null.
LexClass* FindClassByName(std::span<const pw::RefPtr<LexClass>> classes, std::wstring_view name);
