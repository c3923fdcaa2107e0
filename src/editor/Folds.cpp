#include "editor/Folds.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

void FreeBlock(void* data) {
    delete static_cast<CollapsibleBlock*>(data);
}

}  // namespace

namespace Folds {

void Collapse(CQELPenwrightLineMarksManager& marks, const CollapsibleBlock& block) {
    auto copy = std::make_unique<CollapsibleBlock>(block);
    // The holder frees the copy with the last mark that shares it.
    marks.SetMark(block.start.row, LineMarkKind::Collapsed,
                  LineMarkParam::OfShared(copy.release(), FreeBlock));
}

bool Toggle(CQELPenwrightLineMarksManager& marks, TextSchema* schema, int row) {
    if (CollapsedAt(marks, row)) {
        Expand(marks, row);
        return true;
    }
    std::vector<CollapsibleBlock> blocks;
    if (!schema || !schema->GetCollapsibleBlocks(row, blocks, nullptr))
        return false;
    const CollapsibleBlock* outermost = nullptr;
    for (const CollapsibleBlock& block : blocks)
        if (block.start.row == row && block.end.row > row &&
            (!outermost || block.start.col < outermost->start.col))
            outermost = &block;
    if (!outermost)
        return false;
    Collapse(marks, *outermost);
    return true;
}

const CollapsibleBlock* CollapsedAt(const CQELPenwrightLineMarksManager& marks, int row) {
    LineMarkParam param;
    if (!marks.HasMark(row, LineMarkKind::Collapsed, &param) || param.GetType() != LineMarkParam::Shared)
        return nullptr;
    // The holder outlives `param`: the mark still shares it.
    return static_cast<const CollapsibleBlock*>(param.GetData());
}

int VisibleLength(const CQELPenwrightLineMarksManager& marks, int row, int length) {
    const CollapsibleBlock* block = CollapsedAt(marks, row);
    return block ? std::clamp(block->start.col, 0, length) : length;
}

std::wstring_view VisibleText(const CQELPenwrightBufferManager& buffer, int row) {
    const std::wstring_view text = buffer.GetLineView(row);
    return text.substr(
        0, static_cast<size_t>(VisibleLength(buffer.GetLineMarks(), row, static_cast<int>(text.size()))));
}

}  // namespace Folds
