#pragma once
// Chains of blocks built by hand, the way a parse would link them.
#include <string>
#include <vector>

#include "lexer/LexClass.h"
#include "parser/TextBlock.h"

inline pw::RefPtr<LexClass> MakeClass(std::wstring name) {
    pw::RefPtr<LexClass> cls = pw::MakeRef<LexClass>();
    cls->SetName(std::move(name));
    return cls;
}

// Appends blocks to one chain; closes them all when it goes, so that no test leaks its cycles.
class ChainBuilder {
public:
    ChainBuilder() = default;
    ChainBuilder(const ChainBuilder&) = delete;
    ChainBuilder& operator=(const ChainBuilder&) = delete;
    ~ChainBuilder() {
        for (auto& b : blocks_) b->Close();
    }

    // A block of `cls` from `start` to `end` ((0, 0) for an open block) as the last in the chain
    // and the last child of `parent`.
    TextBlock* Add(const pw::RefPtr<LexClass>& cls, LineCol start, LineCol end, TextBlock* parent = nullptr,
                   int32_t startExtent = 1, int32_t endExtent = 1) {
        return Append(pw::MakeRef<TextBlock>(), cls, start, end, parent, startExtent, endExtent);
    }
    TextBlock* Append(pw::RefPtr<TextBlock> b, const pw::RefPtr<LexClass>& cls, LineCol start, LineCol end,
                      TextBlock* parent, int32_t startExtent, int32_t endExtent) {
        b->lexClass = cls;
        b->startPos = start;
        b->endPos = end;
        b->startTokenExtent = startExtent;
        b->endTokenExtent = end.IsValid() ? endExtent : 0;
        if (!blocks_.empty()) {
            b->prevBlock = blocks_.back();
            blocks_.back()->nextBlock = b;
        }
        if (parent) {
            b->parent = parent;
            parent->lastChild = b;
        }
        blocks_.push_back(b);
        return b.get();
    }

    const std::vector<pw::RefPtr<TextBlock>>& Blocks() const { return blocks_; }
    // Lets go of the blocks without closing them: someone else owns the chain now.
    void Forget() { blocks_.clear(); }
    TextBlock* Head() const { return blocks_.empty() ? nullptr : blocks_.front().get(); }

private:
    std::vector<pw::RefPtr<TextBlock>> blocks_;
};
