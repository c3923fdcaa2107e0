#include "editor/TextEditor.h"

#include <algorithm>
#include <climits>

#include "buffer/LineReader.h"
#include "editor/EditorCore.h"

bool TextEditor::MayEdit() {
    typing_ = false;
    if (core_.GetWindow().NotifyParent(EditNotify::kReadOnly, {}) != 0)
        return false;
    core_.GetBuffer().CancelParse();
    return true;
}

TextEditor::Change TextEditor::Snapshot() const {
    const CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    return {buffer.GetRowCount(), buffer.GetChangeCount()};
}

void TextEditor::Finish(const Change& change, int firstRow, int lastRow, int flags, bool firstRowMoves) {
    core_.AfterEdit(firstRow, std::max(firstRow, lastRow), flags, change.rowsBefore, firstRowMoves,
                    change.changesBefore);
}

bool TextEditor::Insert(std::wstring_view text, LineCol at, bool canUndo, LineCol& end) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int rows = buffer.GetRowCount();
    const int length = buffer.GetLineTextLength(at.row);
    // Where the new text really begins: blanks or line ends fill the gap up to `at` first.
    LineCol from = at;
    if (at.row > rows)
        from = rows > 0 ? LineCol{rows, buffer.GetLineTextLength(rows) + 1} : LineCol{1, 1};
    else
        from.col = std::min(at.col, length + 1);
    const auto firstLine = static_cast<int>(std::min(text.find_first_of(L"\r\n"), text.size()));
    const int replaced = buffer.GetOverwriteFlag() && at.row <= rows && at.col <= length
                             ? std::min(firstLine, length - at.col + 1)
                             : 0;
    if (!buffer.InsertText(text, at.row, at.col, canUndo, &end))
        return false;
    const LineCol replacedEnd{at.row, at.col + replaced};
    if (replaced > 0)
        buffer.ParserTextChanged(at, replacedEnd, BufferParser::kReplaced);
    if (replaced < static_cast<int>(text.size()))
        buffer.ParserTextChanged(replaced > 0 ? replacedEnd : from, end, BufferParser::kInserted);
    return true;
}

bool TextEditor::Erase(LineCol from, LineCol to, bool canUndo) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int rows = buffer.GetRowCount();
    if (to < from)
        std::swap(from, to);
    if (rows < 1 || from.row < 1 || from.row > rows)
        return false;
    if (to.row > rows)
        to = {rows, buffer.GetLineTextLength(rows) + 1};
    // What the buffer takes out: never past a row's end.
    from.col = std::clamp(from.col, 1, buffer.GetLineTextLength(from.row) + 1);
    to.col = std::clamp(to.col, 1, buffer.GetLineTextLength(to.row) + 1);
    if (!(from < to) || !buffer.DeleteText(from.row, from.col, to.row, to.col, canUndo))
        return false;
    buffer.ParserTextChanged(from, to, BufferParser::kDeleted);
    return true;
}

void TextEditor::NotifyScrolled(int32_t what) {
    core_.GetWindow().NotifyParent(EditNotify::kScrolled, std::span(&what, 1));
}

void TextEditor::NotifyModified() {
    const int32_t modified = core_.GetBuffer().IsModified() ? 1 : 0;
    core_.GetWindow().NotifyParent(EditNotify::kModified, std::span(&modified, 1));
}

void TextEditor::Settle(int32_t scrolled) {
    core_.GetCaret().Show(true, true);
    core_.UpdateScrollBars();
    NotifyScrolled(scrolled);
    NotifyModified();
}

bool TextEditor::RemoveSelection() {
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    if (selection.IsEmpty())
        return false;
    const CQELPenwrightSelection::Range range = selection.Normalized();
    const Change change = Snapshot();
    bool changed = false;
    if (selection.IsBlock()) {
        const CQELPenwrightBufferManager& buffer = core_.GetBuffer();
        const int left = std::min(range.first.col, range.last.col);
        const int right = std::max(range.first.col, range.last.col);
        UndoManager& undo = core_.GetBuffer().GetUndoManager();
        // Within a paste's step the block's rows join that step, which names it.
        const bool ownStep = !undo.IsGroupMode();
        undo.SetGroupMode(true);
        for (int row = range.first.row; row <= range.last.row; ++row)
            changed |= Erase({row, buffer.DisplayColToCharIndex(row, left) + 1},
                             {row, buffer.DisplayColToCharIndex(row, right) + 1}, true);
        if (ownStep) {
            undo.SetGroupMode(false);
            if (changed)
                undo.NameLastCommand(StepName::kDeleteBlock);
        }
        // Columns went from rows; no row went, so the marks stay where they are.
        if (changed)
            Finish(change, range.first.row, range.last.row, 4);
        caret.MoveTo(range.first.row, left);
    } else {
        changed = Erase({range.first.row, range.first.pos}, {range.last.row, range.last.pos}, true);
        if (changed)
            Finish(change, range.first.row, range.last.row, 6);
        caret.MoveToPosition(range.first.row, range.first.pos);
    }
    selection.Clear(caret.Here());
    return changed;
}

