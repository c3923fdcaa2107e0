// Class matching: what one class does at one text position when the parser offers it.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "buffer/TextIterator.h"
#include "lexer/LexClass.h"
#include "lexer/LexParseContext.h"
#include "lexer/LexText.h"

namespace {

constexpr LexClass::Condition kTagLists[] = {
    LexClass::kPreviousTag,
    LexClass::kPreviousTagSeparators,
    LexClass::kStartTag,
    LexClass::kEndTag,
    LexClass::kEndSeparators,
    LexClass::kTokenTag,
    LexClass::kTokenStartSeparators,
    LexClass::kTokenEndSeparators,
    LexClass::kSkipTag,
};

// Tags this long cannot lie in any text window; they never match.
constexpr size_t kMaxMatchLength = INT_MAX / 4;

// Whether `text` begins with `tag`; NUL ends the text, and no tag matches across it.
bool BeginsWith(const wchar_t* text, const std::wstring& tag, bool exact) {
    for (size_t i = 0; i < tag.size(); ++i) {
        if (text[i] == L'\0' || (exact ? text[i] != tag[i] : FoldCase(text[i]) != FoldCase(tag[i])))
            return false;
    }
    return true;
}

// One group of all the strings, in descending order, then the character sets as they came.
LexValueList Ordered(const LexValueList& list, bool exact) {
    std::vector<std::wstring> strings;
    LexValueList sets;
    for (const pw::RefPtr<LexValue>& group : list) {
        if (group->GetKind() == LexValue::kStrings)
            strings.insert(strings.end(), group->GetStrings().begin(), group->GetStrings().end());
        else if (group->GetKind() == LexValue::kCharSet)
            sets.push_back(group);
    }
    std::stable_sort(strings.begin(), strings.end(), [exact](const std::wstring& a, const std::wstring& b) {
        return exact ? a > b : FoldCase(a) > FoldCase(b);
    });
    LexValueList ordered;
    if (!strings.empty())
        ordered.push_back(LexValue::MakeStrings(std::move(strings)));
    ordered.insert(ordered.end(), sets.begin(), sets.end());
    return ordered;
}

template <class List>
void Append(List& to, const List& from, size_t count) {
    to.insert(to.end(), from.begin(), from.begin() + static_cast<ptrdiff_t>(std::min(count, from.size())));
}

// Sets the ASCII characters that are `c` or fold as it folds.
void SetFoldingAlike(wchar_t c, std::bitset<128>& chars) {
    const wchar_t folded = FoldCase(c);
    for (wchar_t ch : {c, folded, static_cast<wchar_t>(folded - 0x20)})
        if (static_cast<uint32_t>(ch) < 0x80 && (ch == c || FoldCase(ch) == folded))
            chars.set(static_cast<size_t>(ch));
}

// The characters that may stand just before the position for a backward tag list to match there
// (the last character of each string in either case, each member of a set): a superset of what
// MatchTagList accepts under either case rule.
TagTrie::Preceding PrecedingChars(const LexValueList& list) {
    TagTrie::Preceding chars;
    for (const pw::RefPtr<LexValue>& group : list) {
        if (group->GetKind() == LexValue::kCharSet) {
            for (wchar_t ch = 1; ch < 0x80; ++ch)
                if (group->GetCharSet().Matches(ch))
                    chars.set(static_cast<size_t>(ch));
        } else if (group->GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group->GetStrings())
                if (!tag.empty() && tag.size() <= kMaxMatchLength)
                    SetFoldingAlike(tag.back(), chars);
        }
    }
    return chars;
}

}  // namespace

void LexClass::ClearIndexes() {
    activeTags_.clear();
    activePreceding_.clear();
    activeStartCount_ = 0;
    activeIndex_.Clear();
    tokenIndex_.Clear();
    filtersCaseSensitive_ = kNotComputed;
    startTables_ = {};
}

