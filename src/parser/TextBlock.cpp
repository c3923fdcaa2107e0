#include "parser/TextBlock.h"

#include <limits>
#include <vector>

#include "lexer/LexText.h"

void TextBlock::Close() {
    lexClass.reset();
    parent.reset();
    prevBlock.reset();
    nextBlock.reset();
    lastChild.reset();
}

bool TextBlock::IsSameClass(const TextBlock& other) const {
    return lexClass && other.lexClass && EqualNoCase(lexClass->GetName(), other.lexClass->GetName());
}

bool TextBlock::Encloses(const TextBlock* other) const {
    return other && endPos.IsValid() && other->endPos.IsValid() && startPos <= other->startPos &&
           endPos >= other->endPos;
}

bool TextBlock::IsDetached() const {
    return !lexClass && !prevBlock && !nextBlock && !lastChild && !parent;
}

bool TextBlock::CoversRow(int32_t row) const {
    int32_t lastRow = endPos.IsValid() ? endPos.row : std::numeric_limits<int32_t>::max();
    return startPos.row <= row && row <= lastRow;
}

int TextBlock::CloseOpenChildren(BlockEndedSink* sink, int32_t value) {
    // Most blocks that end have no children: no stack to make for them.
    if (!lastChild)
        return 0;
    // An explicit stack of (block, next child to look at) instead of recursion: a text of ten
    // thousand unclosed brackets nests that deep.
    struct Frame {
        TextBlock* block;
        TextBlock* child;
    };
    std::vector<Frame> stack{{this, lastChild.get()}};
    int closed = 0;
    while (!stack.empty()) {
        Frame& top = stack.back();
        TextBlock* child = top.child;
        if (!child) {
            stack.pop_back();
            continue;
        }
        TextBlock* block = top.block;
        top.child = block->PrevChild(child);
        if (child->endPos.IsValid())
            continue;
        child->endPos = block->endPos;
        child->endTokenExtent = block->endTokenExtent;
        child->implicitEnd = value;
        ++closed;
        if (sink)
            sink->BlockEnded(*child);
        stack.push_back({child, child->lastChild.get()});
    }
    return closed;
}

TextBlock* TextBlock::PrevChild(const TextBlock* child) const {
    if (!child)
        return nullptr;
    for (TextBlock* b = child->prevBlock.get(); b && b != this; b = b->prevBlock.get()) {
        if (b->parent.get() == this)
            return b;
    }
    return nullptr;
}

namespace {

std::wstring Position(LineCol pos) {
    return std::to_wstring(pos.row) + L"," + std::to_wstring(pos.col);
}

}  // namespace

std::wstring DescribeBlock(const TextBlock* block) {
    if (!block)
        return L"(no block)";
    // A block loses its class only when it is closed; a trace that meets one says so instead of
    // printing a placeholder that reads like a class name.
    const std::wstring name = block->lexClass       ? block->lexClass->GetName()
                              : block->IsDetached() ? L"(no class: detached)"
                                                    : L"(no class)";
    return L"(" + Position(block->startPos) + L" - " + Position(block->endPos) + L") - " + name;
}

std::wstring DescribeRange(std::optional<LineCol> start, std::optional<LineCol> end) {
    if (!end && start && *start == LineCol{1, 0})
        return L"All:(1,0 - NULL)";
    if (!start && !end)
        return L"Rest(NULL - NULL)";
    return L"Part:(" + (start ? Position(*start) : L"NULL") + L" - " + (end ? Position(*end) : L"NULL") +
           L")";
}
