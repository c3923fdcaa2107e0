#include "editor/MouseInput.h"

#include <algorithm>
#include <cstdlib>

#include "editor/AutoScroll.h"
#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "editor/FoldTooltip.h"
#include "editor/Folds.h"

namespace {

using Point = CQELPenwrightSelection::Point;

bool InRows(HitArea area) {
    return area == HitArea::kLineNumbers || area == HitArea::kNodeColumn;
}

}  // namespace

HitResult MouseInput::Hit(int x, int y, bool block) const {
    return HitTest(core_, x, y, block || core_.GetOption(EditorOptions::kVirtualSpace));
}

void MouseInput::Notify(int code, int x, int y, const MouseKeys& keys) {
    const int32_t values[] = {keys.Flags(), x, y};
    core_.GetWindow().NotifyParent(code, values);
}

void MouseInput::LeftDown(int x, int y, const MouseKeys& keys) {
    EditorWindow& window = core_.GetWindow();
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    window.TakeFocus();
    EndDrag();
    caret.DropPendingIndent();
    selecting_ = false;
    rowAnchor_ = 0;
    if (!selection.IsEmpty())
        window.Invalidate();
    window.NotifyParent(EditNotify::kBeforeInput, {});
    window.CaptureMouse(true);
    // The third click of a triple click, where the double click was.
    const bool thirdClick = doubleClickAt_ != 0 && window.TickCount() - doubleClickAt_ <= doubleClickMs_ &&
                            std::abs(x - pressX_) <= dragDistance_ && std::abs(y - pressY_) <= dragDistance_;
    doubleClickAt_ = 0;
    pressX_ = x;
    pressY_ = y;

    const HitResult hit = Hit(x, y, keys.alt);
    if (hit.row != caret.GetRow() || hit.col != caret.GetColumn())
        core_.GetEditor().CloseTypingGroup();
    const Point at{hit.row, hit.col, hit.pos};
    const int rows = core_.GetBuffer().GetRowCount();
    // A press below the last row names no row of the margin.
    const bool pastText = core_.RowMap().ScreenToDocRow(core_.GetTopRow(), hit.screenRow) > std::max(rows, 1);
    if (hit.area == HitArea::kSelMargin) {
        if (!pastText) {
            selection.Clear(at);
            const int32_t values[] = {hit.row, hit.screenRow};
            if (window.NotifyParent(EditNotify::kMarginClick, values) == 0)
                core_.GetEditor().ToggleBreakpoint(hit.row);
            caret.SetCaretPos(hit.row, 1, true, true);
        }
    } else if (hit.onNodeBox) {
        selection.Clear(selection.GetEnd());
        Folds::Toggle(core_.GetBuffer().GetLineMarks(), core_.GetParser().GetCurrentSchema().get(), hit.row);
        caret.SetCaretPos(hit.row, 1, true, true);
        caret.GetSelection().Clear(caret.Here());
        core_.UpdateScrollBars();
        window.Invalidate();
    } else if (thirdClick && hit.area == HitArea::kText) {
        // The row with its line end, as a press in the line numbers selects it.
        const RowColumns::Row text = caret.RowAt(hit.row);
        selection.Clear(caret.Here());
        if (hit.row < rows)
            caret.Select(hit.row, 1, hit.row + 1, 1, true);
        else
            caret.Select(hit.row, 1, hit.row, RowColumns::EndColumn(text), true);
        caret.Show(true, true);
    } else if (hit.area == HitArea::kText && selection.Contains(hit.row, hit.col)) {
        if (dragNotify_)
            window.NotifyParent(EditNotify::kDragBegins, {});
        else
            leftDragPending_ = true;
    } else {
        if (keys.alt) {
            selection.Set(at, at, true);
        } else if (keys.shift) {
            selection.Set(selection.IsEmpty() ? caret.Here() : selection.GetStart(), at, false);
            wordMode_ = keys.ctrl;
        } else {
            selection.Clear(at);
            wordMode_ = keys.ctrl;
            if (InRows(hit.area) && !pastText)
                rowAnchor_ = hit.row;
        }
        selecting_ = true;
        if (wordMode_ && keys.shift) {
            wordStart_ = wordEnd_ = selection.GetStart();
        } else if (wordMode_) {
            const CharClass::Range word = CharClass::WordAt(caret.RowAt(hit.row).text, hit.pos - 1);
            wordStart_ = word.IsEmpty() ? at : Point{hit.row, 0, word.start + 1};
            wordEnd_ = word.IsEmpty() ? at : Point{hit.row, 0, word.end + 1};
        }
        Track(x, y);
        caret.Show(true, false);
        window.SetTimer(kTrackTimer, kTrackMs);
    }
    Notify(EditNotify::kLeftButtonDown, x, y, keys);
}