bool LexClass::BuildIndexes() {
    const bool exact = IsCaseSensitive();
    for (Condition condition : kTagLists) conditions_[condition] = Ordered(conditions_[condition], exact);
    filtersCaseSensitive_ = kNotComputed;
    BuildStartTables();
    return tokenIndex_.Build(conditions_[kTokenTag], !exact);
}

void LexClass::BuildStartTables() {
    constexpr size_t kMaxEntries = 64;
    for (size_t which = 0; which < kChildListCount; ++which) {
        const std::vector<pw::RefPtr<LexClass>>& list = GetChildList(which);
        StartTable& table = startTables_[which];
        table = StartTable();
        if (list.empty() || list.size() > kMaxEntries)
            continue;
        table.size = list.size();
        table.masks.assign(0x80, 0);
        for (size_t i = 0; i < list.size(); ++i) {
            const std::bitset<128> chars = list[i]->StartCharsAnyCase();
            for (size_t ch = 0; ch < 0x80; ++ch)
                if (chars[ch])
                    table.masks[ch] |= uint64_t{1} << i;
        }
    }
}

std::bitset<128> LexClass::StartCharsAnyCase() const {
    // Without a start group the class starts with one of its tokens, when it has a token group.
    const bool byToken = IsGroupEmpty(kStart) && !IsGroupEmpty(kToken);
    const LexValueList& tags = conditions_[byToken ? kTokenTag : kStartTag];
    std::bitset<128> chars;
    if ((!byToken && IsGroupEmpty(kStart)) || tags.empty())
        return chars.set();
    for (const pw::RefPtr<LexValue>& group : tags) {
        if (group->GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group->GetStrings())
                if (!tag.empty())
                    SetFoldingAlike(tag.front(), chars);
        } else if (group->GetKind() == LexValue::kCharSet) {
            for (wchar_t ch = 0; ch < 0x80; ++ch)
                if (group->GetCharSet().Matches(ch))
                    chars.set(static_cast<size_t>(ch));
        }
    }
    return chars;
}

void LexClass::BuildFilters() const {
    const bool exact = IsCaseSensitive();
    if (filtersCaseSensitive_ == (exact ? 1 : 0))
        return;
    for (Condition condition : kTagLists) {
        TagFilter& filter = filters_[condition];
        filter = TagFilter();
        for (const pw::RefPtr<LexValue>& group : conditions_[condition]) {
            if (group->GetKind() == LexValue::kStrings) {
                for (const std::wstring& tag : group->GetStrings()) {
                    if (tag.empty() || tag.size() > kMaxMatchLength)
                        continue;
                    filter.single = filter.single && tag.size() == 1;
                    filter.longest = std::max(filter.longest, tag.size());
                    const wchar_t key = IsBackwards(condition) ? tag.back() : tag.front();
                    for (wchar_t ch = 1; ch < 0x80; ++ch)
                        if (exact ? ch == key : FoldCase(ch) == FoldCase(key))
                            filter.chars.set(static_cast<size_t>(ch));
                }
            } else if (group->GetKind() == LexValue::kCharSet) {
                for (wchar_t ch = 1; ch < 0x80; ++ch)
                    if (group->GetCharSet().Matches(ch))
                        filter.chars.set(static_cast<size_t>(ch));
            }
        }
    }
    filtersCaseSensitive_ = exact ? 1 : 0;
}

bool LexClass::BuildActiveTags() {
    std::vector<const LexClass*> path;
    std::vector<const LexClass*> done;
    return BuildActiveTags(path, done);
}

TagTrie::Preceding LexClass::PrecedingStart() const {
    // Only "previous:tag" looked at right before the position limits it; "previous:tag:separators"
    // may put any number of characters between.
    if (IsGroupEmpty(kPrevious) || conditions_[kPreviousTag].empty() ||
        !conditions_[kPreviousTagSeparators].empty())
        return TagTrie::Preceding().set();
    return PrecedingChars(conditions_[kPreviousTag]);
}

