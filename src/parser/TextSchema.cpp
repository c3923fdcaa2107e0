#include "parser/TextSchema.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "lexer/LexValue.h"
#include "lexer/TagTrie.h"
#include "platform/CriticalSection.h"  // ScopedLock

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

// "dir/name.ext" gives ".ext"; a name without a dot gives the whole name.
std::wstring_view ExtensionOf(std::wstring_view fileName) {
    size_t slash = fileName.find_last_of(L"/\\");
    size_t dot = fileName.rfind(L'.');
    if (dot == std::wstring_view::npos || (slash != std::wstring_view::npos && dot < slash))
        return fileName;
    return fileName.substr(dot);
}

}  // namespace

TextSchema::TextSchema(std::wstring name)
    : name_(std::move(name)), events_(pw::MakeRef<CQELNotificationConnectionMT>()) {}

TextSchema::~TextSchema() {
    chain_.ReleaseAll();
    created_.reset();
}

void TextSchema::Reset() {
    Lock parse(parseLock_);
    Lock data(chain_.DataLock());
    chain_.ReleaseAll();
    // Cached answers are recomputed on first use; every instance of both trees has its own.
    std::vector<LexClass*> pending;
    for (const pw::RefPtr<LexClass>& cls : classSet_.GetTemplates()) pending.push_back(cls.get());
    for (int kind : {ClassSet::kFullTree, ClassSet::kCompleteParseTree})
        for (const pw::RefPtr<LexClass>& cls : classSet_.GetTree(kind)) pending.push_back(cls.get());
    while (!pending.empty()) {
        LexClass* cls = pending.back();
        pending.pop_back();
        cls->ResetCache();
        for (const auto* list : {&cls->GetChildren(), &cls->GetDynamicChildren()})
            for (const pw::RefPtr<LexClass>& child : *list) pending.push_back(child.get());
    }
}

pw::RefPtr<TextSchema> TextSchema::Clone() {
    Lock parse(parseLock_);
    Lock data(chain_.DataLock());
    pw::RefPtr<TextSchema> copy = pw::MakeRef<TextSchema>(name_);
    if (!classSet_.CopyTo(copy->classSet_))
        return {};
    return copy;
}

bool TextSchema::EnsureTrees() {
    Lock parse(parseLock_);
    Lock data(chain_.DataLock());
    tagReach_ = 0;
    return !classSet_.GetTree(ClassSet::kFullTree).empty() || classSet_.BuildTrees();
}

int TextSchema::TagReach() {
    if (tagReach_ > 0)
        return tagReach_;
    size_t longest = 1;
    std::vector<const LexClass*> pending;
    for (const pw::RefPtr<LexClass>& cls : classSet_.GetTree(ClassSet::kFullTree))
        pending.push_back(cls.get());
    while (!pending.empty()) {
        const LexClass* cls = pending.back();
        pending.pop_back();
        for (const pw::RefPtr<LexValue>& group : cls->GetActiveTags())
            if (group->GetKind() == LexValue::kStrings)
                for (const std::wstring& tag : group->GetStrings()) longest = std::max(longest, tag.size());
        for (const auto* list : {&cls->GetChildren(), &cls->GetDynamicChildren()})
            for (const pw::RefPtr<LexClass>& child : *list) pending.push_back(child.get());
    }
    tagReach_ = static_cast<int>(std::min<size_t>(longest, TagTrie::kMaxTagLength));
    return tagReach_;
}

int32_t TextSchema::RunWithEvents(int treeKind, TextIterator* it, std::optional<LineCol> start,
                                  std::optional<LineCol> end, bool report) {
    chain_.ClearEndedBlocks();
    if (report)
        events_->SendEvent(kParseStarted);
    int32_t result = Run(treeKind, it, start, end, report);
    if (report)
        events_->SendEvent(kParseFinished, static_cast<uintptr_t>(static_cast<uint32_t>(result)));
    return result;
}

std::wstring TextSchema::LastRunRange() const {
    return DescribeRange(lastStart_, lastEnd_);
}

pw::RefPtr<LexClass> TextSchema::FileClass(std::wstring_view fileName) const {
    const std::wstring query = L"IsExt=" + std::wstring(ExtensionOf(fileName));
    for (const pw::RefPtr<LexClass>& cls : classSet_.GetTree(ClassSet::kFullTree)) {
        pw::RefPtr<LexValue> answer = cls->GetValue(query);
        if (answer->GetKind() == LexValue::kNumber && answer->GetNumber() != 0)
            return cls;
    }
    return {};
}

TextBlock* TextSchema::CreateBlock(LexClass& cls, LineCol start, int startExtent) {
    created_ = chain_.CreateBlock();
    created_->lexClass = &cls;
    created_->startPos = start;
    created_->startTokenExtent = startExtent;
    return created_.get();
}

void TextSchema::SetBlockEnd(TextBlock& block, LineCol end, int endExtent) {
    // A block not linked yet (a token's, mostly) is seen by no reader.
    std::optional<Lock> data;
    if (&block != created_.get())
        data.emplace(chain_.DataLock());
    block.endPos = end;
    // An end tag on the line end after the last row is measured from a position on the next
    // row, which gives a negative length that depends on the column; it is taken as none.
    block.endTokenExtent = std::max(endExtent, 0);
}

TextBlock* TextSchema::GetNewestBlock() const {
    // Before a reparse links its first block, the block it restarts after is the newest one,
    // as it was when a complete parse reached this place.
    return Anchor();
}

int TextSchema::RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) {
    return RunChildLists(it, cls, &parent);
}

void TextSchema::BlockEnded(TextBlock& block) {
    if (!reportEnded_)
        return;
    uintptr_t key = chain_.HandOverEndedBlock(&block);
    // Nobody listening means nobody will come for the block either.
    if (!events_->SendEvent(kBlockEndedEvent, key))
        chain_.ClearEndedBlocks();
}
