#include "editor/HitTest.h"

#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

#include "editor/Folds.h"
#include "editor/RowPrinter.h"

namespace {

bool Contains(const PixelRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

int Pinned(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN / 2, INT_MAX / 2));
}

HitArea AreaAt(const EditRects& rects, int x) {
    if (rects.selMargin.Width() > 0 && x < rects.selMargin.right)
        return HitArea::kSelMargin;
    if (rects.lineNumbers.Width() > 0 && x < rects.lineNumbers.right)
        return HitArea::kLineNumbers;
    if (rects.nodeColumn.Width() > 0 && x < rects.nodeColumn.right)
        return HitArea::kNodeColumn;
    return HitArea::kText;  // the gap before the text is the text's
}

// Whether the painter draws a box on the row: a foldable block starts there, which the parser
// knows only with syntax colouring. When the data lock is taken, a folded row still has one.
bool HasNodeBox(EditorCore& core, int row) {
    if (!core.GetOption(EditorOptions::kSyntaxColor))
        return false;
    const pw::RefPtr<TextSchema> schema = core.GetParser().GetCurrentSchema();
    if (!schema)
        return false;
    std::vector<CollapsibleBlock> blocks;
    if (!schema->GetCollapsibleBlocks(row, blocks, nullptr))
        return Folds::CollapsedAt(core.GetBuffer().GetLineMarks(), row) != nullptr;
    return std::any_of(blocks.begin(), blocks.end(),
                       [row](const CollapsibleBlock& b) { return b.start.row == row; });
}

// As the painter measures it: in the text font, or the average character width a character.
int MarkerTextWidth(const TextMeasurer* measurer, int charWidth, std::wstring_view text) {
    if (measurer) {
        std::vector<int> ends;
        measurer->Extents(text, ends);
        return ends.empty() ? 0 : ends.back();
    }
    return Pinned(int64_t{charWidth} * static_cast<int64_t>(text.size()));
}

}  // namespace

PixelRect NodeBox(const PixelRect& cell) {
    const int cx = cell.left + (cell.right - cell.left) / 2;
    const int cy = cell.top + (cell.bottom - cell.top) / 2;
    const int half = (EditMargins::kNodeColumnWidth - 1) / 2;
    return {cx - half, cy - half, cx + half + 1, cy + half + 1};
}

std::optional<PixelRect> FoldMarkerRect(const RowLayout& layout, int cut, int64_t originX, int top,
                                        int textWidth, int rowHeight) {
    if (cut < 0 || cut > layout.LaidOut())
        return std::nullopt;
    const int left = Pinned(originX + layout.XOfChar(cut));
    return PixelRect{left, top, Pinned(int64_t{left} + textWidth + RowPrinter::kMarkerExtra),
                     top + rowHeight};
}

HitResult HitTest(EditorCore& core, int x, int y, bool virtualColumns) {
    const CQELPenwrightBufferManager& buffer = core.GetBuffer();
    CQELPenwrightTextLayout& layout = core.GetTextLayout();
    const EditRects& rects = core.GetRects();
    const PixelRect& text = rects.text;
    const int rowHeight = layout.GetRowHeight();
    HitResult hit;
    hit.area = AreaAt(rects, x);
    const int64_t below = int64_t{y} - text.top;
    hit.screenRow =
        below < 0
            ? 1
            : static_cast<int>(std::min<int64_t>(below / rowHeight + 1, std::max(core.RowsPerPage(), 1)));

    const int rowCount = buffer.GetRowCount();
    if (rowCount < 1)
        return hit;
    const ScreenRowMap map = core.RowMap();
    hit.row = std::clamp(map.ScreenToDocRow(core.GetTopRow(), hit.screenRow), 1, rowCount);
    // The row's own screen row: below the text's last row the point is on another.
    const int top =
        Pinned(int64_t{text.top} + int64_t{map.DocToScreenRow(core.GetTopRow(), hit.row) - 1} * rowHeight);

    const CollapsibleBlock* folded = Folds::CollapsedAt(buffer.GetLineMarks(), hit.row);
    // A folded row's marker stands past its end: no virtual column there.
    const RowColumns::Row shown{Folds::VisibleText(buffer, hit.row), buffer.GetTabSize(),
                                virtualColumns && !folded};
    const RowLayout cells = layout.LayoutRow(shown.text);
    const int inside = std::clamp(x, text.left, std::max(text.right - 1, text.left));
    const int64_t cell = cells.CellAtX(int64_t{inside} - text.left + layout.GetHorzOffset());
    hit.col = RowColumns::Snap(shown, static_cast<int>(std::min<int64_t>(cell + 1, INT_MAX)));
    hit.pos = RowColumns::PositionOf(shown, hit.col);

    if (hit.area == HitArea::kNodeColumn) {
        const PixelRect node{rects.nodeColumn.left, top, rects.nodeColumn.right, top + rowHeight};
        hit.onNodeBox = Contains(NodeBox(node), x, y) && HasNodeBox(core, hit.row);
    }
    if (folded && hit.area == HitArea::kText && Contains(text, x, y)) {
        const std::optional<PixelRect> marker = FoldMarkerRect(
            cells, static_cast<int>(shown.text.size()), text.left - layout.GetHorzOffset(), top,
            MarkerTextWidth(core.GetWindow().GetTextMeasurer(), layout.GetCharWidth(), folded->collapsedText),
            rowHeight);
        hit.onFoldMarker = marker && Contains(*marker, x, y);
    }
    return hit;
}