void MouseInput::Track(int x, int y) {
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    const HitResult hit = Hit(x, y, selection.IsBlock());
    const int rows = core_.GetBuffer().GetRowCount();
    auto point = [&](int row, int pos) {
        const RowColumns::Row text = caret.RowAt(row);
        return Point{row, RowColumns::ColumnOf(text, pos), pos};
    };
    if (rowAnchor_ > 0 && InRows(hit.area)) {
        // Whole rows, from the anchor's to the mouse's, each with its line end.
        const bool down = hit.row >= rowAnchor_;
        const int from = down ? rowAnchor_ : std::min(rowAnchor_ + 1, rows);
        const int to = down ? hit.row + 1 : hit.row;
        const Point end =
            to > rows ? point(rows, core_.GetBuffer().GetLineTextLength(rows) + 1) : point(to, 1);
        selection.Set(point(from, 1), end, false);
    } else if (wordMode_) {
        // By whole words: the anchor's word stays selected, the end goes to the far side of the
        // word under the mouse.
        const CharClass::Range word = CharClass::WordAt(caret.RowAt(hit.row).text, hit.pos - 1);
        const bool forward = std::pair(hit.row, hit.pos) >= std::pair(wordStart_.row, wordStart_.pos);
        const int pos = word.IsEmpty() ? hit.pos : (forward ? word.end : word.start) + 1;
        selection.Set(point((forward ? wordStart_ : wordEnd_).row, (forward ? wordStart_ : wordEnd_).pos),
                      point(hit.row, pos), false);
    } else {
        selection.Set(selection.GetStart(), Point{hit.row, hit.col, hit.pos}, selection.IsBlock());
    }
    const Point end = selection.GetEnd();
    caret.MoveTo(end.row, end.col);
    // The caret's move must not lose what was selected.
    if (caret.Here() != end)
        selection.Set(selection.GetStart(), caret.Here(), selection.IsBlock());
    caret.Show(false, false);
}

void MouseInput::OnTrackTimer(int x, int y, const MouseKeys& keys) {
    if (!keys.left || !selecting_) {
        StopSelecting();
        return;
    }
    EditorWindow& window = core_.GetWindow();
    const CQELPenwrightTextLayout& layout = core_.GetTextLayout();
    const AutoScroll::Amount amount =
        AutoScroll::Direction(core_.GetRects().text, layout.GetRowHeight(), layout.GetCharWidth(), x, y);
    if (amount.flags && !scrolling_)
        window.SetTimer(kScrollTimer, kScrollMs);
    else if (!amount.flags && scrolling_)
        window.KillTimer(kScrollTimer);
    scrolling_ = amount.flags != 0;
    Track(x, y);
}

void MouseInput::OnScrollTimer(int x, int y, const MouseKeys& keys) {
    const CQELPenwrightTextLayout& layout = core_.GetTextLayout();
    const AutoScroll::Amount amount =
        AutoScroll::Direction(core_.GetRects().text, layout.GetRowHeight(), layout.GetCharWidth(), x, y);
    if (!keys.left || !selecting_ || amount.flags == 0) {
        core_.GetWindow().KillTimer(kScrollTimer);
        scrolling_ = false;
        return;
    }
    core_.ScrollBy(amount.rows, amount.columns);
    Track(x, y);
}

void MouseInput::StopSelecting() {
    EditorWindow& window = core_.GetWindow();
    selecting_ = false;
    rowAnchor_ = 0;
    window.KillTimer(kTrackTimer);
    window.KillTimer(kScrollTimer);
    scrolling_ = false;
}

