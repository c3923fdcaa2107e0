#include "lexer/TagTrie.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>

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

// What makes two lists build the same trie: the case rule, and each group's kind, contents and
// preceding set, written out without ambiguity (numbers as two 16-bit units, lengths before
// strings). `complete` is cleared when a tag is too long to be entered.
std::wstring ContentKey(const LexValueList& list, bool folded,
                        const std::vector<TagTrie::Preceding>& preceding, bool& complete) {
    std::wstring key(1, folded ? L'F' : L'f');
    auto number = [&key](size_t n) {
        key += static_cast<wchar_t>((n >> 16) & 0xFFFF);
        key += static_cast<wchar_t>(n & 0xFFFF);
    };
    for (size_t g = 0; g < list.size(); ++g) {
        const LexValue& group = *list[g];
        if (group.GetKind() == LexValue::kCharSet) {
            key += group.GetCharSet().IsNegated() ? L'!' : L's';
            number(static_cast<size_t>(group.GetCharSet().GetId()));
        } else if (group.GetKind() == LexValue::kStrings) {
            key += L't';
            number(group.GetStrings().size());
            for (const std::wstring& tag : group.GetStrings()) {
                number(tag.size());
                key += tag;
                complete = complete && tag.size() <= TagTrie::kMaxTagLength;
            }
        }
        if (g < preceding.size() && !preceding[g].all()) {
            key += L'p';
            for (size_t bit = 0; bit < preceding[g].size(); bit += 16) {
                size_t unit = 0;
                for (size_t b = 0; b < 16; ++b) unit |= size_t{preceding[g][bit + b]} << b;
                key += static_cast<wchar_t>(unit);
            }
        }
        key += L';';
    }
    return key;
}

}  // namespace

bool TagTrie::Build(const LexValueList& list, bool folded, const std::vector<Preceding>& preceding) {
    bool complete = true;
    const std::wstring key = ContentKey(list, folded, preceding, complete);
    // Every schema of every document builds its tries here, from any thread.
    static std::mutex lock;
    static std::unordered_map<std::wstring, std::weak_ptr<const Index>> shared;
    static size_t sweepAt = 64;
    std::lock_guard<std::mutex> guard(lock);
    if (auto found = shared.find(key); found != shared.end()) {
        if ((index_ = found->second.lock()))
            return complete;
    }
    // Not make_shared: the entry left behind by a trie let go would keep the tables in memory.
    std::shared_ptr<const Index> index(new Index(list, folded, preceding));
    const bool empty =
        index->linkCount == 0 && !index->hasNegated &&
        std::all_of(index->rootLinks.begin(), index->rootLinks.end(), [](uint32_t n) { return n == 0; });
    index_ = empty ? nullptr : index;
    if (index_) {
        shared[key] = index_;
        // Tries of classes gone leave entries behind; they go when the table has doubled.
        if (shared.size() >= sweepAt) {
            std::erase_if(shared, [](const auto& entry) { return entry.second.expired(); });
            sweepAt = std::max<size_t>(64, 2 * shared.size());
        }
    }
    return complete;
}

TagTrie::Index::Index(const LexValueList& list, bool foldedCase, const std::vector<Preceding>& preceding)
    : folded(foldedCase) {
    beforeMasks.fill(1);
    beforeMasks[0] = kAnyPreceding;
    std::vector<Preceding> known;
    for (size_t g = 0; g < list.size(); ++g) {
        const LexValue& group = *list[g];
        const uint8_t mask = g < preceding.size() ? PrecedingBit(preceding[g], known) : 1;
        if (group.GetKind() == LexValue::kCharSet) {
            const LexCharSet& set = group.GetCharSet();
            for (wchar_t ch : Members(set.GetId())) {
                if (set.IsNegated())
                    negated.set(Key(ch));
                else
                    Add(&ch, 1, mask);
            }
            hasNegated = hasNegated || set.IsNegated();
        } else if (group.GetKind() == LexValue::kStrings) {
            for (const std::wstring& tag : group.GetStrings())
                if (tag.size() <= kMaxTagLength)
                    Add(tag.data(), tag.size(), mask);
        }
    }
    for (uint32_t ch = 0; ch < kAscii; ++ch)
        firstMasks[ch] = passMasks[rootLinks[Key(static_cast<wchar_t>(ch))]];
}