bool TextEditor::DeleteSelection() {
    if (core_.GetCaret().GetSelection().IsEmpty() || !MayEdit())
        return false;
    const bool changed = RemoveSelection();
    Settle();
    return changed;
}

bool TextEditor::Copy() {
    const EditCaret& caret = core_.GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    return !selection.IsEmpty() &&
           core_.GetWindow().PutClipboard(caret.GetSelectedText(), selection.IsBlock());
}

bool TextEditor::Cut() {
    // Nothing is deleted that did not reach the clipboard.
    if (core_.GetCaret().GetSelection().IsEmpty() || !MayEdit() || !Copy())
        return false;
    RemoveSelection();
    Settle();
    return true;
}

bool TextEditor::Paste() {
    const std::optional<EditorWindow::ClipboardText> clip = core_.GetWindow().GetClipboard();
    return clip && InsertAtCaret(clip->text, clip->block, StepName::kPaste, false);
}

bool TextEditor::InsertAtCaret(std::wstring_view text, bool block, unsigned stepName, bool select) {
    return MayEdit() && InsertHere(text, block, stepName, select);
}

bool TextEditor::InsertHere(std::wstring_view text, bool block, unsigned stepName, bool select) {
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    UndoManager& undo = buffer.GetUndoManager();
    const OverwriteScope insertMode(core_.GetBuffer(), false);
    undo.SetGroupMode(true);
    RemoveSelection();
    const std::wstring pending = block ? std::wstring() : PendingText();
    LineCol at{caret.GetRow(), pending.empty() ? caret.GetPosition() : 1};
    const int startCol = pending.empty() ? caret.GetColumn() : 1;
    const Change change = Snapshot();
    LineCol end = at;
    bool inserted = false;
    if (block) {
        // Each line into the next row at the same display column, rows made as needed.
        LineReader reader(text);
        int row = at.row;
        for (std::optional<TextLine> line; (line = reader.Next()); ++row) {
            const int rows = buffer.GetRowCount();
            LineCol rowEnd;
            if (row > rows &&
                !Insert(buffer.GetLineEndText(), {rows, buffer.GetLineTextLength(rows) + 1}, true, rowEnd))
                break;
            if (!Insert(line->text, {row, buffer.DisplayColToCharIndex(row, startCol) + 1}, true, end))
                break;
            inserted = true;
        }
    } else {
        inserted = Insert(pending + std::wstring(text), at, true, end);
    }
    undo.SetGroupMode(false);
    if (inserted) {
        undo.NameLastCommand(stepName);
        Finish(change, at.row, end.row, 5);
    }
    caret.MoveToPosition(end.row, end.col);
    if (select && inserted)
        caret.GetSelection().Set({at.row, startCol, at.col}, caret.Here(), block);
    else
        caret.GetSelection().Clear(caret.Here());
    Settle(3);
    return inserted;
}

bool TextEditor::DropSelection(int row, int col, bool copy) {
    EditCaret& caret = core_.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    if (selection.IsEmpty() || row < 1 || selection.Contains(row, col) || !MayEdit())
        return false;
    const std::wstring text = caret.GetSelectedText();
    const bool block = selection.IsBlock();
    const CQELPenwrightSelection::Range range = selection.Normalized();
    row = std::min(row, core_.GetBuffer().GetRowCount());
    UndoManager& undo = core_.GetBuffer().GetUndoManager();
    undo.SetGroupMode(true);
    if (copy) {
        selection.Clear(caret.Here());
    } else {
        // Where the drop point stands once the moved text is gone from before it.
        const int left = std::min(range.first.col, range.last.col);
        const int width = std::abs(range.last.col - range.first.col);
        if (block && row >= range.first.row && row <= range.last.row && col > left)
            col -= width;
        else if (!block && row == range.last.row && col > range.last.col)
            col = (range.first.row == range.last.row ? col - width : col - range.last.col + range.first.col);
        if (!block && row >= range.last.row)
            row -= range.last.row - range.first.row;
        RemoveSelection();
    }
    caret.MoveTo(row, col);
    return InsertHere(text, block, copy ? StepName::kCopy : StepName::kMove, true);
}

bool TextEditor::CanUndo() const {
    return core_.GetBuffer().GetUndoManager().CanUndo();
}

bool TextEditor::CanRedo() const {
    return core_.GetBuffer().GetUndoManager().CanRedo();
}

bool TextEditor::Undo(int count) {
    return Replay(count, false);
}

bool TextEditor::Redo(int count) {
    return Replay(count, true);
}

bool TextEditor::Replay(int count, bool redo) {
    UndoManager& undo = core_.GetBuffer().GetUndoManager();
    if (count < 1 || !(redo ? undo.CanRedo() : undo.CanUndo()) || !MayEdit())
        return false;
    EditCaret& caret = core_.GetCaret();
    caret.GetSelection().Clear(caret.GetSelection().GetEnd());
    caret.DropPendingIndent();
    LineCol first{INT_MAX, INT_MAX};
    for (int i = 0; i < count && (redo ? undo.CanRedo() : undo.CanUndo()); ++i) {
        const Change change = Snapshot();
        LineCol start, end;
        stepCaret_ = {caret.GetRow(), caret.GetPosition()};
        const int flags = redo ? undo.Redo(start, end, this) : undo.Undo(start, end, this);
        if (flags == 0)
            continue;
        Finish(change, start.row, end.row, flags & 7);
        first = std::min(first, start);
    }
    const LineCol to = count > 1 && first.row != INT_MAX ? first : stepCaret_;
    caret.MoveToPosition(to.row, to.col);
    caret.GetSelection().Clear(caret.Here());
    Settle();
    return true;
}

