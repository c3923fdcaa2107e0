#pragma once
// One occurrence of a lex class in the text: the range from the first character of its start to
// the last character of its end. Blocks form two linked structures at once: the chain in
// document order (prevBlock/nextBlock) and the tree (parent, with the children found by walking
// the chain back from lastChild). Every link counts a reference, so the links make cycles that
// Close breaks; nothing is unlinked by destruction.
//
// Blocks carry no lock: the owner's data lock guards links and positions.
#include <cstdint>
#include <optional>
#include <string>

#include "buffer/LineCol.h"
#include "lexer/LexClass.h"
#include "platform/RefCounted.h"

class TextBlock;

// Told about each block that CloseOpenChildren ends, in the order they are ended.
class BlockEndedSink {
public:
    virtual void BlockEnded(TextBlock& block) = 0;

protected:
    ~BlockEndedSink() = default;
};

class TextBlock : public pw::RefCounted {
public:
    TextBlock() = default;

    // Positions: rows 1-based, columns 0-based. endPos is inclusive, (0, 0) while the block is
    // open and one column before startPos when an edit emptied the block.
    pw::RefPtr<LexClass> lexClass;
    pw::RefPtr<TextBlock> parent;
    pw::RefPtr<TextBlock> prevBlock;
    pw::RefPtr<TextBlock> nextBlock;
    LineCol startPos;
    LineCol endPos;
    int32_t implicitEnd = 0;       // 0: ended by its own end; else the value it was closed with
    int32_t startTokenExtent = 0;  // packed end of the start token minus packed startPos
    int32_t endTokenExtent = 0;    // packed endPos minus packed start of the end token
    pw::RefPtr<TextBlock> lastChild;

    // Releases the class and every link; the block is detached afterwards.
    void Close();
    // Both have a class and the class names are equal ignoring case.
    bool IsSameClass(const TextBlock& other) const;
    // `other`'s range lies within this one's and both have ended.
    bool Encloses(const TextBlock* other) const;
    bool IsDetached() const;
    bool IsOpen() const { return !endPos.IsValid(); }
    // An open block covers every row from its start on.
    bool CoversRow(int32_t row) const;

    // Gives every open descendant this block's end and `value` as implicitEnd, telling `sink`
    // (when given) about each; ended children keep their end and their subtree. Answers how many
    // blocks were closed. Iterative, so any nesting depth is safe.
    int CloseOpenChildren(BlockEndedSink* sink, int32_t value);
    // The child of this block that precedes `child` in the chain, or null.
    TextBlock* PrevChild(const TextBlock* child) const;
};

// Trace forms, never shown to the user: "(row,col - row,col) - class" for a block ("(no class)"
// in place of the name for a block without one, "(no block)" for none), and for a
// range "All:(1,0 - NULL)" (from the start of the text, no end), "Rest(NULL - NULL)" or
// "Part:(start - end)" with "NULL" for a side not given.
std::wstring DescribeBlock(const TextBlock* block);
std::wstring DescribeRange(std::optional<LineCol> start, std::optional<LineCol> end);
