#pragma once
// The blocks of one text as the schema that parsed it holds them: the head of the chain, the
// marks a parse leaves (newest block, last parsed block, blocks handed over to the edit control),
// the lookups a reparse starts from, and the correction of positions after an edit. Everything
// here runs under the data lock, which the parser holds while it changes blocks and the edit
// control takes, with a time limit, while it reads them.
#include <cstdint>
#include <map>

#include "buffer/BufferParser.h"
#include "buffer/LineCol.h"
#include "parser/TextBlock.h"
#include "platform/RefCounted.h"
#include "platform/TimedMutex.h"

class BlockChain {
public:
    // The kinds of edit, as the buffer reports them: kInserted, kDeleted, kReplaced.
    using enum BufferParser::Change;
    // Result bits of UpdatePositions.
    static constexpr int32_t kUpdateNotLocked = 0x001;       // nothing was changed
    static constexpr int32_t kUpdateBlocksReset = 0x002;     // a block was emptied or reopened
    static constexpr int32_t kUpdateRestartChanged = 0x100;  // the restart block itself was changed
    static constexpr uint32_t kUpdateLockWaitMs = 5000;

    BlockChain() = default;
    ~BlockChain();  // releases all blocks
    BlockChain(const BlockChain&) = delete;
    BlockChain& operator=(const BlockChain&) = delete;

    // Recursive; the operations below take it themselves, callers take it around a series.
    pw::TimedMutex& DataLock() const { return dataLock_; }

    // A new empty block, not yet linked anywhere.
    pw::RefPtr<TextBlock> CreateBlock() const;

    pw::RefPtr<TextBlock> HeadBlock() const;
    void SetHeadBlock(pw::RefPtr<TextBlock> block);

    // Where a reparse from `pos` begins: the last block starting at or before `pos`, stepped
    // back to the first of the blocks sharing its start; the head when every block starts after
    // `pos`. (0x7FFFFFFF, 0) gives the last block. Null for an empty chain.
    pw::RefPtr<TextBlock> RestartBlock(LineCol pos) const;

    // The last block created by the parse that is building blocks; null between parses.
    pw::RefPtr<TextBlock> NewestBlock() const;
    // Under the data lock, which the parse holds for each block it links: taking it again for
    // the mark alone would double the lock traffic of a parse.
    void SetNewestBlock(pw::RefPtr<TextBlock> block);
    // The newest block without the lock or a reference, for the parse itself: only the thread that
    // builds the chain moves the mark while blocks are being made.
    TextBlock* NewestForParse() const { return newest_.get(); }

    // How far the complete parse has come. The mark moves only forward unless forced; while a
    // parse is building, its newest block counts when it lies further on. A detached mark counts
    // as none.
    void SetLastParsedBlock(const pw::RefPtr<TextBlock>& block, bool force);
    pw::RefPtr<TextBlock> LastParsedBlock() const;

    // Open blocks from `from` through `until` (or the chain's end) take their parent's end.
    void InheritEnds(TextBlock* from, const TextBlock* until);
    // After a reparse that began at `restartBlock` (not the head): every block after the newest
    // block, up to those starting at `until`, whose parent was detached gets the nearest earlier
    // block enclosing it as parent (and is that block's last child when it lies after it), or
    // none when no block encloses it any more. The reparse knows how far the children of the
    // blocks it replaced reach; nothing after them can have lost its parent.
    void RepairParents(const TextBlock* restartBlock, LineCol until);

    // Closes every block of the chain and forgets the head, the marks and the handed-over blocks.
    void ReleaseAll();

    // Moves, empties or reopens blocks after text from `s` to `e` was inserted, deleted or
    // replaced, so that blocks after the edit follow the text and those whose tokens it touched
    // are rebuilt by the reparse that follows. Blocks that an earlier edit emptied only follow
    // the text: several edits may come before that reparse. Answers the kUpdate
    // bits; kUpdateNotLocked when the data lock could not be had within `lockWaitMs`; 0 for an
    // empty chain or an edit that makes no sense (unknown kind, invalid start, negative column,
    // end before start, a replacement over more than one row).
    int32_t UpdatePositions(LineCol s, LineCol e, int kind, uint32_t lockWaitMs = kUpdateLockWaitMs);

    // Blocks reported as ended wait here until the edit control takes them by key (the block's
    // identity); key 0 takes the last one handed over, leaving it in place.
    uintptr_t HandOverEndedBlock(const pw::RefPtr<TextBlock>& block);
    pw::RefPtr<TextBlock> TakeEndedBlock(uintptr_t key);
    // When nobody received the news, nobody will come for the blocks either.
    void ClearEndedBlocks();

private:
    mutable pw::TimedMutex dataLock_;
    pw::RefPtr<TextBlock> head_;
    pw::RefPtr<TextBlock> newest_;
    pw::RefPtr<TextBlock> lastParsed_;
    pw::RefPtr<TextBlock> lastEnded_;
    // Near the last edit: the block the last restart lookup found, or the last block a parse made.
    mutable pw::RefPtr<TextBlock> hint_;
    std::map<uintptr_t, pw::RefPtr<TextBlock>> ended_;
};