void LexClass::AppendActive(Condition list, const TagTrie::Preceding& preceding) {
    activeTags_.insert(activeTags_.end(), conditions_[list].begin(), conditions_[list].end());
    activePreceding_.insert(activePreceding_.end(), conditions_[list].size(), preceding);
}

bool LexClass::BuildActiveTags(std::vector<const LexClass*>& path, std::vector<const LexClass*>& done) {
    activeTags_.clear();
    activePreceding_.clear();
    const TagTrie::Preceding any = TagTrie::Preceding().set();
    const TagTrie::Preceding start = PrecedingStart();
    if (!conditions_[kStartTag].empty()) {
        AppendActive(kStartTag, start);
    } else {
        // The position after a tag looked back at is offered whatever stands before the tag.
        AppendActive(kPreviousTag, any);
        AppendActive(kPreviousTagSeparators, any);
    }
    AppendActive(kTokenTag, conditions_[kTokenStartSeparators].empty()
                                ? start
                                : start & PrecedingChars(conditions_[kTokenStartSeparators]));
    // Set before descending: a child that contains this class again takes this much of it.
    activeStartCount_ = activeTags_.size();
    path.push_back(this);
    bool complete = true;
    for (const auto* list : {&children_, &dynamicChildren_}) {
        for (const pw::RefPtr<LexClass>& child : *list) {
            const bool seen = std::find(path.begin(), path.end(), child.get()) != path.end() ||
                              std::find(done.begin(), done.end(), child.get()) != done.end();
            if (!seen)
                complete = child->BuildActiveTags(path, done) && complete;
            Append(activeTags_, child->activeTags_, child->activeStartCount_);
            Append(activePreceding_, child->activePreceding_, child->activeStartCount_);
        }
    }
    path.pop_back();
    done.push_back(this);
    activeStartCount_ = activeTags_.size();
    for (Condition condition : {kSkipTag, kEndTag, kEndSeparators}) AppendActive(condition, any);
    return activeIndex_.Build(activeTags_, true, activePreceding_) && complete;
}

size_t LexClass::ScanTagList(const TextIterator::Span& text, Condition list, ptrdiff_t at, int offset) {
    const bool exact = IsCaseSensitive();
    const wchar_t ch = text.at[at];
    for (const pw::RefPtr<LexValue>& group : conditions_[list]) {
        if (group->GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group->GetStrings()) {
                if (tag.empty() || tag.size() > kMaxMatchLength)
                    continue;
                const ptrdiff_t start =
                    IsBackwards(list) ? ptrdiff_t{offset} - static_cast<ptrdiff_t>(tag.size()) : at;
                if (start >= -static_cast<ptrdiff_t>(text.behind) && BeginsWith(text.at + start, tag, exact))
                    return tag.size();
            }
        } else if (group->GetKind() == LexValue::kCharSet) {
            if (ch != L'\0' && group->GetCharSet().Matches(ch))
                return 1;
        }
    }
    return 0;
}

bool LexClass::FindPreviousClassBlock(TextBlock*& found, LexParseContext& ctx, const LexValueList& classList,
                                      LineCol lowerLimit, TextBlock* parent, TextBlock* from) {
    TextBlock* block = from ? from : ctx.GetNewestBlock();
    if (!block)
        return false;
    const LexClass* cls = ctx.GetBlockClass(*block);
    if (!cls || (lowerLimit.IsValid() && ctx.GetBlockStart(*block) < lowerLimit) ||
        (parent && ctx.GetBlockParent(*block) != parent))
        return false;
    for (const pw::RefPtr<LexValue>& group : classList) {
        if (group->GetKind() != LexValue::kClassNames)
            continue;
        for (const std::wstring& name : group->GetStrings()) {
            if (EqualNoCase(name, cls->GetName())) {
                found = block;
                return true;
            }
        }
    }
    return false;
}

