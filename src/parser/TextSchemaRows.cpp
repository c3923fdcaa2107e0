// The row queries of painting: coloured runs, foldable blocks and the on-screen parse. They run
// on the editing thread beside a background parse, so each gives up after a short wait for the
// data lock rather than freeze the window.
#include <algorithm>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/TextIterator.h"
#include "lexer/TagTrie.h"
#include "parser/TextSchema.h"

namespace {

constexpr LineCol kOpenEnd{0x7FFFFFFF, 0x7FFFFFFF};
constexpr int kMaxBlockDepth = TextSchema::kMaxBlockDepth;

LineCol EndOrOpen(const TextBlock& b) {
    return b.endPos.IsValid() ? b.endPos : kOpenEnd;
}

// The class attributes that are set, laid over `base`.
LexTextAttributes Overlay(LexTextAttributes base, const LexTextAttributes& cls) {
    for (auto [to, from] : {std::pair{&base.text, &cls.text}, std::pair{&base.background, &cls.background},
                            std::pair{&base.selectedText, &cls.selectedText},
                            std::pair{&base.selectedBackground, &cls.selectedBackground}}) {
        if (from->standard != kColorNotSet)
            to->standard = from->standard;
        if (from->custom != kColorNotSet)
            to->custom = from->custom;
    }
    for (auto [to, from] : {std::pair{&base.weight, &cls.weight}, std::pair{&base.italic, &cls.italic},
                            std::pair{&base.underline, &cls.underline}}) {
        if (*from != LexTextAttributes::kNotSet)
            *to = *from;
    }
    return base;
}

// The blocks enclosing `b`, outermost first. A walk that starts inside the chain misses the
// blocks before it, and of those only these can still reach the rows after its start.
std::vector<TextBlock*> Ancestors(const TextBlock* b) {
    std::vector<TextBlock*> out;
    for (TextBlock* p = b ? b->parent.get() : nullptr; p && out.size() < 4096; p = p->parent.get())
        out.push_back(p);
    std::reverse(out.begin(), out.end());
    return out;
}

// The last block starting before `row`, through the chain's restart lookup (which walks from
// where the last lookup ended, not from the head); the head when every block starts later.
TextBlock* LastStartingBefore(const BlockChain& chain, int32_t row) {
    const pw::RefPtr<TextBlock> restart = chain.RestartBlock({row - 1, 0x7FFFFFFF});
    TextBlock* found = restart.get();
    // The lookup steps back to the first of the blocks sharing a start; the last of them is the innermost.
    while (found && found->nextBlock && found->nextBlock->startPos.row < row) found = found->nextBlock.get();
    return found;
}

// Columns painted block over block: each segment runs from its start to the next one's and
// shows the class painted last there (null: nothing was). Blocks come in chain order, so each
// paint starts at or after every earlier start and the segments it changes lie near the end.
class RowPainter {
public:
    struct Segment {
        int32_t start;
        const LexClass* cls;
    };

    explicit RowPainter(int32_t length) : segments_{{0, nullptr}, {length, nullptr}} {}

    void Paint(int32_t start, int32_t end, const LexClass* cls) {
        if (start >= end)
            return;
        auto before = [](const Segment& segment, int32_t column) { return segment.start < column; };
        auto hi = std::partition_point(segments_.begin(), segments_.end(),
                                       [&](const Segment& segment) { return segment.start <= end; });
        const LexClass* resumed = std::prev(hi)->cls;
        auto lo = std::lower_bound(segments_.begin(), hi, start, before);
        lo = segments_.erase(lo, hi);
        segments_.insert(lo, {Segment{start, cls}, Segment{end, resumed}});
    }

    // Segments in column order, the last one ending at the row's length.
    const std::vector<Segment>& Segments() const { return segments_; }

private:
    std::vector<Segment> segments_;
};

}  // namespace

// ---- on-screen context ----

OnScreenContext::~OnScreenContext() {
    Clear();
}

std::vector<const LexClass*> OnScreenContext::OpenClassesAt(int32_t row) const {
    std::vector<const LexClass*> open;
    for (const TextBlock* b = head_.get(); b && b->startPos.row < row; b = b->nextBlock.get())
        if (b->IsOpen() || b->endPos.row >= row)
            open.push_back(b->lexClass.get());
    return open;
}

void OnScreenContext::Clear() {
    created_.reset();
    newest_.reset();
    for (pw::RefPtr<TextBlock> b = std::move(head_); b;) {
        pw::RefPtr<TextBlock> next = b->nextBlock;
        b->Close();
        b = std::move(next);
    }
    lastRow_ = 0;
    skipBudget_ = 0;
    depth_ = 0;
}

