#pragma once
// The lex classes of one language together with the parse result of one text: the class set,
// the chain of blocks and the state of the run that is building them. The configuration keeps
// one schema per language; every buffer parses with a clone of its own.
//
// A run holds the parse lock throughout and takes the data lock (the chain's) for each change
// of the chain, so that the edit control can read blocks between changes. Lock order: parse
// lock, then data lock. The stop event is the only way to interrupt a run.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/LineCol.h"
#include "lexer/LexParseContext.h"
#include "notify/NotificationConnectionMT.h"
#include "parser/BlockChain.h"
#include "parser/ClassSet.h"
#include "parser/TextBlock.h"
#include "parser/TextSchemaRows.h"
#include "platform/Event.h"
#include "platform/RefCounted.h"
#include "platform/TimedMutex.h"

class CQELPenwrightBufferManager;
class TextIterator;

class TextSchema : public pw::RefCounted, public LexParseContext, private BlockEndedSink {
public:
    // Result bits of a parse operation, beside the class run flags it passes on.
    static constexpr int32_t kFailed = 0x100;       // nothing could be parsed
    static constexpr int32_t kDone = 0x200;         // the text or the range was parsed to its end
    static constexpr int32_t kStopped = 0x400;      // the stop event was found set
    static constexpr int32_t kEndMask = 0x700;      // any of the three: callers stop too
    static constexpr int32_t kBlockEnded = 0x010;   // a block ended during the operation
    static constexpr int32_t kRestartList = 0x800;  // try the class list again from its first class
    static constexpr int32_t kNoMatch = -1;         // no old block matches its class any more

    // Events sent through the event source.
    enum Event : uint32_t { kParseStarted = 1, kBlockEndedEvent = 2, kParseFinished = 3 };

    // Blocks nested deeper than this are not looked into: each level costs stack in the class
    // runs, and a text of ten thousand opening braces must not overflow it.
    static constexpr int kMaxBlockDepth = 400;

    explicit TextSchema(std::wstring name);

    const std::wstring& GetName() const { return name_; }
    // The language's classes; the configuration adds templates here, a run builds nothing.
    ClassSet& GetClassSet() { return classSet_; }
    const ClassSet& GetClassSet() const { return classSet_; }
    BlockChain& GetChain() { return chain_; }
    const BlockChain& GetChain() const { return chain_; }
    pw::TimedMutex& ParseLock() { return parseLock_; }
    pw::TimedMutex& DataLock() { return chain_.DataLock(); }
    // Manual reset: set by another thread to make a running parse stop soon.
    pw::Event& StopEvent() { return stop_; }
    CQELNotificationConnection* GetEventSource() const { return events_.get(); }

    // Under both locks: releases all blocks and clears the classes' cached answers.
    void Reset();
    void ReleaseAllBlocks() { chain_.ReleaseAll(); }
    // A schema of the same name with a copy of this one's class set; null when the copy fails.
    pw::RefPtr<TextSchema> Clone();
    // Builds the class trees when tree 0 is empty, under both locks; false when they cannot be built.
    bool EnsureTrees();

    // Clears the ended-block table, sends kParseStarted when `report` is set, runs, and sends
    // kParseFinished with the result.
    int32_t RunWithEvents(int treeKind, TextIterator* it, std::optional<LineCol> start,
                          std::optional<LineCol> end, bool report);
    // The range of the last run, in the trace form.
    std::wstring LastRunRange() const;
    // The block handed over under `key` by a kBlockEndedEvent; key 0 gives the last one.
    pw::RefPtr<TextBlock> TakeEndedBlock(uintptr_t key) { return chain_.TakeEndedBlock(key); }
    pw::RefPtr<TextBlock> NewestBlock() const { return chain_.NewestBlock(); }

    // The first top class that answers "IsExt=" with the extension of `fileName` (a bare
    // extension such as ".cpp" will do); null when none does.
    pw::RefPtr<LexClass> FileClass(std::wstring_view fileName) const;

    // What a colour theme gives the schema: the entries (lower-cased key, value) of the
    // section for the class named `className`, or null when it has none.
    class ThemeSections {
    public:
        virtual const std::map<std::wstring, std::wstring>* FindClassSection(
            const std::wstring& className) const = 0;

    protected:
        ~ThemeSections() = default;
    };
    // Under both locks, every class of both trees takes its "txt:" attributes from its template
    // again and then those of the theme's section for its name (none: the template's only).
    void ApplyTheme(const ThemeSections* theme);
    // Sets a property of the block's class under both locks; false when the block has no class.
    bool SetBlockClassProperty(const TextBlock& block, std::wstring_view key, pw::RefPtr<LexValue> value);

    // Row queries for painting. Each waits at most kQueryLockWaitMs for the data lock and gives
    // its empty or default answer without it.
    static constexpr uint32_t kQueryLockWaitMs = 30;
    // Parses rows firstRow..lastRow with the full tree into `context`, starting inside copies of
    // the blocks that enclose the first row. False without the lock, without a block to start
    // in (a parse still on its way to the first row), or when a class run failed.
    bool OnScreenParse(TextIterator* it, int32_t firstRow, int32_t lastRow, OnScreenContext& context);
    // Fills `runs` with runs that cover the row from column 0 to its length, in column order:
    // `defaults` overlaid with the class attributes of the innermost block at each column. Only
    // blocks that reach columns firstCol..lastCol (lastCol <= 0: the row's end) count. The walk
    // starts at `start` (another chain's block, such as an on-screen parse's head), else near
    // `*cursor` when that is still in the chain, else at the head; `*cursor` then becomes the
    // last block that starts at or before the first column, so that row after row the walk goes
    // on where it was. False, with one default run, without the lock.
    bool GetRowRuns(const CQELPenwrightBufferManager& text, int32_t row, int32_t firstCol, int32_t lastCol,
                    const LexTextAttributes& defaults, TextBlock* start, pw::RefPtr<TextBlock>* cursor,
                    std::vector<RowRun>& runs);
    // The blocks covering `row` (-1: all rows) that fold, in chain order. `*cursor`, when missing
    // or detached, becomes the first of them with a parent. False, with none, without the lock.
    bool GetCollapsibleBlocks(int32_t row, std::vector<CollapsibleBlock>& blocks,
                              pw::RefPtr<TextBlock>* cursor);