bool LexClass::CheckPrevious(TextIterator& it, LexParseContext& ctx, TextBlock* lookBackFrom) {
    TextBlock* found = nullptr;
    const LexValueList& classes = conditions_[kPreviousClass];
    if (!classes.empty() && !FindPreviousClassBlock(found, ctx, classes, {}, nullptr, lookBackFrom))
        return false;
    const LexValueList& tags = conditions_[kPreviousTag];
    if (tags.empty())
        return true;
    int back = 0;
    if (!conditions_[kPreviousTagSeparators].empty()) {
        const auto available =
            static_cast<int>(std::min<size_t>(it.GetSpan(0).behind, it.GetMaxBackOffset()));
        while (back < available && MatchTagList(it, kPreviousTagSeparators, -back) > 0) ++back;
    }
    return MatchTagList(it, kPreviousTag, -back) > 0;
}

int LexClass::CreateAtPosition(TextIterator& it, LexParseContext& ctx, TextBlock*& open) {
    TextBlock* block = ctx.CreateBlock(*this, it.GetPosition(), 0);
    if (!block)
        return kRunFailed | kRunConsumed | kRunStarted;
    open = block;
    return kRunConsumed | kRunStarted;
}

int LexClass::RunStart(TextIterator& it, LexParseContext& ctx, TextBlock*& open, TextBlock* lookBackFrom) {
    const LexValueList& classes = conditions_[kStartClass];
    const LexValueList& tags = conditions_[kStartTag];
    // Start values that were all rejected leave no condition to hold: such a class never starts.
    if (classes.empty() && tags.empty())
        return 0;
    TextBlock* found = nullptr;
    if (!classes.empty() && !FindPreviousClassBlock(found, ctx, classes, {}, nullptr, lookBackFrom))
        return 0;
    size_t tagLength = 0;
    if (!tags.empty() && (tagLength = MatchTagList(it, kStartTag)) == 0)
        return 0;
    int flags = kRunStarted;
    if (found && parent_) {
        const LexClass* foundClass = ctx.GetBlockClass(*found);
        if (!foundClass || !EqualNoCase(foundClass->GetName(), parent_->GetName()))
            flags |= kRunOutsideParent;
    }
    LineCol start = it.GetPosition();
    int startExtent = static_cast<int>(tagLength);
    if (tagLength == 0 && found) {
        start = ctx.GetBlockStart(*found);
        startExtent = ctx.GetBlockStartExtent(*found);
    }
    TextBlock* block = ctx.CreateBlock(*this, start, startExtent);
    if (!block)
        return flags | kRunFailed;
    open = block;
    if (tagLength > 0) {
        it.Advance(startExtent, 0);
        flags |= kRunConsumed;
    }
    return flags;
}

int LexClass::RunToken(TextIterator& it, LexParseContext& ctx, TextBlock*& open) {
    if (conditions_[kTokenTag].empty())
        return 0;
    // The separator before the token is one look-back; most positions fail it, inside words.
    if (!conditions_[kTokenStartSeparators].empty() && MatchTagList(it, kTokenStartSeparators) == 0)
        return 0;
    const wchar_t* text = it.GetTextPtr(static_cast<int>(TagTrie::kMaxTagLength));
    size_t length = tokenIndex_.Find(text, TagTrie::Mode::kLongest);
    if (length == 0 && tokenIndex_.HasNegatedSets() && *text != L'\0' && !tokenIndex_.InNegatedSets(*text))
        length = 1;
    if (length == 0 || (!conditions_[kTokenEndSeparators].empty() &&
                        MatchTagList(it, kTokenEndSeparators, static_cast<int>(length)) == 0))
        return 0;
    const LineCol start = it.GetPosition();
    TextBlock* block = ctx.CreateBlock(*this, start, static_cast<int>(length));
    it.Advance(static_cast<int>(length), 0);
    const int flags = kRunStarted | kRunEnded | kRunConsumed;
    if (!block)
        return flags | kRunFailed;
    open = block;
    LineCol end = it.GetPosition();
    it.StepBack(end);
    // On the line end that follows the last row every character has the same position, and
    // stepping back would leave the row.
    end = std::max(end, start);
    ctx.SetBlockEnd(*block, end, end.Packed() - start.Packed());
    return flags;
}