TextBlock* OnScreenContext::CreateBlock(LexClass& cls, LineCol start, int startExtent) {
    created_ = pw::MakeRef<TextBlock>();
    created_->lexClass = &cls;
    created_->startPos = start;
    created_->startTokenExtent = startExtent;
    return created_.get();
}

void OnScreenContext::SetBlockEnd(TextBlock& block, LineCol end, int endExtent) {
    block.endPos = end;
    block.endTokenExtent = std::max(endExtent, 0);
}

int OnScreenContext::RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) {
    return RunChildLists(it, cls, &parent);
}

void OnScreenContext::Append(const pw::RefPtr<TextBlock>& block, TextBlock* parent) {
    block->parent = parent;
    if (parent)
        parent->lastChild = block;
    block->prevBlock = newest_;
    if (newest_)
        newest_->nextBlock = block;
    else
        head_ = block;
    newest_ = block;
}

bool OnScreenContext::PastLastRow(const TextIterator& it) const {
    return it.GetPosition().row > lastRow_;
}

pw::RefPtr<TextBlock> OnScreenContext::StartTopBlock(TextIterator& it, const ClassSet::ClassList& list) {
    for (const pw::RefPtr<LexClass>& cls : list) {
        TextBlock* open = nullptr;
        const int flags = cls->Run(&it, this, open);
        if ((flags & kRunStarted) && open && open == created_.get()) {
            pw::RefPtr<TextBlock> block = std::move(created_);
            Append(block, nullptr);
            return block;
        }
        created_.reset();
    }
    return {};
}

int32_t OnScreenContext::RunChildLists(TextIterator& it, LexClass& cls, TextBlock* parent) {
    if (depth_ >= kMaxBlockDepth)
        return 0;
    int32_t result = 0;
    for (const auto* list : {&cls.GetChildren(), &cls.GetDynamicChildren(), &cls.GetSelfChildren()}) {
        result |= RunClassList(it, *list, parent);
        if (result & 0xF00)
            break;
    }
    return result;
}

int32_t OnScreenContext::RunClassList(TextIterator& it, const ClassSet::ClassList& list, TextBlock* parent) {
    int32_t result = 0;
    for (const pw::RefPtr<LexClass>& entry : list) {
        LexClass& cls = *entry;
        if (it.IsEOF())
            return result;
        if (PastLastRow(it))
            return result | TextSchema::kDone;
        LineCol before = it.GetPosition();
        TextBlock* open = nullptr;
        int32_t flags = cls.Run(&it, this, open);
        result |= flags & kRunConsumed;
        if (flags & (TextSchema::kFailed | TextSchema::kDone)) {
            created_.reset();
            return result | (flags & (TextSchema::kFailed | TextSchema::kDone));
        }
        if (!(flags & kRunStarted) || !open || open != created_.get()) {
            created_.reset();
            continue;
        }
        const pw::RefPtr<TextBlock> block = std::move(created_);
        Append(block, parent);
        ++depth_;
        bool first = true;
        while (!(flags & kRunEnded)) {
            if (it.IsEOF() || (flags & TextSchema::kStopped)) {
                --depth_;
                return result | (flags & TextSchema::kStopped);
            }
            if (!first && it.GetPosition() == before) {
                SkipText(it, cls, 1);
                result |= kRunConsumed;
            }
            if (PastLastRow(it)) {
                --depth_;
                return result | TextSchema::kDone;
            }
            first = false;
            before = it.GetPosition();
            open = block.get();
            flags = cls.Run(&it, this, open);
            result |= flags & kRunConsumed;
            if (flags & (TextSchema::kFailed | TextSchema::kDone)) {
                --depth_;
                return result | (flags & (TextSchema::kFailed | TextSchema::kDone));
            }
        }
        --depth_;
        block->CloseOpenChildren(nullptr, 1);
        if (cls.IsRestartRunLoop())
            return result | TextSchema::kRestartList;
    }
    return result;
}

void OnScreenContext::SkipText(TextIterator& it, const LexClass& cls, int n) {
    it.Advance(n, 0);
    skipBudget_ -= n;
    const TagTrie& index = cls.GetActiveTagIndex();
    if (skipBudget_ == 0 || cls.GetActiveTags().empty() || index.HasNegatedSets())
        return;
    while (!it.IsEOF() && skipBudget_ != 0 && !PastLastRow(it)) {
        const TextIterator::Span text = it.GetSpan(static_cast<int>(TagTrie::kMaxTagLength));
        const size_t length =
            index.Find(text.at, TagTrie::Mode::kShortest, text.behind > 0 ? text.at[-1] : L'\0');
        if (length > 0) {
            skipBudget_ = static_cast<int32_t>(length);
            return;
        }
        it.Advance(1, 0);
        --skipBudget_;
    }
}

