// The parse itself: runs of the class lists over the text, reparses from a restart block after
// an edit, and the merge of a run's blocks into the chain.
#include <algorithm>
#include <bit>

#include "buffer/TextIterator.h"
#include "lexer/TagTrie.h"
#include "parser/TextSchema.h"
#include "platform/CriticalSection.h"  // ScopedLock

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

constexpr LineCol kResumePos{0x7FFFFFFF, 0};
constexpr LineCol kTextStart{1, 0};
// SkipText scans this many positions between looks at the stop event, each with a tag's length
// of text loaded after it.
constexpr size_t kSkipStretch = 4096;
// Looking at the stop event takes a lock (a system call on Windows), and the parse loops come by
// at nearly every character: they look every kStopPollInterval-th time.
constexpr unsigned kStopPollInterval = 64;

// Counts one more block open around the position while a class runs inside it.
class DepthScope {
public:
    explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
    ~DepthScope() { --depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

private:
    int& depth_;
};

// `reach` characters before or after a position on its row, as far as tags reach; tags with
// line ends in them are rare enough not to look across rows for.
LineCol Before(LineCol p, int reach) {
    return {p.row, std::max(0, p.col - (reach - 1))};
}
LineCol Beyond(LineCol p, int reach) {
    return {p.row, p.col > 0x7FFFFFFF - reach ? 0x7FFFFFFF : p.col + reach};
}

// A run stays on one thread, so the count is the thread's own.
bool StopPolled(const pw::Event& stop) {
    thread_local unsigned polls = 0;
    return ++polls % kStopPollInterval == 0 && stop.IsSet();
}

int Depth(const TextBlock* b) {
    int depth = 0;
    for (; b; b = b->parent.get()) ++depth;
    return depth;
}

}  // namespace

TextBlock* TextSchema::Anchor() const {
    TextBlock* newest = chain_.NewestForParse();
    return newest ? newest : restart_.get();
}

void TextSchema::ClearRun() {
    Lock data(chain_.DataLock());
    restart_.reset();
    firstReplaced_.reset();
    created_.reset();
    chain_.SetNewestBlock(nullptr);
    continued_.clear();
    skipBudget_ = 0;
    depth_ = 0;
}

int32_t TextSchema::Run(int treeKind, TextIterator* it, std::optional<LineCol> start,
                        std::optional<LineCol> end, bool report) {
    Lock parse(parseLock_);
    lastStart_ = start;
    lastEnd_ = end;
    if (!it)
        return kFailed;
    reparseStart_ = start.value_or(kResumePos);
    reparseEnd_ = end.value_or(LineCol{});
    ClearRun();
    reportEnded_ = report;

    // A tag that begins before the edit may reach into it, so the reparse begins where such a
    // tag could begin. A block that starts right there follows text that may have changed, and
    // the block before it may end in that text or look at it to find its end: that one goes too.
    const LineCol back = start ? Before(*start, TagReach()) : reparseStart_;
    pw::RefPtr<TextBlock> from = chain_.RestartBlock(back);
    if (from && start && from->startPos >= back && from->prevBlock)
        from = from->prevBlock;
    if (from) {
        const int32_t result = ParseFrom(it, from.get());
        if (result != kNoMatch && (result & kEndMask)) {
            if (restart_)
                Finish(result & (kFailed | kStopped), it->IsEOF());
            return result;
        }
        if (result != kNoMatch && start && *start != kTextStart && restart_) {
            Finish(false, it->IsEOF());
            return kDone;
        }
    }

    // The whole text from its start. Old blocks cannot guide this parse, and a chain with some
    // of them left in it would hold blocks that no parse made.
    ClearRun();
    chain_.ReleaseAll();
    const ClassSet::ClassList& tree = classSet_.GetTree(treeKind);
    if (!tree.empty()) {
        it->SeekStart();
        while (true) {
            const LineCol before = it->GetPosition();
            const int32_t result = RunClassList(*it, tree, nullptr);
            if (result & kEndMask) {
                if (restart_)
                    Finish(result & (kFailed | kStopped), it->IsEOF());
                return result;
            }
            if (it->IsEOF())
                break;
            if (StopPolled(stop_)) {
                Finish(true, false);
                return kStopped;
            }
            if (it->GetPosition() == before)
                SkipText(*it, *tree.front(), 1);
        }
    }
    Finish(false, it->IsEOF());
    return kDone;
}

