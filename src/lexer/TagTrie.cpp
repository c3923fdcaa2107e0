#include "lexer/TagTrie.h"

#include <algorithm>

#include "lexer/LexClass.h"
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

constexpr size_t kFirstTableSize = 64;

}  // namespace

bool TagTrie::Build(const LexValueList& list, bool folded, const std::vector<Preceding>& preceding) {
    Clear();
    folded_ = folded;
    ascii_ = std::make_unique<AsciiTables>();
    ascii_->beforeMasks.fill(1);
    ascii_->beforeMasks[0] = kAnyPreceding;
    std::vector<Preceding> known;
    bool complete = true;
    for (size_t g = 0; g < list.size(); ++g) {
        const LexValue& group = *list[g];
        const uint8_t mask = g < preceding.size() ? PrecedingBit(preceding[g], known) : 1;
        if (group.GetKind() == LexValue::kCharSet) {
            const LexCharSet& set = group.GetCharSet();
            for (wchar_t ch : Members(set.GetId())) {
                if (set.IsNegated())
                    negated_.set(Key(ch));
                else
                    Add(&ch, 1, mask);
            }
            hasNegated_ = hasNegated_ || set.IsNegated();
        } else if (group.GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group.GetStrings()) {
                if (tag.size() > kMaxTagLength)
                    complete = false;
                else
                    Add(tag.data(), tag.size(), mask);
            }
        }
    }
    if (linkCount_ == 0 && std::all_of(ascii_->rootLinks.begin(), ascii_->rootLinks.end(),
                                       [](uint32_t node) { return node == 0; })) {
        ascii_.reset();
        return complete;
    }
    for (uint32_t ch = 0; ch < kAscii; ++ch)
        ascii_->firstMasks[ch] = passMasks_[ascii_->rootLinks[Key(static_cast<wchar_t>(ch))]];
    return complete;
}

size_t TagTrie::Scan(const wchar_t* text, size_t count, wchar_t before, size_t& length) const {
    length = 0;
    if (!ascii_)
        return count;
    const AsciiTables& t = *ascii_;
    auto prev = static_cast<uint32_t>(before);
    for (size_t i = 0; i < count; ++i) {
        const auto ch = static_cast<uint32_t>(text[i]);
        if ((ch | prev) >= kAscii || (t.firstMasks[ch] & t.beforeMasks[prev])) {
            if ((length = Find(text + i, Mode::kShortest, static_cast<wchar_t>(prev))) > 0)
                return i;
        }
        prev = ch;
    }
    return count;
}

uint8_t TagTrie::PrecedingBit(const Preceding& set, std::vector<Preceding>& known) {
    if (set.all())
        return 1;
    auto it = std::find(known.begin(), known.end(), set);
    if (it == known.end()) {
        if (known.size() == 7)
            return 1;
        it = known.insert(known.end(), set);
    }
    const auto bit = static_cast<uint8_t>(2u << (it - known.begin()));
    for (size_t ch = 1; ch < kAscii; ++ch)
        if (set.test(ch))
            ascii_->beforeMasks[ch] |= bit;
    return bit;
}

void TagTrie::Clear() {
    ascii_.reset();
    links_.clear();
    linkCount_ = 0;
    endMasks_.assign(1, 0);
    passMasks_.assign(1, 0);
    negated_.reset();
    hasNegated_ = false;
}

size_t TagTrie::Slot(uint32_t node, uint32_t key) const {
    const uint64_t mixed = ((uint64_t{node} << 32) | key) * 0x9E3779B97F4A7C15u;
    return static_cast<size_t>(mixed >> 32) & (links_.size() - 1);
}

uint32_t TagTrie::Next(uint32_t node, uint32_t key) const {
    if (node == 0 && key < kAscii)
        return ascii_->rootLinks[key];
    if (links_.empty())
        return 0;
    for (size_t i = Slot(node, key);; i = (i + 1) & (links_.size() - 1)) {
        const Link& link = links_[i];
        if (link.child == 0)
            return 0;
        if (link.node == node && link.key == key)
            return link.child;
    }
}

void TagTrie::Insert(const Link& link) {
    size_t i = Slot(link.node, link.key);
    while (links_[i].child != 0) i = (i + 1) & (links_.size() - 1);
    links_[i] = link;
}

void TagTrie::Grow() {
    std::vector<Link> old(links_.empty() ? kFirstTableSize : links_.size() * 2);
    old.swap(links_);
    for (const Link& link : old)
        if (link.child != 0)
            Insert(link);
}

void TagTrie::Add(const wchar_t* tag, size_t length, uint8_t mask) {
    // An empty tag never matches, and nor does one with a NUL: the text ends there.
    if (length == 0 || std::find(tag, tag + length, L'\0') != tag + length)
        return;
    if (length >= 2 && Key(tag[0]) < kAscii && Key(tag[1]) < kAscii)
        ascii_->pairs.set(Key(tag[0]) * kAscii + Key(tag[1]));
    uint32_t node = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint32_t key = Key(tag[i]);
        uint32_t child = Next(node, key);
        if (child == 0) {
            child = static_cast<uint32_t>(endMasks_.size());
            endMasks_.push_back(0);
            passMasks_.push_back(0);
            if (node == 0 && key < kAscii) {
                ascii_->rootLinks[key] = child;
            } else {
                if (2 * (linkCount_ + 1) > links_.size())
                    Grow();
                Insert({node, key, child});
                ++linkCount_;
            }
        }
        node = child;
        passMasks_[node] |= mask;
    }
    endMasks_[node] |= mask;
}

size_t TagTrie::FindFrom(const wchar_t* text, Mode mode, uint8_t allowed) const {
    size_t found = 0;
    uint32_t node = 0;
    // NUL ends the text the iterator hands out; no tag holds one.
    for (size_t i = 0; i < kMaxTagLength && text[i] != L'\0'; ++i) {
        node = Next(node, Key(text[i]));
        if (node == 0 || !(passMasks_[node] & allowed))
            break;
        if (endMasks_[node] & allowed) {
            found = i + 1;
            if (mode == Mode::kShortest)
                break;
        }
    }
    return found;
}

bool TagTrie::InNegatedSets(wchar_t ch) const {
    const uint32_t key = Key(ch);
    return key < kAscii && negated_.test(key);
}