// ---- on-screen parse ----

LexClass* TextSchema::FindFullTreeClass(int32_t classId) const {
    std::vector<LexClass*> pending;
    const ClassSet::ClassList& tree = classSet_.GetTree(ClassSet::kFullTree);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) pending.push_back(it->get());
    while (!pending.empty()) {
        LexClass* cls = pending.back();
        pending.pop_back();
        if (cls->GetNumber(L"ClassID", false, 0) == classId)
            return cls;
        // Depth first, direct children before dynamic ones.
        for (const auto* list : {&cls->GetDynamicChildren(), &cls->GetChildren()})
            for (auto child = list->rbegin(); child != list->rend(); ++child) pending.push_back(child->get());
    }
    return nullptr;
}

TextBlock* TextSchema::PrepareOnScreenStart(TextIterator& it, int32_t firstRow, OnScreenContext& context) {
    const pw::RefPtr<TextBlock> head = chain_.HeadBlock();
    if (!head) {
        // Nothing parsed yet: the text's top block, as a parse from the start makes it.
        if (!it.SeekTo({1, 0}))
            return nullptr;
        return context.StartTopBlock(it, classSet_.GetTree(ClassSet::kFullTree)).get();
    }
    const pw::RefPtr<TextBlock> newest = chain_.NewestBlock();
    const pw::RefPtr<TextBlock> parsed = chain_.LastParsedBlock();
    const bool reached =
        parsed && (parsed->IsOpen() ? parsed->startPos.row >= firstRow : parsed->endPos.row >= firstRow);
    if (newest && parsed && !reached)
        return nullptr;  // a parse is on its way and has not come this far

    // The innermost block around the first row: the last block starting before it, or the
    // nearest of its ancestors that reaches the row.
    const LineCol first{firstRow, 0};
    TextBlock* from = head.get();
    for (TextBlock* b = LastStartingBefore(chain_, firstRow); b; b = b->parent.get()) {
        if (b->startPos < first && EndOrOpen(*b) >= first) {
            from = b;
            break;
        }
    }
    // Copies of `from` and its ancestors, outermost first in the context's chain.
    std::vector<pw::RefPtr<TextBlock>> copies;
    for (TextBlock* b = from; b && copies.size() < static_cast<size_t>(kMaxBlockDepth); b = b->parent.get()) {
        LexClass* cls =
            b->lexClass ? FindFullTreeClass(b->lexClass->GetNumber(L"ClassID", false, 0)) : nullptr;
        if (!cls)
            break;
        pw::RefPtr<TextBlock> copy = pw::MakeRef<TextBlock>();
        copy->lexClass = cls;
        copy->startPos = b->startPos;
        copy->startTokenExtent = b->startTokenExtent;
        // Its end is for the on-screen parse to find again, as a reparse does.
        copies.push_back(copy);
    }
    for (auto c = copies.rbegin(); c != copies.rend(); ++c) context.Append(*c, context.newest_.get());
    context.depth_ = static_cast<int>(copies.size());
    return copies.empty() ? nullptr : copies.front().get();
}

bool TextSchema::OnScreenParse(TextIterator* it, int32_t firstRow, int32_t lastRow,
                               OnScreenContext& context) {
    if (!it || firstRow <= 0 || lastRow <= 0)
        return false;
    pw::TimedLock lock(chain_.DataLock(), kQueryLockWaitMs);
    if (!lock.Owns())
        return false;
    context.Clear();
    context.lastRow_ = lastRow;
    pw::RefPtr<TextBlock> b = PrepareOnScreenStart(*it, firstRow, context);
    if (!b || !it->SeekTo({firstRow, 0}))
        return false;
    while (b && !it->IsEOF() && !context.PastLastRow(*it)) {
        const LineCol before = it->GetPosition();
        TextBlock* open = b.get();
        const int flags = b->lexClass->Run(it, &context, open);
        if (flags & kFailed)
            return false;
        if (flags & (kStopped | kDone))
            return true;
        if (flags & kRunEnded) {
            b->CloseOpenChildren(nullptr, 1);
            b = b->parent;
            --context.depth_;
            continue;
        }
        if (!it->IsEOF() && it->GetPosition() == before)
            context.SkipText(*it, *b->lexClass, 1);
    }
    return true;
}

// ---- row runs ----

