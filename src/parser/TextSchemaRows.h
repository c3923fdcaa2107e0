#pragma once
// What the edit control asks a schema about the rows it shows: the coloured runs of a row, the
// blocks of a row that fold, and, for rows the complete parse has not reached, a parse of just
// those rows into a context of their own.
#include <cstdint>
#include <string>
#include <vector>

#include "buffer/LineCol.h"
#include "lexer/LexParseContext.h"
#include "lexer/LexTextAttributes.h"
#include "parser/ClassSet.h"
#include "parser/TextBlock.h"
#include "platform/RefCounted.h"

// Columns [start, end) of one row (0-based character indexes) and how to paint them.
struct RowRun {
    int32_t start = 0;
    int32_t end = 0;
    LexTextAttributes attributes;

    friend bool operator==(const RowRun&, const RowRun&) = default;
};

// A block that the editor may fold. An open block ends at (0x7FFFFFFF, 0x7FFFFFFF).
struct CollapsibleBlock {
    LineCol start;
    LineCol end;
    std::wstring collapsedText;  // shown in place of the folded block
};

// The blocks of an on-screen parse. They never join the schema's chain; the schema's blocks that
// enclose the first row are copied in first, so the chain here begins with the outermost of them
// and row runs can start at its head.
class OnScreenContext : public LexParseContext {
public:
    OnScreenContext() = default;
    ~OnScreenContext();
    OnScreenContext(const OnScreenContext&) = delete;
    OnScreenContext& operator=(const OnScreenContext&) = delete;

    const pw::RefPtr<TextBlock>& GetHeadBlock() const { return head_; }
    int32_t GetLastRow() const { return lastRow_; }
    // The classes of the blocks open where `row` begins, outermost first: the state a parse of
    // the rows from there on starts in.
    std::vector<const LexClass*> OpenClassesAt(int32_t row) const;
    // Releases every block; the context can be parsed into again.
    void Clear();

    // LexParseContext
    TextBlock* CreateBlock(LexClass& cls, LineCol start, int startExtent) override;
    void SetBlockEnd(TextBlock& block, LineCol end, int endExtent) override;
    LexClass* GetBlockClass(const TextBlock& block) const override { return block.lexClass.get(); }
    LineCol GetBlockStart(const TextBlock& block) const override { return block.startPos; }
    int GetBlockStartExtent(const TextBlock& block) const override { return block.startTokenExtent; }
    LineCol GetBlockEnd(const TextBlock& block) const override { return block.endPos; }
    int GetBlockEndExtent(const TextBlock& block) const override { return block.endTokenExtent; }
    TextBlock* GetBlockParent(const TextBlock& block) const override { return block.parent.get(); }
    TextBlock* GetNewestBlock() const override { return newest_.get(); }
    int RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) override;

private:
    friend class TextSchema;

    // Appends `block` to the chain here, inside `parent`.
    void Append(const pw::RefPtr<TextBlock>& block, TextBlock* parent);
    // The first block a class of `list` starts at the position, linked; null when none starts.
    pw::RefPtr<TextBlock> StartTopBlock(TextIterator& it, const ClassSet::ClassList& list);
    // The steps of the schema's parse, with the blocks kept here and no events; 0x200 once the
    // position has passed the last row.
    int32_t RunClassList(TextIterator& it, const ClassSet::ClassList& list, TextBlock* parent);
    int32_t RunChildLists(TextIterator& it, LexClass& cls, TextBlock* parent);
    void SkipText(TextIterator& it, const LexClass& cls, int n);
    bool PastLastRow(const TextIterator& it) const;

    pw::RefPtr<TextBlock> head_;
    pw::RefPtr<TextBlock> newest_;
    pw::RefPtr<TextBlock> created_;
    int32_t lastRow_ = 0;
    int32_t skipBudget_ = 0;
    int depth_ = 0;
};
