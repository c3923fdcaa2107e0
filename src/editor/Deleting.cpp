// Delete and Backspace, with and without Ctrl, deleting a range and deleting whole rows.
#include <algorithm>

#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "editor/Folds.h"
#include "editor/TextEditor.h"

bool TextEditor::DeleteKey(bool ctrl) {
    return DeleteKeys(ctrl, true);
}

bool TextEditor::BackspaceKey(bool ctrl) {
    return DeleteKeys(ctrl, false);
}

bool TextEditor::DeleteKeys(bool ctrl, bool forward) {
    if (!core_.GetCaret().GetSelection().IsEmpty() && !ctrl)
        return DeleteSelection();
    if (!MayEdit())
        return false;
    if (ctrl)
        return DeleteToWord(forward);
    return forward ? DeleteNext() : DeleteBefore();
}

bool TextEditor::DeleteNext() {
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    UndoManager& undo = buffer.GetUndoManager();
    const int row = caret.GetRow();
    // The character at a fold's marker is the fold's own first one: open it to delete it.
    if (caret.GetPosition() > static_cast<int>(caret.RowAt(row).text.size()))
        Folds::Expand(buffer.GetLineMarks(), row);
    const std::wstring pending = PendingText();
    const int col = caret.GetColumn();
    const Change change = Snapshot();
    undo.SetGroupMode(true);
    LineCol at{row, caret.GetPosition()};
    if (!pending.empty() && Insert(pending, {row, 1}, true, at))
        Finish(change, row, row, 4);
    const std::wstring_view line = buffer.GetLineView(row);
    const int length = static_cast<int>(line.size());
    bool changed = false;
    if (at.col <= length) {
        const Change erase = Snapshot();
        changed = Erase(at, {row, CharClass::Next(line, at.col - 1) + 1}, true);
        if (changed)
            Finish(erase, row, row, 4);
    } else if (row < buffer.GetRowCount()) {
        // In virtual space the gap is filled first, so that the joined row lands at the caret.
        const int end = RowColumns::EndColumn({line, buffer.GetTabSize(), false});
        if (pending.empty() && col > end) {
            const Change fill = Snapshot();
            LineCol filled;
            if (Insert(Blanks(end, col, !core_.GetOption(EditorOptions::kTabWithSpace)), {row, length + 1},
                       true, filled))
                Finish(fill, row, row, 4);
        }
        const Change join = Snapshot();
        const int joinAt = buffer.GetLineTextLength(row) + 1;
        changed = Erase({row, joinAt}, {row + 1, 1}, true);
        if (changed)
            Finish(join, row, row + 1, 6);
        at.col = joinAt;
    }
    undo.SetGroupMode(false);
    if (!changed && pending.empty())
        return false;
    caret.MoveToPosition(row, at.col);
    Settle();
    return true;
}

bool TextEditor::DeleteBefore() {
    EditCaret& caret = core_.GetCaret();
    const int row = caret.GetRow();
    // A pending indentation gives back a space, else a tab, without touching the text.
    if (const std::optional<EditCaret::PendingIndent> pending = caret.GetPendingIndent()) {
        EditCaret::PendingIndent less = *pending;
        if (less.spaces > 0)
            --less.spaces;
        else
            --less.tabs;
        less.width = less.tabs * core_.GetBuffer().GetTabSize() + less.spaces;
        caret.SetPendingIndent(row, less.width, less.tabs, less.spaces);
        caret.Show(true, true);
        return true;
    }
    const RowColumns::Row shown = caret.RowAt(row);
    if (caret.GetColumn() > RowColumns::EndColumn(shown)) {
        caret.SetCaretPos(row, caret.GetColumn() - 1, true, true);  // in virtual space
        return true;
    }
    const Change change = Snapshot();
    LineCol to{row, caret.GetPosition()};
    if (to.col > 1) {
        const int before = CharClass::Previous(shown.text, to.col - 1) + 1;
        if (!Erase({row, before}, to, true))
            return false;
        Finish(change, row, row, 4);
        caret.MoveToPosition(row, before);
    } else if (row > 1) {
        // Onto the end of the row above, opening a fold that ends there.
        const int joinAt = core_.GetBuffer().GetLineTextLength(row - 1) + 1;
        caret.MoveToPosition(row - 1, joinAt);
        if (!Erase({row - 1, joinAt}, to, true))
            return false;
        Finish(change, row - 1, row, 6);
        caret.MoveToPosition(row - 1, joinAt);
    } else {
        return false;
    }
    Settle();
    return true;
}