bool TextSchema::GetRowRuns(const CQELPenwrightBufferManager& text, int32_t row, int32_t firstCol,
                            int32_t lastCol, const LexTextAttributes& defaults, TextBlock* start,
                            pw::RefPtr<TextBlock>* cursor, std::vector<RowRun>& runs) {
    runs.clear();
    const int32_t length = row >= 1 && row <= text.GetRowCount() ? text.GetLineTextLength(row) : 0;
    if (length <= 0)
        return true;
    const LineCol first{row, std::clamp(firstCol, 0, length)};
    const LineCol last{row, lastCol > 0 && lastCol < length ? lastCol : length};

    RowPainter painter(length);
    pw::TimedLock lock(chain_.DataLock(), kQueryLockWaitMs);
    if (lock.Owns()) {
        const pw::RefPtr<TextBlock> head = chain_.HeadBlock();
        TextBlock* from = start;
        if (!from && cursor && *cursor && !(*cursor)->IsDetached()) {
            // Back to the last block that starts at or before the row: painting a screen again
            // or scrolling up a little steps back over a few blocks instead of walking the chain.
            for (from = cursor->get(); from && from->startPos > first;) from = from->prevBlock.get();
        }
        if (!from)
            from = head.get();
        TextBlock* lastStarted = nullptr;
        auto apply = [&](const TextBlock& b) {
            if (b.endPos.IsValid() && b.endPos < first)
                return;
            const int32_t s = b.startPos.row == row ? std::clamp(b.startPos.col, 0, length) : 0;
            const int32_t e =
                b.endPos.IsValid() && b.endPos.row == row ? std::clamp(b.endPos.col + 1, 0, length) : length;
            if (b.lexClass)
                painter.Paint(s, e, b.lexClass.get());
        };
        for (TextBlock* a : Ancestors(from)) apply(*a);
        for (TextBlock* b = from; b && b->startPos <= last; b = b->nextBlock.get()) {
            apply(*b);
            if (b->startPos <= first)
                lastStarted = b;
        }
        if (cursor && !start && lastStarted)
            *cursor = lastStarted;
    }
    const std::vector<RowPainter::Segment>& segments = painter.Segments();
    runs.reserve(segments.size() - 1);
    for (size_t i = 0; i + 1 < segments.size(); ++i) {
        if (segments[i].cls) {
            LexTextAttributes cls;  // fresh: a class without colours leaves them as they are
            segments[i].cls->GetTextAttributes(cls);
            runs.push_back({segments[i].start, segments[i + 1].start, Overlay(defaults, cls)});
        } else {
            runs.push_back({segments[i].start, segments[i + 1].start, defaults});
        }
    }
    return lock.Owns();
}

// ---- collapsible blocks ----

bool TextSchema::GetCollapsibleBlocks(int32_t row, std::vector<CollapsibleBlock>& blocks,
                                      pw::RefPtr<TextBlock>* cursor) {
    blocks.clear();
    pw::TimedLock lock(chain_.DataLock(), kQueryLockWaitMs);
    if (!lock.Owns())
        return false;
    const bool allRows = row == -1;
    const bool cursorLost = cursor && (!*cursor || (*cursor)->IsDetached());
    TextBlock* from = allRows ? chain_.HeadBlock().get() : LastStartingBefore(chain_, row);
    if (cursor && !cursorLost && !allRows && (*cursor)->startPos.row <= row)
        from = cursor->get();
    TextBlock* last = nullptr;
    auto consider = [&](TextBlock& b) {
        if (!allRows && !b.CoversRow(row))
            return;
        if (!b.parent || !b.lexClass || (b.endPos.IsValid() && b.endPos.row == b.startPos.row))
            return;
        const int collapsable = b.lexClass->IsCollapsable();
        if (collapsable == 0 || (collapsable != 2 && (b.implicitEnd != 0 || b.IsOpen())))
            return;
        pw::RefPtr<LexValue> text = b.lexClass->GetProperty(L"CollapsedText", false);
        const bool hasText = text->GetKind() == LexValue::kStrings && !text->GetStrings().empty();
        blocks.push_back({b.startPos, EndOrOpen(b), hasText ? text->GetStrings().front() : L"[..]"});
    };
    if (from) {
        for (TextBlock* a : Ancestors(from)) consider(*a);
        for (TextBlock* b = from; b && (allRows || b->startPos.row <= row); b = b->nextBlock.get()) {
            consider(*b);
            last = b;
        }
    }
    // The last block walked, not the first that covers the row: that may be a block around
    // thousands of rows, whose children every later row would walk again.
    if (cursor && last && !allRows)
        *cursor = last;
    return true;
}