void MouseInput::LeftUp(int x, int y, const MouseKeys& keys) {
    EditorWindow& window = core_.GetWindow();
    EditCaret& caret = core_.GetCaret();
    window.CaptureMouse(false);
    // A press on the selection that never became a drag is a click: the caret goes there.
    if (leftDragPending_ && !dragging_) {
        const HitResult hit = Hit(x, y, false);
        caret.MoveTo(hit.row, hit.col);
        caret.GetSelection().Clear(caret.Here());
    }
    StopSelecting();
    if (dragging_ && !rightDrag_ && !(dropValid_ && Drop(keys.ctrl)))
        caret.GetSelection().Clear(caret.Here());
    EndDrag();
    caret.Show(true, true);
    window.Invalidate();
    Notify(EditNotify::kLeftButtonUp, x, y, keys);
}

void MouseInput::Move(int x, int y, const MouseKeys& keys, bool inside) {
    const bool pending = leftDragPending_ || rightDrag_;
    if (pending && !dragging_ &&
        (std::abs(x - pressX_) > dragDistance_ || std::abs(y - pressY_) > dragDistance_))
        dragging_ = true;
    const HitResult hit = Hit(x, y, false);
    if (dragging_)
        ShowDropPoint(hit, inside);
    UpdateTooltip(x, y, hit);
    Notify(EditNotify::kMouseMoved, x, y, keys);
}

void MouseInput::ShowDropPoint(const HitResult& hit, bool inside) {
    EditCaret& caret = core_.GetCaret();
    dropValid_ = inside && !(dragging_ && caret.GetSelection().Contains(hit.row, hit.col));
    if (inside && (hit.row != dropRow_ || hit.col != dropCol_)) {
        dropRow_ = hit.row;
        dropCol_ = hit.col;
        // The caret shows where the text would land, the selection staying as it is.
        caret.MoveTo(hit.row, hit.col);
        caret.Show(false, false);
    }
}

bool MouseInput::OutsideDragEnter(int x, int y) {
    if (!dragging_) {
        outsideDrag_ = true;
        outsideCaret_ = core_.GetCaret().Here();
        dropRow_ = dropCol_ = 0;
    }
    outsideEditable_ = core_.GetWindow().NotifyParent(EditNotify::kReadOnly, {}) == 0;
    return OutsideDragOver(x, y);
}

bool MouseInput::OutsideDragOver(int x, int y) {
    if (!outsideDrag_ && !dragging_)
        return false;
    ShowDropPoint(Hit(x, y, false), true);
    return dropValid_ && outsideEditable_;
}

void MouseInput::OutsideDragLeave() {
    dropValid_ = false;
    if (!outsideDrag_)
        return;
    outsideDrag_ = false;
    dropRow_ = dropCol_ = 0;
    EditCaret& caret = core_.GetCaret();
    caret.MoveTo(outsideCaret_.row, outsideCaret_.col);
    caret.Show(false, false);
}

bool MouseInput::OutsideDrop(int x, int y, std::wstring_view text, bool block) {
    if (text.empty() || dragging_ || !OutsideDragOver(x, y)) {
        OutsideDragLeave();
        return false;
    }
    outsideDrag_ = dropValid_ = false;
    dropRow_ = dropCol_ = 0;
    EditCaret& caret = core_.GetCaret();
    caret.GetSelection().Clear(caret.Here());
    return core_.GetEditor().InsertAtCaret(text, block, StepName::kCopy, true);
}

void MouseInput::UpdateTooltip(int x, int y, const HitResult& hit) {
    EditorWindow& window = core_.GetWindow();
    if (!hit.onFoldMarker) {
        if (tooltipShown_)
            window.HideTooltip();
        tooltipShown_ = false;
        hoverX_ = hoverY_ = -1;
        return;
    }
    if (tooltipShown_ && x == hoverX_ && y == hoverY_)
        return;
    const CollapsibleBlock* block = Folds::CollapsedAt(core_.GetBuffer().GetLineMarks(), hit.row);
    if (!block)
        return;
    hoverX_ = x;
    hoverY_ = y;
    tooltipShown_ = true;
    window.ShowTooltip(FoldTooltip::Text(core_.GetBuffer(), *block), x + 18, y + 18);
}

