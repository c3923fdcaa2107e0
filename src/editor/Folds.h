#pragma once
// Folded blocks are the user's data, kept as "Collapsed" line marks on their first rows. Each
// mark holds the block as it was last seen, so that the rows it hides are known without asking
// the parser.
#include <string_view>

#include "buffer/BufferManager.h"
#include "buffer/LineMarksManager.h"
#include "parser/TextSchema.h"
#include "parser/TextSchemaRows.h"

namespace Folds {

// Folds the block: its first row gets a "Collapsed" mark holding a copy of it.
void Collapse(CQELPenwrightLineMarksManager& marks, const CollapsibleBlock& block);
// The folded block on `row`, or null when the row has no "Collapsed" mark with a block. Good
// until the mark on that row changes.
const CollapsibleBlock* CollapsedAt(const CQELPenwrightLineMarksManager& marks, int row);
inline void Expand(CQELPenwrightLineMarksManager& marks, int row) {
    marks.DeleteMark(row, LineMarkKind::Collapsed);
}
// A click on a row's node: a folded row opens; else the outermost foldable block starting on
// the row, as the schema's parse knows it, folds (one fold a row). False when nothing changed:
// no block starts there, or the parse's data is locked.
bool Toggle(CQELPenwrightLineMarksManager& marks, TextSchema* schema, int row);

// How much of a row shows: a folded row ends where its block starts.
int VisibleLength(const CQELPenwrightLineMarksManager& marks, int row, int length);
// The row's text as the editor shows it and the caret walks it; good until the next edit.
std::wstring_view VisibleText(const CQELPenwrightBufferManager& buffer, int row);

}  // namespace Folds