size_t TagTrie::Scan(const wchar_t* text, size_t count, wchar_t before, size_t& length) const {
    length = 0;
    if (!index_)
        return count;
    const Index& t = *index_;
    auto prev = static_cast<uint32_t>(before);
    for (size_t i = 0; i < count; ++i) {
        const auto ch = static_cast<uint32_t>(text[i]);
        if ((ch | prev) >= kAscii || (t.firstMasks[ch] & t.beforeMasks[prev])) {
            if ((length = t.Find(text + i, Mode::kShortest, static_cast<wchar_t>(prev))) > 0)
                return i;
        }
        prev = ch;
    }
    return count;
}

uint8_t TagTrie::Index::PrecedingBit(const Preceding& set, std::vector<Preceding>& known) {
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
            beforeMasks[ch] |= bit;
    return bit;
}

size_t TagTrie::Index::Slot(uint32_t node, uint32_t key) const {
    const uint64_t mixed = ((uint64_t{node} << 32) | key) * 0x9E3779B97F4A7C15u;
    return static_cast<size_t>(mixed >> 32) & (links.size() - 1);
}

uint32_t TagTrie::Index::Next(uint32_t node, uint32_t key) const {
    if (node == 0 && key < kAscii)
        return rootLinks[key];
    if (links.empty())
        return 0;
    for (size_t i = Slot(node, key);; i = (i + 1) & (links.size() - 1)) {
        const Link& link = links[i];
        if (link.child == 0)
            return 0;
        if (link.node == node && link.key == key)
            return link.child;
    }
}

void TagTrie::Index::Insert(const Link& link) {
    size_t i = Slot(link.node, link.key);
    while (links[i].child != 0) i = (i + 1) & (links.size() - 1);
    links[i] = link;
}

void TagTrie::Index::Grow() {
    std::vector<Link> old(links.empty() ? kFirstTableSize : links.size() * 2);
    old.swap(links);
    for (const Link& link : old)
        if (link.child != 0)
            Insert(link);
}

void TagTrie::Index::Add(const wchar_t* tag, size_t length, uint8_t mask) {
    // An empty tag never matches, and nor does one with a NUL: the text ends there.
    if (length == 0 || std::find(tag, tag + length, L'\0') != tag + length)
        return;
    if (length >= 2 && Key(tag[0]) < kAscii && Key(tag[1]) < kAscii)
        pairs.set(Key(tag[0]) * kAscii + Key(tag[1]));
    uint32_t node = 0;
    for (size_t i = 0; i < length; ++i) {
        const uint32_t key = Key(tag[i]);
        uint32_t child = Next(node, key);
        if (child == 0) {
            child = static_cast<uint32_t>(endMasks.size());
            endMasks.push_back(0);
            passMasks.push_back(0);
            if (node == 0 && key < kAscii) {
                rootLinks[key] = child;
            } else {
                if (2 * (linkCount + 1) > links.size())
                    Grow();
                Insert({node, key, child});
                ++linkCount;
            }
        }
        node = child;
        passMasks[node] |= mask;
    }
    endMasks[node] |= mask;
}

size_t TagTrie::Index::FindFrom(const wchar_t* text, Mode mode, uint8_t allowed) const {
    size_t found = 0;
    uint32_t node = 0;
    // NUL ends the text the iterator hands out; no tag holds one.
    for (size_t i = 0; i < kMaxTagLength && text[i] != L'\0'; ++i) {
        node = Next(node, Key(text[i]));
        if (node == 0 || !(passMasks[node] & allowed))
            break;
        if (endMasks[node] & allowed) {
            found = i + 1;
            if (mode == Mode::kShortest)
                break;
        }
    }
    return found;
}

bool TagTrie::InNegatedSets(wchar_t ch) const {
    if (!index_)
        return false;
    const uint32_t key = index_->Key(ch);
    return key < kAscii && index_->negated.test(key);
}