void MouseInput::DoubleClick(int x, int y, const MouseKeys& keys) {
    EditCaret& caret = core_.GetCaret();
    core_.GetWindow().KillTimer(kTrackTimer);
    selecting_ = false;
    leftDragPending_ = false;
    doubleClickAt_ = std::max<uint32_t>(core_.GetWindow().TickCount(), 1);
    pressX_ = x;
    pressY_ = y;
    const HitResult hit = Hit(x, y, false);
    if (hit.onFoldMarker) {
        Folds::Expand(core_.GetBuffer().GetLineMarks(), hit.row);
        // A fold inside the opened one may now hide the caret's row: the caret opens it too.
        caret.MoveTo(caret.GetRow(), caret.GetColumn());
        core_.UpdateScrollBars();
        core_.GetWindow().Invalidate();
    } else if (hit.area == HitArea::kText) {
        const RowColumns::Row text = caret.RowAt(hit.row);
        const CharClass::Range word = CharClass::WordAt(text.text, hit.pos - 1);
        if (!word.IsEmpty()) {
            caret.Select(hit.row, RowColumns::ColumnOf(text, word.start + 1), hit.row,
                         RowColumns::ColumnOf(text, word.end + 1), true);
            caret.Show(true, true);
        }
    }
    Notify(EditNotify::kDoubleClick, x, y, keys);
}

void MouseInput::RightDown(int x, int y, const MouseKeys& keys) {
    EditorWindow& window = core_.GetWindow();
    EditCaret& caret = core_.GetCaret();
    leftDragPending_ = false;
    caret.DropPendingIndent();
    window.KillTimer(kTrackTimer);
    const HitResult hit = Hit(x, y, false);
    pressX_ = x;
    pressY_ = y;
    if (!caret.GetSelection().Contains(hit.row, hit.col)) {
        caret.SetCaretPos(hit.row, hit.col, true, true);
        caret.GetSelection().Clear(caret.Here());
        window.NotifyParent(EditNotify::kBeforeInput, {});
    } else if (dragNotify_) {
        window.NotifyParent(EditNotify::kDragBegins, {});
    } else {
        rightDrag_ = true;
    }
    window.CaptureMouse(true);
    Notify(EditNotify::kRightButtonDown, x, y, keys);
}

void MouseInput::RightUp(int x, int y, const MouseKeys& keys) {
    Notify(EditNotify::kRightButtonUp, x, y, keys);
}

bool MouseInput::Drop(bool copy) {
    if (!dragging_)
        return false;
    const int row = dropRow_, col = dropCol_;
    EndDrag();
    return core_.GetEditor().DropSelection(row, col, copy);
}

void MouseInput::EndDrag() {
    leftDragPending_ = rightDrag_ = dragging_ = dropValid_ = false;
    dropRow_ = dropCol_ = 0;
}

void MouseInput::Cancel() {
    StopSelecting();
    if (dragging_) {
        EditCaret& caret = core_.GetCaret();
        const Point end = caret.GetSelection().GetEnd();
        caret.MoveTo(end.row, end.col);
        caret.Show(false, false);
    }
    EndDrag();
    core_.GetWindow().CaptureMouse(false);
}

MouseCursor MouseInput::CursorAt(int x, int y, bool ctrl, bool inside) {
    if (dragging_)
        return !inside ? MouseCursor::kNo : ctrl ? MouseCursor::kDragCopy : MouseCursor::kDragMove;
    const HitResult hit = Hit(x, y, false);
    switch (hit.area) {
        case HitArea::kSelMargin:
            return MouseCursor::kArrow;
        case HitArea::kLineNumbers:
        case HitArea::kNodeColumn:
            return hit.onNodeBox ? MouseCursor::kArrow : MouseCursor::kRowSelect;
        case HitArea::kText:
            break;
    }
    const bool onSelection = !selecting_ && core_.GetCaret().GetSelection().Contains(hit.row, hit.col);
    return onSelection || rightDrag_ || hit.onFoldMarker ? MouseCursor::kArrow : MouseCursor::kIBeam;
}