int32_t TextSchema::ParseFrom(TextIterator* it, TextBlock* first) {
    if (!it || !first || !first->lexClass)
        return kFailed;
    pw::RefPtr<TextBlock> b = first;
    // A block that starts where its parent starts may have been made before the parent, by a
    // class of the list around both (the parent then started through "start:class" and took
    // it in): the parent's class would not make it again, so the reparse begins at the parent.
    auto outermostAtStart = [&] {
        while (b->parent && b->parent->startPos == b->startPos && b->parent->lexClass) b = b->parent;
    };
    outermostAtStart();
    while (!RunClassAtBlock(*it, *b)) {
        if (stop_.IsSet())
            return kStopped;
        do {
            b = b->prevBlock;
        } while (b && !b->lexClass);
        if (!b)
            return kNoMatch;
        outermostAtStart();
    }
    if (reparseEnd_.IsValid() && b->endPos > reparseEnd_) {
        if (b->parent || !b->nextBlock)
            reparseEnd_ = b->endPos;
        else if (b->nextBlock->endPos > reparseEnd_)
            reparseEnd_ = b->nextBlock->endPos;
    }
    reparseStart_ = b->startPos;
    if (!it->SeekTo(b->startPos, &stop_))
        return stop_.IsSet() ? kStopped : kFailed;
    {
        Lock data(chain_.DataLock());
        // The enclosing block continues from b's start and makes b again; a top block is
        // continued itself.
        restart_ = b->parent && b->prevBlock ? b->prevBlock : b;
        firstReplaced_ = restart_->nextBlock;
    }
    TextBlock* block = restart_ == b ? b.get() : b->parent.get();
    depth_ = Depth(block);
    while (true) {
        {
            // Where it ends is for this run to find: the edit may have taken its end away.
            Lock data(chain_.DataLock());
            continued_.push_back(
                {block, block->endPos, block->endTokenExtent, block->implicitEnd, block->lastChild});
            block->endPos = {};
            block->endTokenExtent = 0;
            block->implicitEnd = 0;
            // Its children after the restart block are being replaced; closing it with the
            // text must reach the ones that stay.
            TextBlock* child = restart_.get();
            while (child && child != block && child->parent.get() != block) child = child->prevBlock.get();
            block->lastChild = child != block ? child : nullptr;
        }
        const int32_t result = ContinueBlock(*it, *block);
        if (result & kEndMask)
            return result;
        if (!block->parent) {
            if (!it->IsEOF())
                return kBlockEnded;
            // A top class that does not end with the text still ends there.
            if (block->IsOpen()) {
                SetBlockEnd(*block, it->GetPosition(), 0);
                EndBlock(*block);
            }
            return kDone;
        }
        // Ended, or the text ended inside it: the enclosing block goes on from here and, at the
        // end of the text, closes its open children with itself.
        block = block->parent.get();
        --depth_;
    }
}

int32_t TextSchema::ContinueBlock(TextIterator& it, TextBlock& b) {
    const pw::RefPtr<LexClass> cls = b.lexClass;
    if (!cls)
        return kFailed;
    while (true) {
        const LineCol before = it.GetPosition();
        TextBlock* open = &b;
        const int32_t flags = cls->Run(&it, this, open);
        if (flags & kEndMask)
            return flags & kEndMask;
        if (flags & kRunEnded) {
            EndBlock(b);
            Lock data(chain_.DataLock());
            DropOldBlocks(b.endPos, true);
            return kBlockEnded;
        }
        if (it.IsEOF())
            return 0;
        if (StopPolled(stop_))
            return kStopped;
        if (it.GetPosition() == before)
            SkipText(it, *cls, 1);
    }
}

