#pragma once
// What a lexical class needs from the parse that offers it a position: the blocks it creates and
// looks back at, and running its children. The parser's schema implements it; the lexer sees
// blocks only as opaque handles, so it does not depend on the parser.
#include "buffer/LineCol.h"

class LexClass;
class TextBlock;
class TextIterator;

// The flags a class run answers, shared with the parser.
enum LexRunFlag : int {
    kRunStarted = 0x001,        // a block of the class was started at the position
    kRunEnded = 0x002,          // the open block of the class ended
    kRunConsumed = 0x010,       // the position moved past a start tag, skip text, token or end tag
    kRunOutsideParent = 0x020,  // started through "start:class" from a block not of the parent class
    kRunFailed = 0x100,         // bad arguments, or a block could not be created
    kRunStopped = 0x200,        // raised by the parser while running children; passed through
    kRunCancelled = 0x400,      // likewise
};

class LexParseContext {
public:
    // A new block of `cls` at `start` whose start text is `startExtent` long; null when none can be made.
    virtual TextBlock* CreateBlock(LexClass& cls, LineCol start, int startExtent) = 0;
    // Sets the end position and end extent together, under the block lock.
    virtual void SetBlockEnd(TextBlock& block, LineCol end, int endExtent) = 0;
    // The class of a block; null for a block without one.
    virtual LexClass* GetBlockClass(const TextBlock& block) const = 0;
    virtual LineCol GetBlockStart(const TextBlock& block) const = 0;
    virtual int GetBlockStartExtent(const TextBlock& block) const = 0;
    virtual LineCol GetBlockEnd(const TextBlock& block) const = 0;
    virtual int GetBlockEndExtent(const TextBlock& block) const = 0;
    // Null for a block at the top.
    virtual TextBlock* GetBlockParent(const TextBlock& block) const = 0;
    // The block most recently linked by the running parse; null before the first.
    virtual TextBlock* GetNewestBlock() const = 0;
    // Runs the direct, dynamic and self children of `cls` inside `parent` at the position.
    virtual int RunChildren(LexClass& cls, TextIterator& it, TextBlock& parent) = 0;

protected:
    ~LexParseContext() = default;
};