bool TextEditor::DeleteToWord(bool forward) {
    EditCaret& caret = core_.GetCaret();
    UndoManager& undo = core_.GetBuffer().GetUndoManager();
    undo.SetGroupMode(true);
    bool changed = RemoveSelection();
    const CQELPenwrightSelection::Point here = caret.Here();
    const CQELPenwrightSelection::Point to = CaretKeys::WordBoundary(core_, forward);
    const Change change = Snapshot();
    if (Erase({here.row, here.pos}, {to.row, to.pos}, true)) {
        changed = true;
        const int first = std::min(here.row, to.row);
        const int last = std::max(here.row, to.row);
        Finish(change, first, last, first == last ? 4 : 6);
    }
    undo.SetGroupMode(false);
    if (!changed)
        return false;
    caret.MoveToPosition(forward ? here.row : to.row, forward ? here.pos : to.pos);
    caret.GetSelection().Clear(caret.Here());
    Settle();
    return true;
}

bool TextEditor::DeleteRange(LineCol start, LineCol end, int flags) {
    if (!MayEdit())
        return false;
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    if (end < start)
        std::swap(start, end);
    const int rows = buffer.GetRowCount();
    if (start.row < 1 || start.row > rows)
        return false;
    end.row = std::min(end.row, rows);
    const bool display = flags & DeleteFlag::kDisplayColumns;
    auto position = [&](int row, int col) {
        return display ? buffer.DisplayColToCharIndex(row, col) + 1 : col;
    };
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    if (flags & DeleteFlag::kBlock) {
        // The block's display columns, as the selection that holds them.
        const auto column = [&](int row, int col) {
            return display ? col : buffer.CharIndexToDisplayCol(row, std::max(col, 1) - 1);
        };
        const CQELPenwrightSelection::Point a{start.row, column(start.row, start.col), 1};
        const CQELPenwrightSelection::Point b{end.row, column(end.row, end.col), 1};
        selection.Set(a, b, true);
    } else {
        // The positions decide what goes; the columns are where the caret stays.
        selection.Set({start.row, buffer.CharIndexToDisplayCol(start.row, position(start.row, start.col) - 1),
                       position(start.row, start.col)},
                      {end.row, buffer.CharIndexToDisplayCol(end.row, position(end.row, end.col) - 1),
                       position(end.row, end.col)},
                      false);
    }
    const bool changed = RemoveSelection();
    Settle();
    if (flags & DeleteFlag::kRepaint)
        core_.GetWindow().UpdateNow();
    return changed;
}

bool TextEditor::DeleteRows() {
    if (!MayEdit())
        return false;
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    EditCaret& caret = core_.GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    const CQELPenwrightSelection::Range range = selection.Normalized();
    const int first = selection.IsEmpty() ? caret.GetRow() : range.first.row;
    int last = selection.IsEmpty() ? caret.GetRow() : range.last.row;
    const int rows = buffer.GetRowCount();
    LineCol to{last + 1, 1};
    int action = LineMarkAction::RowsRemoved | LineMarkAction::DeleteFirst;
    if (last >= rows) {
        // The last row keeps its place, emptied: the text ends with it.
        last = rows;
        to = {rows, buffer.GetLineTextLength(rows) + 1};
        action |= LineMarkAction::DeleteSecond;
        if (first == rows && to.col == 1)
            return false;
    }
    const Change change = Snapshot();
    buffer.GetLineMarks().UpdateLineMarks(first, last + 1, action);
    if (Erase({first, 1}, to, true))
        Finish(change, first, last, 6);
    caret.MoveTo(first, 1);
    caret.GetSelection().Clear(caret.Here());
    Settle();
    return true;
}
