#include "parser/BlockChain.h"

#include <algorithm>
#include <limits>

#include "platform/CriticalSection.h"  // ScopedLock

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

// Packed positions (row * 4096 + column) in 64 bits: in 32 bits row << 12 turns negative
// past row 524,287 and wraps every 2^20 rows, so comparisons across those rows would go wrong.
// The column keeps the 12-bit field the token extents are measured in, except that a negative
// column (the end of a block emptied at column 0) stays below its row instead of wrapping.
int64_t Packed(LineCol p) {
    return int64_t{p.row} * 4096 + (p.col < 0 ? p.col : (p.col & 0xFFF));
}

int32_t AddClamped(int32_t value, int64_t delta) {
    return static_cast<int32_t>(std::clamp<int64_t>(value + delta, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// One edit as the position rules see it. Edits may come one after another before any reparse:
// the rules then meet blocks that an earlier edit emptied, whose start is already known to be
// lost. Those only keep their place in the text, so that the chain stays in text order and the
// reparse of the earlier edit finds them where that edit left them.
class Edit {
public:
    Edit(LineCol s, LineCol e, int kind)
        : s_(s),
          e_(e),
          kind_(kind),
          x_(kind == BlockChain::kInserted ? s : e),
          dRow_(kind == BlockChain::kReplaced ? 0 : int64_t{e.row} - s.row),
          dCol_(kind == BlockChain::kReplaced ? 0 : int64_t{e.col} - s.col),
          editRow_(kind == BlockChain::kInserted ? e.row : s.row) {
        if (kind == BlockChain::kDeleted) {
            dRow_ = -dRow_;
            dCol_ = -dCol_;
        }
    }

    // What a rule did to a block: nothing, moved its end, or emptied or reopened it.
    enum class Change { kNone, kEndShifted, kReset };

    Change Apply(TextBlock& b) const {
        if (Emptied(b)) {
            // Emptied already; within deleted text it goes where that text was.
            if (kind_ != BlockChain::kDeleted || b.startPos <= s_ || b.startPos >= e_)
                return Change::kNone;
            Empty(b);
            return Change::kReset;
        }
        if (b.startPos < x_ && Packed(s_) < StartTokenEnd(b)) {
            Empty(b);
            return Change::kReset;
        }
        // An open block has no end to shift or to lose.
        if (b.IsOpen())
            return Change::kNone;
        int64_t end = Packed(b.endPos);
        int64_t endTokenStart = end - std::max(b.endTokenExtent, 0);
        int64_t endBound = end - std::min(b.endTokenExtent, 0);
        if (Packed(s_) >= StartTokenEnd(b) && endTokenStart >= Packed(x_))
            return ShiftEnd(b);
        if (endTokenStart < Packed(x_) && endBound >= Packed(s_)) {
            b.endPos = {};
            return Change::kReset;
        }
        return Change::kNone;
    }

    // Whether the block begins with text after the edit. At an insertion point only a block
    // whose start takes no text stays before the new text: it encloses it. An emptied one goes
    // on with the text, as the blocks it was inside do.
    bool StartsAfter(const TextBlock& b) const {
        return b.startPos > x_ ||
               (b.startPos == x_ && (kind_ != BlockChain::kInserted || b.startTokenExtent > 0 || Emptied(b)));
    }
    // Whether moving blocks further down the chain can still change anything.
    bool Moves(const TextBlock& b) const {
        return dRow_ != 0 || (dCol_ != 0 && (b.startPos.row == editRow_ || b.endPos.row == editRow_));
    }
    void Move(TextBlock& b) const {
        Move(b.startPos);
        if (b.endPos.IsValid())
            Move(b.endPos);
    }

private:
    static bool Emptied(const TextBlock& b) { return b.endPos.IsValid() && b.endPos < b.startPos; }
    static int64_t StartTokenEnd(const TextBlock& b) { return Packed(b.startPos) + b.startTokenExtent; }
    // A block whose start a deletion took begins where the deleted text was, so that the
    // chain stays in text order.
    void Empty(TextBlock& b) const {
        if (kind_ == BlockChain::kDeleted && b.startPos > s_)
            b.startPos = s_;
        b.endPos = {b.startPos.row, b.startPos.col - 1};
    }

    Change ShiftEnd(TextBlock& b) const {
        b.endPos.row = AddClamped(b.endPos.row, dRow_);
        if (b.endPos.row < b.startPos.row) {
            Empty(b);
            return Change::kReset;
        }
        if (b.endPos.row == editRow_)
            b.endPos.col = std::max(0, AddClamped(b.endPos.col, dCol_));
        return Change::kEndShifted;
    }

    void Move(LineCol& p) const {
        p.row = AddClamped(p.row, dRow_);
        if (p.row == editRow_)
            p.col = AddClamped(p.col, dCol_);
    }

    LineCol s_, e_;
    int kind_;
    LineCol x_;  // the edit limit: where text after the edit begins in the old text
    int64_t dRow_, dCol_;
    int32_t editRow_;  // the row where the old text after the edit now lies
};

}  // namespace

BlockChain::~BlockChain() {
    ReleaseAll();
}

pw::RefPtr<TextBlock> BlockChain::CreateBlock() const {
    return pw::MakeRef<TextBlock>();
}

pw::RefPtr<TextBlock> BlockChain::HeadBlock() const {
    // Locked although the parser only sets it under the lock: copying a reference while another
    // thread replaces it could take a reference to a block already freed.
    Lock lock(dataLock_);
    return head_;
}

void BlockChain::SetHeadBlock(pw::RefPtr<TextBlock> block) {
    Lock lock(dataLock_);
    head_ = std::move(block);
}

pw::RefPtr<TextBlock> BlockChain::RestartBlock(LineCol pos) const {
    Lock lock(dataLock_);
    if (!head_)
        return {};
    // Edits come near the one before, so the walk begins at the block the last lookup found
    // instead of at the head: the cost follows the distance between edits, not the text's size.
    // While a parse is building, old blocks it has passed still hold links into the chain, so
    // a mark taken then could lead off it; between parses every block left outside is closed.
    // A position in the first half of the rows before the mark is nearer the head.
    const bool building = newest_ != nullptr;
    const bool useHint = !building && hint_ && !hint_->IsDetached() && pos.row >= hint_->startPos.row / 2;
    TextBlock* found = useHint ? hint_.get() : head_.get();
    while (found->prevBlock && found->startPos > pos) found = found->prevBlock.get();
    for (TextBlock* b = found->nextBlock.get(); b && b->startPos <= pos; b = b->nextBlock.get()) found = b;
    while (found->prevBlock && found->prevBlock->startPos == found->startPos) found = found->prevBlock.get();
    if (!building)
        hint_ = found;
    return found;
}

pw::RefPtr<TextBlock> BlockChain::NewestBlock() const {
    Lock lock(dataLock_);
    return newest_;
}

void BlockChain::SetNewestBlock(pw::RefPtr<TextBlock> block) {
    // The last block a parse made stays in the chain, near the edit that caused the parse,
    // while the block the restart lookup found is often one that parse replaced.
    if (block)
        hint_ = block;
    newest_ = std::move(block);
}

void BlockChain::SetLastParsedBlock(const pw::RefPtr<TextBlock>& block, bool force) {
    Lock lock(dataLock_);
    bool remembered = lastParsed_ && !lastParsed_->IsDetached();
    if (remembered && !force && block && block->startPos < lastParsed_->startPos)
        return;
    lastParsed_ = block;
}

pw::RefPtr<TextBlock> BlockChain::LastParsedBlock() const {
    Lock lock(dataLock_);
    TextBlock* remembered = lastParsed_ && !lastParsed_->IsDetached() ? lastParsed_.get() : nullptr;
    if (newest_ && (!remembered || remembered->startPos < newest_->startPos))
        return newest_;
    return remembered;
}

void BlockChain::InheritEnds(TextBlock* from, const TextBlock* until) {
    Lock lock(dataLock_);
    for (TextBlock* b = from; b; b = b->nextBlock.get()) {
        if (!b->endPos.IsValid() && b->parent && b->parent->endPos.IsValid())
            b->endPos = b->parent->endPos;
        if (b == until)
            break;
    }
}

void BlockChain::RepairParents(const TextBlock* restartBlock, LineCol until) {
    Lock lock(dataLock_);
    if (!restartBlock || restartBlock == head_.get() || !newest_)
        return;
    for (TextBlock* b = newest_->nextBlock.get(); b && b->startPos <= until; b = b->nextBlock.get()) {
        if (!b->parent || !b->parent->IsDetached())
            continue;
        TextBlock* encloser = b->prevBlock.get();
        while (encloser && (encloser->IsDetached() || !encloser->Encloses(b)))
            encloser = encloser->prevBlock.get();
        // With no encloser left the block is a top block; a dead parent would only keep the
        // detached block alive and send child walks nowhere.
        b->parent = encloser;
        // The walk is bounded by the last children of the blocks a reparse replaces, so that
        // mark has to stay right for the parent a block gets here.
        if (encloser && (!encloser->lastChild || encloser->lastChild->startPos <= b->startPos))
            encloser->lastChild = b;
    }
}

void BlockChain::ReleaseAll() {
    Lock lock(dataLock_);
    // One block at a time along the chain: Close breaks each block's links, so releasing them
    // never cascades through the rest of the chain.
    pw::RefPtr<TextBlock> b = std::move(head_);
    while (b) {
        pw::RefPtr<TextBlock> next = b->nextBlock;
        b->Close();
        b = std::move(next);
    }
    newest_.reset();
    hint_.reset();
    lastParsed_.reset();
    lastEnded_.reset();
    ended_.clear();
}

int32_t BlockChain::UpdatePositions(LineCol s, LineCol e, int kind, uint32_t lockWaitMs) {
    pw::TimedLock lock(dataLock_, lockWaitMs);
    if (!lock.Owns())
        return kUpdateNotLocked;
    if ((kind != kInserted && kind != kDeleted && kind != kReplaced) || !s.IsValid() || s.col < 0 ||
        e.col < 0 || e < s || (kind == kReplaced && e.row != s.row))
        return 0;
    pw::RefPtr<TextBlock> restart = RestartBlock(s);
    if (!restart)
        return 0;
    const Edit edit(s, e, kind);

    // The restart block and the blocks around it, which are the ones that can enclose the edit.
    int32_t result = 0;
    for (TextBlock* b = restart.get(); b && !b->IsDetached(); b = b->parent.get()) {
        Edit::Change change = edit.Apply(*b);
        if (change == Edit::Change::kReset)
            result |= kUpdateBlocksReset;
        if (change != Edit::Change::kNone && b == restart.get())
            result |= kUpdateRestartChanged;
    }

    TextBlock* b = (result & kUpdateRestartChanged) ? restart->nextBlock.get() : restart.get();
    for (; b; b = b->nextBlock.get()) {
        Edit::Change change = edit.Apply(*b);
        if (change == Edit::Change::kReset) {
            result |= kUpdateBlocksReset;
        } else if (change == Edit::Change::kNone && edit.StartsAfter(*b)) {
            if (!edit.Moves(*b))
                break;
            edit.Move(*b);
        }
    }
    return result;
}

uintptr_t BlockChain::HandOverEndedBlock(const pw::RefPtr<TextBlock>& block) {
    if (!block)
        return 0;
    Lock lock(dataLock_);
    uintptr_t key = reinterpret_cast<uintptr_t>(block.get());
    ended_[key] = block;
    lastEnded_ = block;
    return key;
}

pw::RefPtr<TextBlock> BlockChain::TakeEndedBlock(uintptr_t key) {
    Lock lock(dataLock_);
    if (key == 0)
        return lastEnded_;
    auto it = ended_.find(key);
    if (it == ended_.end())
        return {};
    pw::RefPtr<TextBlock> block = std::move(it->second);
    ended_.erase(it);
    return block;
}

void BlockChain::ClearEndedBlocks() {
    Lock lock(dataLock_);
    ended_.clear();
}