    // The parse. `start` none resumes after the last block; `end` none means no edited range.
    int32_t Run(int treeKind, TextIterator* it, std::optional<LineCol> start, std::optional<LineCol> end,
                bool report);
    // Reparses from block `b`, stepping back to an earlier block when `b`'s class no longer
    // starts at its start, and continues the enclosing blocks up to the top.
    int32_t ParseFrom(TextIterator* it, TextBlock* b);
    // Offers the position to each class of `list` in turn inside `parent`; when `list` is the
    // child list `which` of `owner`, only to the classes that may start at the position.
    int32_t RunClassList(TextIterator& it, const ClassSet::ClassList& list, TextBlock* parent,
                         const LexClass* owner = nullptr, size_t which = 0);
    // The direct, dynamic and self lists of `cls`, until one answers any bit of 0xF00.
    int32_t RunChildLists(TextIterator& it, LexClass& cls, TextBlock* parent);
    // Whether the block's class still starts a block at the block's start.
    bool RunClassAtBlock(TextIterator& it, const TextBlock& block);
    // Advances `n` characters, then past text where no active tag of `cls` begins.
    void SkipText(TextIterator& it, const LexClass& cls, int n);
    // Merges the run's blocks into the chain and forgets the run.
    void Finish(bool interrupted, bool atTextEnd);

    // LexParseContext
    TextBlock* CreateBlock(LexClass& cls, LineCol start, int startExtent) override;
    void SetBlockEnd(TextBlock& block, LineCol end, int endExtent) override;
    LexClass* GetBlockClass(const TextBlock& block) const override { return block.lexClass.get(); }
    LineCol GetBlockStart(const TextBlock& block) const override { return block.startPos; }
    int GetBlockStartExtent(const TextBlock& block) const override { return block.startTokenExtent; }
    LineCol GetBlockEnd(const TextBlock& block) const override { return block.endPos; }
    int GetBlockEndExtent(const TextBlock& block) const override { return block.endTokenExtent; }
    TextBlock* GetBlockParent(const TextBlock& block) const override { return block.parent.get(); }
    TextBlock* GetNewestBlock() const override;
    int RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) override;

protected:
    ~TextSchema() override;

private:
    void BlockEnded(TextBlock& block) override;
    // Links a block that a class started into the chain after the newest block, unless it
    // coincides with an old block that the rest of the old result still holds (then the run
    // is finished and kDone answered).
    int32_t LinkBlock(TextIterator& it, const pw::RefPtr<TextBlock>& block, TextBlock* parent,
                      bool outsideParent);
    // A block ended: its open children close with it, it is reported.
    void EndBlock(TextBlock& block);
    // Runs the class of `b`, an open block, until it ends, the text ends or a bit of 0x700.
    int32_t ContinueBlock(TextIterator& it, TextBlock& b);
    // The length of the longest tag of the language: how far text around an edit may decide
    // what happens at it.
    int TagReach();
    // Whether the blocks this run continues and has not seen end kept valid old ends, which an
    // early stop gives back to them.
    bool ContinuedEndsHold() const;
    // Skips the old blocks after the newest block that start at or before `pos`.
    void DropOldBlocks(LineCol pos, bool orEqual);
    // The block that new blocks are appended to: the newest, else the restart block.
    TextBlock* Anchor() const;
    void ClearRun();
    // The instance of tree 0 numbered `classId`, or null.
    LexClass* FindFullTreeClass(int32_t classId) const;
    // The block of the chain the on-screen parse of rows firstRow.. starts in, copied into
    // `context` with its ancestors; null when there is none.
    TextBlock* PrepareOnScreenStart(TextIterator& it, int32_t firstRow, OnScreenContext& context);
    // The theme over `list` and, first, over the direct and dynamic children of each of its classes.
    void ApplyTheme(const ClassSet::ClassList& list, const ThemeSections* theme, int depth);

    std::wstring name_;
    ClassSet classSet_;
    BlockChain chain_;
    LineCol reparseStart_{0x7FFFFFFF, 0};
    LineCol reparseEnd_;
    std::optional<LineCol> lastStart_, lastEnd_;
    pw::RefPtr<TextBlock> restart_;
    pw::RefPtr<TextBlock> firstReplaced_;
    pw::RefPtr<TextBlock> created_;  // the block a class created and the run has not linked yet
    // Old blocks a reparse continues, with the ends they had: each is open again while it is
    // continued, and takes its old end back when the run stops early inside it.
    struct Continued {
        pw::RefPtr<TextBlock> block;
        LineCol endPos;
        int32_t endTokenExtent;
        int32_t implicitEnd;
        pw::RefPtr<TextBlock> lastChild;
    };
    std::vector<Continued> continued_;
    bool reportEnded_ = false;
    int32_t skipBudget_ = 0;
    int depth_ = 0;     // blocks open around the position
    int tagReach_ = 0;  // 0 until computed
    pw::TimedMutex parseLock_;
    pw::Event stop_{pw::Event::Reset::Manual};
    pw::RefPtr<CQELNotificationConnectionMT> events_;
};
