#include "editor/EditCaret.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "editor/EditorCore.h"
#include "editor/Folds.h"

bool EditCaret::IsOverwrite() const {
    return core_.GetBuffer().GetOverwriteFlag();
}

void EditCaret::SetOverwrite(bool on) {
    core_.GetBuffer().SetOverwriteFlag(on);
}

void EditCaret::ToggleOverwrite() {
    core_.GetWindow().NotifyParent(EditNotify::kOverwrite, {});
    SetOverwrite(!IsOverwrite());
    core_.GetWindow().RedrawCaret();
}

RowColumns::Row EditCaret::RowAt(int row) const {
    const CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const bool folded = Folds::CollapsedAt(buffer.GetLineMarks(), row) != nullptr;
    return {Folds::VisibleText(buffer, row), buffer.GetTabSize(),
            core_.GetOption(EditorOptions::kVirtualSpace) && !folded};
}

EditCaret::Point EditCaret::Clamp(int row, int col) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int rows = buffer.GetRowCount();
    if (rows < 1)
        return {};
    if (row > rows) {
        row = rows;
        col = RowColumns::EndColumn({buffer.GetLineView(rows), buffer.GetTabSize(), false});
    } else if (row < 1) {
        row = col = 1;
    }
    col = std::max(col, 1);
    CQELPenwrightLineMarksManager& marks = buffer.GetLineMarks();
    bool expanded = false;
    for (ScreenRowMap map = core_.RowMap(); map.IsHidden(row); map = core_.RowMap()) {
        const int folded = map.RowOfVisible(map.VisibleNumber(row));
        if (!marks.HasMark(folded, LineMarkKind::Collapsed))
            break;  // cannot happen while the map follows the marks; never loop on it
        Folds::Expand(marks, folded);
        expanded = true;
    }
    if (Folds::CollapsedAt(marks, row) && col > RowColumns::EndColumn(RowAt(row))) {
        Folds::Expand(marks, row);
        expanded = true;
    }
    if (expanded) {
        core_.UpdateScrollBars();
        core_.GetWindow().Invalidate();
    }
    return {row, col, 1};
}

EditCaret::Point EditCaret::PointAt(int row, int col) const {
    const RowColumns::Row text = RowAt(row);
    col = RowColumns::Snap(text, col);
    return {row, col, RowColumns::PositionOf(text, col)};
}

void EditCaret::MoveTo(int row, int col) {
    pending_.reset();
    const Point p = Clamp(row, col);
    here_ = PointAt(p.row, p.col);
}

void EditCaret::MoveToPosition(int row, int pos) {
    const CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    // Measured on the whole row: a position inside a fold must open it, not stop at its marker.
    MoveTo(row, RowColumns::ColumnOf({buffer.GetLineView(row), buffer.GetTabSize(), true}, std::max(pos, 1)));
}

void EditCaret::SetPendingIndent(int row, int width, int tabs, int spaces) {
    MoveTo(row, 1);
    if (width <= 0 || here_.row != row)
        return;
    pending_ = PendingIndent{row, width, tabs, spaces};
    here_.col = width + 1;
}

void EditCaret::Show(bool ensureVisible, bool notify) {
    EditorWindow& window = core_.GetWindow();
    if (ensureVisible)
        EnsureVisible();
    window.RedrawCaret();
    if (notify) {
        const int32_t values[] = {here_.row, here_.col};
        window.NotifyParent(EditNotify::kCaretMoved, values);
    }
    // Without a selection now or at the last showing, only the caret's old and new rows change
    // (the margin marks the caret's row).
    const bool selected = !selection_.IsEmpty();
    if (selected || shownSelected_) {
        window.Invalidate();
    } else {
        core_.InvalidateRows(shownRow_, shownRow_);
        core_.InvalidateRows(here_.row, here_.row);
    }
    shownSelected_ = selected;
    shownRow_ = here_.row;
}

void EditCaret::SetCaretPos(int row, int col, bool ensureVisible, bool notify) {
    MoveTo(row, col);
    sticky_ = 0;
    Show(ensureVisible, notify);
}

void EditCaret::Refit() {
    const RowColumns::Row text = RowAt(here_.row);
    SetCaretPos(here_.row, RowColumns::ColumnOf(text, here_.pos), false, false);
}

void EditCaret::EnsureVisible() {
    const ScreenRowMap map = core_.RowMap();
    const int page = std::max(core_.RowsPerPage(), 1);
    const int top = core_.GetTopRow();
    const int screen = map.DocToScreenRow(top, here_.row);
    if (screen < 1)
        core_.SetTopRow(here_.row);
    else if (screen > page)
        core_.SetTopRow(map.Step(top, screen - page));

    CQELPenwrightTextLayout& layout = core_.GetTextLayout();
    const PixelRect& area = core_.GetRects().text;
    const int64_t e = layout.GetCharWidth();
    const int64_t offset = layout.GetHorzOffset();
    const int64_t x = area.left + layout.LayoutRow(RowAt(here_.row).text).XOfCell(here_.col - 1) - offset;
    // Scrolled a good way at once, so that walking along a row does not scroll at every step.
    if (x - std::max<int64_t>(2 * e, 14) < area.left)
        layout.SetHorzOffset(x + offset - 15 * e - area.left);
    else if (x + e >= area.right)
        layout.SetHorzOffset(offset + std::min<int64_t>(area.Width() / 3, 15 * e) + e + x - area.right);
    if (core_.GetTopRow() != top || layout.GetHorzOffset() != offset) {
        core_.UpdateScrollBars();
        core_.GetWindow().Invalidate();
    }
}

bool EditCaret::Select(int startRow, int startCol, int endRow, int endCol, bool repaint) {
    const int rows = core_.GetBuffer().GetRowCount();
    if (startRow < 1 || startRow > rows || endRow < 1 || endRow > rows)
        return false;
    const Point start = PointAt(startRow, std::max(startCol, 1));
    MoveTo(endRow, endCol);
    sticky_ = 0;
    selection_.Set(start, here_, selection_.IsBlock());
    core_.GetWindow().RedrawCaret();
    if (repaint)
        core_.GetWindow().Invalidate();
    return true;
}

void EditCaret::SelectAll() {
    MoveTo(INT_MAX, 1);
    sticky_ = 0;
    selection_.Set({}, here_, false);
    Show(true, true);
}

std::wstring EditCaret::GetSelectedText() const {
    return selection_.GetText(core_.GetBuffer());
}

RowSelection EditCaret::SelectionOfRow(int row) const {
    return selection_.ForRow(row, RowAt(row));
}