int32_t TextSchema::RunChildLists(TextIterator& it, LexClass& cls, TextBlock* parent) {
    if (depth_ >= kMaxBlockDepth)
        return 0;
    int32_t result = 0;
    for (size_t which = 0; which < LexClass::kChildListCount; ++which) {
        result |= RunClassList(it, cls.GetChildList(which), parent, &cls, which);
        if (result & 0xF00)
            break;
    }
    return result;
}

int32_t TextSchema::RunClassList(TextIterator& it, const ClassSet::ClassList& list, TextBlock* parent,
                                 const LexClass* owner, size_t which) {
    int32_t result = 0;
    // The character at the position, read again whenever a class has run and may have moved on.
    wchar_t ch = *it.GetSpan(1).at;
    for (size_t i = 0; i < list.size(); ++i) {
        // The owner's table tells which entries cannot start here, so most are never asked.
        if (owner && parent && i < 64) {
            const uint64_t candidates = owner->StartCandidates(which, ch) >> i;
            if (!candidates)
                break;
            i += static_cast<size_t>(std::countr_zero(candidates));
        }
        LexClass& cls = *list[i];
        if (StopPolled(stop_))
            return result | kStopped;
        // Nothing starts at the end of the text: a class that opens a block wherever it is
        // offered would otherwise start one there again and again.
        if (it.IsEOF())
            return result;
        // Most classes are offered positions where their start tag does not begin; asking the
        // tag first saves the run. The classes of child lists are plain classes, whose run does
        // nothing then (a top class starts by the document's extension instead).
        if (parent && (!cls.MayStartWith(ch) || !cls.MayStartAt(it)))
            continue;
        LineCol before = it.GetPosition();
        TextBlock* open = nullptr;
        int32_t flags = cls.Run(&it, this, open);
        result |= flags & kRunConsumed;
        if (flags & (kFailed | kDone)) {
            created_.reset();
            return result | (flags & (kFailed | kDone));
        }
        if (!(flags & kRunStarted) || !open || open != created_.get()) {
            created_.reset();
            ch = *it.GetSpan(1).at;
            continue;
        }
        const pw::RefPtr<TextBlock> block = std::move(created_);
        if (const int32_t linked = LinkBlock(it, block, parent, (flags & kRunOutsideParent) != 0))
            return result | linked;
        DepthScope depth(depth_);
        // A block stays with its class until it ends or the text ends. The first run inside it
        // sees the position where it started, even when the start took no text.
        bool first = true;
        while (!(flags & kRunEnded)) {
            if (flags & kStopped)
                return result | kStopped;
            if (it.IsEOF())
                return result;  // closes with the block that encloses it
            if (StopPolled(stop_))
                return result | kStopped;
            if (!first && it.GetPosition() == before) {
                SkipText(it, cls, 1);
                result |= kRunConsumed;
            }
            first = false;
            before = it.GetPosition();
            open = block.get();
            flags = cls.Run(&it, this, open);
            result |= flags & kRunConsumed;
            if (flags & (kFailed | kDone))
                return result | (flags & (kFailed | kDone));
        }
        EndBlock(*block);
        if (cls.IsRestartRunLoop())
            return result | kRestartList;
        ch = *it.GetSpan(1).at;
    }
    return result;
}