int LexClass::RunSkip(TextIterator& it) {
    if (conditions_[kSkipTag].empty())
        return 0;
    int flags = 0;
    while (!it.IsEOF()) {
        const size_t length = MatchTagList(it, kSkipTag);
        if (length == 0)
            break;
        it.Advance(static_cast<int>(length), 0);
        flags = kRunConsumed;
    }
    return flags;
}

int LexClass::RunEnd(TextIterator& it, LexParseContext& ctx, TextBlock& open, TextBlock* lookBackFrom) {
    const LexValueList& classes = conditions_[kEndClass];
    const LexValueList& tags = conditions_[kEndTag];
    const LexValueList& separators = conditions_[kEndSeparators];
    // End values that were all rejected leave no condition to hold: such a block does not end
    // by itself rather than at once.
    if (classes.empty() && tags.empty() && separators.empty())
        return 0;
    TextBlock* found = nullptr;
    if (!classes.empty() && !FindPreviousClassBlock(found, ctx, classes, ctx.GetBlockStart(open),
                                                    IsEndClassParentThis() ? &open : nullptr, lookBackFrom))
        return 0;
    size_t tagLength = 0;
    if (!tags.empty() && (tagLength = MatchTagList(it, kEndTag)) == 0)
        return 0;
    if (!separators.empty() && MatchTagList(it, kEndSeparators, static_cast<int>(tagLength)) == 0)
        return 0;
    if (tags.empty() && separators.empty()) {
        ctx.SetBlockEnd(open, ctx.GetBlockEnd(*found), ctx.GetBlockEndExtent(*found));
        return kRunEnded | kRunConsumed;
    }
    const LineCol tagStart = it.GetPosition();
    if (tagLength > 0)
        it.Advance(static_cast<int>(tagLength), 0);
    LineCol end = it.GetPosition();
    if (end > LineCol{1, 0})
        it.StepBack(end);
    // Without an end tag the block ends on the character before the separator, and no end text
    // lies inside it: the extent is that of the end tag alone, never negative.
    const int endExtent = tagLength > 0 ? end.Packed() - tagStart.Packed() : 0;
    ctx.SetBlockEnd(open, end, endExtent);
    return kRunEnded | kRunConsumed;
}

int LexClass::Run(TextIterator* it, LexParseContext* ctx, TextBlock*& open, TextBlock* lookBackFrom) {
    if (!it || !ctx)
        return kRunFailed | kRunConsumed;
    if (open) {
        int flags = RunSkip(*it);
        flags |= RunEnd(*it, *ctx, *open, lookBackFrom);
        if (flags & (kRunFailed | kRunEnded))
            return flags;
        if (!children_.empty() || !dynamicChildren_.empty() || !selfChildren_.empty()) {
            flags |= ctx->RunChildren(*this, *it, *open) & ~(kRunStarted | kRunEnded);
            if (flags & (kRunFailed | kRunStopped | kRunCancelled))
                return flags;
        }
        return flags | RunEnd(*it, *ctx, *open, lookBackFrom);
    }
    // The start tag fails at most positions and is the cheapest test: nothing else is looked at
    // then, as none of it could start the block.
    if (!MayStartAt(*it))
        return 0;
    const bool previous = IsGroupEmpty(kPrevious) || CheckPrevious(*it, *ctx, lookBackFrom);
    if (!IsGroupEmpty(kStart))
        return previous ? RunStart(*it, *ctx, open, lookBackFrom) : 0;
    if (!previous)
        return 0;
    if (IsGroupEmpty(kToken))
        return CreateAtPosition(*it, *ctx, open);
    const int flags = RunToken(*it, *ctx, open);
    return flags & (kRunFailed | kRunEnded) ? flags : 0;
}