bool TextEditor::SetRowText(int row, std::wstring_view text, bool canUndo) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    if (row < 1 || row > buffer.GetRowCount() || !MayEdit())
        return false;
    const OverwriteScope insertMode(core_.GetBuffer(), false);
    UndoManager& undo = buffer.GetUndoManager();
    const Change change = Snapshot();
    if (canUndo)
        undo.SetGroupMode(true);
    Erase({row, 1}, {row, buffer.GetLineTextLength(row) + 1}, canUndo);
    LineCol end{row, 1};
    const bool inserted = text.empty() || Insert(text, {row, 1}, canUndo, end);
    if (canUndo)
        undo.SetGroupMode(false);
    Finish(change, row, end.row, end.row > row ? 5 : 4);
    core_.GetCaret().Refit();
    NotifyModified();
    return inserted;
}

bool TextEditor::InsertRow(int row, std::wstring_view text, bool canUndo) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int rows = buffer.GetRowCount();
    if (row < 1 || row > rows + 1 || !MayEdit())
        return false;
    const OverwriteScope insertMode(core_.GetBuffer(), false);
    const Change change = Snapshot();
    const std::wstring_view lineEnd = buffer.GetLineEndText();
    LineCol end;
    // A row after the last one begins with the line end that ends the last one.
    const bool appended = row > rows && rows > 0;
    const std::wstring inserted =
        appended ? std::wstring(lineEnd).append(text) : std::wstring(text).append(lineEnd);
    if (!Insert(inserted, appended ? LineCol{rows, buffer.GetLineTextLength(rows) + 1} : LineCol{row, 1},
                canUndo, end))
        return false;
    // The row that stood here moves down with its marks, as under an Enter typed in column 1.
    Finish(change, row, end.row, 1, !appended);
    core_.GetCaret().Refit();
    NotifyModified();
    return true;
}

bool TextEditor::RemoveRow(int row, bool canUndo) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int rows = buffer.GetRowCount();
    if (row < 1 || row > rows || !MayEdit())
        return false;
    const Change change = Snapshot();
    buffer.GetLineMarks().UpdateLineMarks(row, row + 1,
                                          LineMarkAction::RowsRemoved | LineMarkAction::DeleteFirst);
    // The last row takes the line end before it; the only row is emptied.
    const bool changed = row < rows ? Erase({row, 1}, {row + 1, 1}, canUndo)
                         : row > 1  ? Erase({row - 1, buffer.GetLineTextLength(row - 1) + 1},
                                            {row, buffer.GetLineTextLength(row) + 1}, canUndo)
                                    : Erase({1, 1}, {1, buffer.GetLineTextLength(1) + 1}, canUndo);
    if (changed)
        Finish(change, std::max(row - 1, 1), row, 2);
    core_.GetCaret().Refit();
    NotifyModified();
    return changed;
}

void TextEditor::ToggleBookmark(int row) {
    if (row >= 1 && row <= core_.GetBuffer().GetRowCount())
        core_.GetBuffer().GetLineMarks().ToggleMark(row, LineMarkKind::Bookmark);
    core_.GetWindow().Invalidate();
}

void TextEditor::ToggleBreakpoint(int row) {
    if (row >= 1 && row <= core_.GetBuffer().GetRowCount())
        core_.GetBuffer().GetLineMarks().ToggleMark(row, LineMarkKind::Breakpoint);
    core_.GetWindow().Invalidate();
}

bool TextEditor::NextBookmark() {
    return JumpToBookmark(true);
}

bool TextEditor::PreviousBookmark() {
    return JumpToBookmark(false);
}

bool TextEditor::JumpToBookmark(bool forward) {
    const CQELPenwrightLineMarksManager& marks = core_.GetBuffer().GetLineMarks();
    EditCaret& caret = core_.GetCaret();
    const ScreenRowMap map = core_.RowMap();
    const int here = map.VisibleNumber(caret.GetRow());
    // Bookmarks folded into the caret's own visible row are passed over.
    auto find = [&](int from) {
        int row = from;
        while ((forward ? marks.FindNextMark(row, LineMarkKind::Bookmark)
                        : marks.FindPrevMark(row, LineMarkKind::Bookmark)) != 0 &&
               map.VisibleNumber(row) == here)
            row += forward ? 1 : -1;
        return row;
    };
    int row = find(caret.GetRow() + (forward ? 1 : -1));
    if (row < 1)
        row = find(forward ? 1 : core_.GetBuffer().GetRowCount());
    if (row < 1)
        return false;
    caret.MoveTo(row, 1);
    caret.GetSelection().Clear(caret.Here());
    caret.Show(true, true);
    return true;
}