int32_t TextSchema::LinkBlock(TextIterator& it, const pw::RefPtr<TextBlock>& block, TextBlock* parent,
                              bool outsideParent) {
    Lock data(chain_.DataLock());
    if (!restart_) {
        // The first block of a parse of the whole text heads the chain.
        block->parent = parent;
        if (parent)
            parent->lastChild = block;
        restart_ = block;
        chain_.SetHeadBlock(block);
        chain_.SetNewestBlock(block);
        return 0;
    }
    DropOldBlocks(block->startPos, false);
    TextBlock* newest = Anchor();
    // The old result from here on still holds when an old block after the edited range starts
    // here with the same class inside the same enclosing block: everything around the position
    // is then what it was, and so is all the old parse made after it. Not for a block that
    // encloses the block before it: that one was made again already and would stay beside its
    // old twin inside the old block.
    const TextBlock* old = newest->nextBlock.get();
    if (old && !outsideParent && reparseEnd_.IsValid() && old->startPos > Beyond(reparseEnd_, TagReach()) &&
        old->startPos == block->startPos && old->lexClass == block->lexClass && old->parent.get() == parent &&
        ContinuedEndsHold()) {
        for (const Continued& c : continued_) {
            if (c.block->IsOpen()) {
                c.block->endPos = c.endPos;
                c.block->endTokenExtent = c.endTokenExtent;
                c.block->implicitEnd = c.implicitEnd;
                c.block->lastChild = c.lastChild;
            }
        }
        Finish(false, it.IsEOF());
        return kDone;
    }
    block->parent = parent;
    if (parent)
        parent->lastChild = block;
    if (outsideParent && newest != restart_.get() && newest->prevBlock) {
        // Started through "start:class" from a block of another class: it encloses that block.
        pw::RefPtr<TextBlock> before = newest->prevBlock;
        block->prevBlock = before;
        before->nextBlock = block;
        block->nextBlock = newest;
        newest->prevBlock = block;
        newest->parent = block;
        block->lastChild = newest;
        return 0;
    }
    block->prevBlock = newest;
    block->nextBlock = newest->nextBlock;
    if (block->nextBlock)
        block->nextBlock->prevBlock = block;
    newest->nextBlock = block;
    chain_.SetNewestBlock(block);
    return 0;
}

bool TextSchema::ContinuedEndsHold() const {
    // An end that the edit emptied or took away is no end to go back to.
    return std::all_of(continued_.begin(), continued_.end(), [](const Continued& c) {
        return !c.block->IsOpen() || (c.endPos.IsValid() && c.endPos >= c.block->startPos);
    });
}

void TextSchema::DropOldBlocks(LineCol pos, bool orEqual) {
    TextBlock* anchor = Anchor();
    if (!anchor)
        return;
    // Only the anchor's link moves: the old blocks keep theirs, so that Finish can still walk
    // from the first replaced block to the first retained one.
    while (anchor->nextBlock &&
           (anchor->nextBlock->startPos < pos || (orEqual && anchor->nextBlock->startPos == pos))) {
        pw::RefPtr<TextBlock> next = anchor->nextBlock->nextBlock;
        anchor->nextBlock = std::move(next);
    }
}

void TextSchema::EndBlock(TextBlock& block) {
    // Most blocks end without children and nobody to tell: nothing to change under the lock.
    if (!block.lastChild && !reportEnded_)
        return;
    Lock data(chain_.DataLock());
    block.CloseOpenChildren(this, 1);
    BlockEnded(block);
}

bool TextSchema::RunClassAtBlock(TextIterator& it, const TextBlock& block) {
    const pw::RefPtr<LexClass> cls = block.lexClass;
    if (!cls || !it.SeekTo(block.startPos, &stop_))
        return false;
    TextBlock* open = nullptr;
    // Looking back from the block before it, as the parse that made the block did.
    const int flags = cls->Run(&it, this, open, block.prevBlock.get());
    created_.reset();
    return (flags & kRunStarted) && !(flags & kRunFailed);
}

