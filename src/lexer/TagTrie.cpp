#include "lexer/TagTrie.h"

#include "lexer/LexClass.h"
#include "lexer/LexText.h"
#include "lexer/LexValue.h"

namespace {

// Every character of a set, for a set entered as one-character tags.
std::vector<wchar_t> Members(int id) {
    std::vector<wchar_t> members;
    const LexCharSet set(id, false);
    for (wchar_t ch = 1; ch < 0x80; ++ch)  // the sets hold ASCII characters only
        if (set.Matches(ch))
            members.push_back(ch);
    return members;
}

}  // namespace

bool TagTrie::Build(const LexValueList& list, bool folded) {
    Clear();
    folded_ = folded;
    bool complete = true;
    for (const pw::RefPtr<LexValue>& group : list) {
        if (group->GetKind() == LexValue::kCharSet) {
            const LexCharSet& set = group->GetCharSet();
            for (wchar_t ch : Members(set.GetId())) {
                if (set.IsNegated())
                    negated_.insert(Key(ch));
                else
                    Add(&ch, 1);
            }
            hasNegated_ = hasNegated_ || set.IsNegated();
        } else if (group->GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group->GetStrings()) {
                if (tag.size() > kMaxTagLength)
                    complete = false;
                else
                    Add(tag.data(), tag.size());
            }
        }
    }
    return complete;
}

void TagTrie::Clear() {
    nodes_.assign(1, Node());
    negated_.clear();
    hasNegated_ = false;
}

wchar_t TagTrie::Key(wchar_t ch) const {
    return folded_ ? FoldCase(ch) : ch;
}

void TagTrie::Add(const wchar_t* tag, size_t length) {
    if (length == 0)  // an empty tag never matches
        return;
    uint32_t node = 0;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t key = Key(tag[i]);
        auto found = nodes_[node].next.find(key);
        if (found == nodes_[node].next.end()) {
            const auto added = static_cast<uint32_t>(nodes_.size());
            nodes_[node].next.emplace(key, added);
            nodes_.emplace_back();
            node = added;
        } else {
            node = found->second;
        }
    }
    nodes_[node].ends = true;
}

size_t TagTrie::Find(const wchar_t* text, Mode mode) const {
    size_t found = 0;
    uint32_t node = 0;
    // NUL ends the text the iterator hands out; no tag holds one.
    for (size_t i = 0; i < kMaxTagLength && text[i] != L'\0'; ++i) {
        auto next = nodes_[node].next.find(Key(text[i]));
        if (next == nodes_[node].next.end())
            break;
        node = next->second;
        if (nodes_[node].ends) {
            found = i + 1;
            if (mode == Mode::kShortest)
                break;
        }
    }
    return found;
}

bool TagTrie::InNegatedSets(wchar_t ch) const {
    return negated_.count(Key(ch)) != 0;
}