void TextSchema::SkipText(TextIterator& it, const LexClass& cls, int n) {
    it.Advance(n, 0);
    skipBudget_ -= n;
    const TagTrie& index = cls.GetActiveTagIndex();
    // A negated set may begin anywhere; without active tags nothing tells where to stop.
    if (skipBudget_ == 0 || cls.GetActiveTags().empty() || index.HasNegatedSets())
        return;
    while (!it.IsEOF() && skipBudget_ != 0) {
        const size_t want = TagTrie::kMaxTagLength + kSkipStretch;
        const TextIterator::Span text = it.GetSpan(static_cast<int>(want));
        // Positions with a tag's length of text after them, or all that is left of the text.
        size_t last = text.ahead < want ? text.ahead : kSkipStretch;
        if (skipBudget_ > 0)
            last = std::min(last, static_cast<size_t>(skipBudget_));
        size_t length = 0;
        const size_t i = index.Scan(text.at, last, text.behind > 0 ? text.at[-1] : L'\0', length);
        it.Advance(static_cast<int>(i), 0);
        skipBudget_ -= static_cast<int32_t>(i);
        if (length > 0) {
            // The positions up to just past the tag are offered one by one: a class may start
            // right after a tag that it looks back at.
            skipBudget_ = static_cast<int32_t>(length);
            return;
        }
        if (stop_.IsSet())
            return;
    }
}

void TextSchema::Finish(bool interrupted, bool atTextEnd) {
    Lock data(chain_.DataLock());
    TextBlock* last = Anchor();
    if (!last) {
        ClearRun();
        return;
    }
    if (interrupted && !atTextEnd) {
        // Blocks left open by an interrupted run are not kept; the next run makes them again.
        while (last != restart_.get() && last->IsOpen() && last->prevBlock) {
            pw::RefPtr<TextBlock> dead = last;
            TextBlock* prev = last->prevBlock.get();
            prev->nextBlock = dead->nextBlock;
            if (prev->nextBlock)
                prev->nextBlock->prevBlock = prev;
            if (dead->parent && dead->parent->lastChild == dead)
                dead->parent->lastChild = dead->parent->PrevChild(dead.get());
            dead->Close();
            last = prev;
        }
    }
    chain_.InheritEnds(restart_.get(), last);

    // Old blocks the run has passed, and the old twin of its last block, make way.
    DropOldBlocks(last->startPos, false);
    if (last != restart_.get() && last->nextBlock && last->nextBlock->startPos == last->startPos &&
        last->nextBlock->IsSameClass(*last)) {
        pw::RefPtr<TextBlock> next = last->nextBlock->nextBlock;
        last->nextBlock = std::move(next);
    }
    // The rest of the old result stays only where the run found it still valid: at the end of
    // the text nothing is left, and after an interruption the old blocks may lie inside blocks
    // this run closed, so they go too and a later run makes them again.
    pw::RefPtr<TextBlock> retained = interrupted || atTextEnd ? nullptr : last->nextBlock;
    last->nextBlock = retained;
    if (retained) {
        retained->prevBlock = last;
        reparseEnd_ = retained->startPos;
    }
    // Retained blocks can have lost their parent only to a replaced block, as one of its
    // children; the last children of the replaced blocks tell how far those can lie.
    LineCol orphansUntil;
    for (pw::RefPtr<TextBlock> b = firstReplaced_; b && b != retained;) {
        if (b->lastChild && b->lastChild->startPos > orphansUntil)
            orphansUntil = b->lastChild->startPos;
        pw::RefPtr<TextBlock> next = b->nextBlock;
        b->Close();
        b = std::move(next);
    }
    // The blocks around the run whose last child was replaced find their last remaining child.
    for (TextBlock* a = restart_.get(); a; a = a->parent.get()) {
        if (!a->lastChild || !a->lastChild->IsDetached())
            continue;
        TextBlock* child = last;
        while (child && child != a && child->parent.get() != a) child = child->prevBlock.get();
        a->lastChild = child != a ? child : nullptr;
    }
    chain_.SetNewestBlock(last);
    if (restart_)
        chain_.RepairParents(restart_.get(), orphansUntil);
    chain_.SetLastParsedBlock(last, interrupted);
    ClearRun();
}
