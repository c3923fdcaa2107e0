// Typed characters: the step they join, auto-indentation after Enter, what Tab and Shift+Tab do,
// and indenting and unindenting rows.
#include <algorithm>
#include <string_view>

#include "editor/EditorCore.h"
#include "editor/Folds.h"
#include "editor/TextEditor.h"

namespace {

constexpr wchar_t kEnter = L'\r';
constexpr wchar_t kCtrlL = 0x0C;
constexpr wchar_t kEscape = 0x1B;

// After these a new undo step begins, so that undo takes back a word or a clause at a time.
bool BreaksStep(wchar_t c) {
    return std::wstring_view(L" [{()}];.,\t\r\n\"").find(c) != std::wstring_view::npos;
}

// The display column of the tab stop after `col`.
int NextTabStop(int col, int tabSize) {
    return col - (col - 1) % tabSize + tabSize;
}

}  // namespace

void TextEditor::OnChar(wchar_t c, KeyModifiers modifiers) {
    core_.GetWindow().NotifyParent(EditNotify::kBeforeInput, {});
    if (c == L'\t' && TabKey(modifiers.shift))
        return;
    if (c == kCtrlL && !modifiers.alt) {
        DeleteRows();
        return;
    }
    if (c == kEscape) {
        CQELPenwrightSelection& selection = core_.GetCaret().GetSelection();
        selection.Clear(selection.GetEnd());
        core_.GetWindow().Invalidate();
        NotifyScrolled(7);
        return;
    }
    // Backspace is a key, not text; Ctrl+letters are commands; other control codes are no text.
    if (c == L'\b' || (modifiers.ctrl && !modifiers.alt) || (c < L' ' && c != L'\t' && c != kEnter))
        return;
    TypeText(c);
}

std::wstring TextEditor::Blanks(int from, int to, bool tabs) const {
    const int tabSize = core_.GetBuffer().GetTabSize();
    std::wstring text;
    int col = from;
    for (; tabs && NextTabStop(col, tabSize) <= to; col = NextTabStop(col, tabSize)) text += L'\t';
    text.append(static_cast<size_t>(std::max(to - col, 0)), L' ');
    return text;
}

std::wstring TextEditor::PendingText() const {
    const std::optional<EditCaret::PendingIndent>& pending = core_.GetCaret().GetPendingIndent();
    if (!pending)
        return {};
    return std::wstring(static_cast<size_t>(pending->tabs), L'\t')
        .append(static_cast<size_t>(pending->spaces), L' ');
}

void TextEditor::TypeText(wchar_t c) {
    EditCaret& caret = core_.GetCaret();
    const bool joins = typing_ && caret.Here() == typedAt_ &&
                       core_.GetBuffer().GetChangeCount() == typedChanges_ && !BreaksStep(c);
    if (!MayEdit())
        return;
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    UndoManager& undo = buffer.GetUndoManager();
    const int tabSize = buffer.GetTabSize();
    const bool tabWithSpace = core_.GetOption(EditorOptions::kTabWithSpace);
    const bool enter = c == kEnter;
    const bool overwrite = caret.IsOverwrite();
    CQELPenwrightSelection& selection = caret.GetSelection();
    const bool replacesSelection = !selection.IsEmpty() && !(overwrite && enter);
    if (replacesSelection) {
        undo.SetGroupMode(true);
        RemoveSelection();
        caret.SetOverwrite(false);
    }
    selection.Clear(caret.Here());

    const int row = caret.GetRow();
    std::wstring pending = PendingText();
    LineCol at{row, pending.empty() ? caret.GetPosition() : 1};
    std::wstring text(1, c);
    int flags = 4;
    bool rowMoves = false;
    EditCaret::PendingIndent indent;  // what Enter leaves pending
    if (enter) {
        Folds::Expand(buffer.GetLineMarks(), row);
        const std::wstring_view line = buffer.GetLineView(row);
        const int length = static_cast<int>(line.size());
        // An Enter past the end breaks the row at its end; no blanks are left behind.
        at.col = std::min(at.col, length + 1);
        rowMoves = at.col == 1 || length == 0;
        flags = rowMoves ? 0x15 : 5;
        text = buffer.GetLineEndText();
        const int col = caret.GetColumn();
        if (core_.GetOption(EditorOptions::kAutoIndent) && col > 1) {
            // The row's leading blanks up to the caret; a blank row is indented as far as the caret.
            const size_t firstText = line.find_first_not_of(L" \t");
            const int blanks = static_cast<int>(std::min(firstText, static_cast<size_t>(at.col - 1)));
            const int width = std::min(firstText == std::wstring_view::npos
                                           ? col - 1
                                           : RowColumns::ColumnOf({line, tabSize, false}, blanks + 1) - 1,
                                       col - 1);
            if (at.col <= length)
                text += Blanks(1, width + 1, !tabWithSpace);
            else
                indent = {0, width, width / tabSize, width % tabSize};
        }
        pending.clear();  // an Enter on a pending row measures it again as blank
    } else if (c == L'\t') {
        const int col = caret.GetColumn();
        const int stop = NextTabStop(col, tabSize);
        if (tabWithSpace) {
            text = Blanks(col, stop, false);
        } else if (pending.empty() && col > 1) {
            // Spaces typed up to here become tabs that reach the same tab stop.
            const std::wstring_view line = buffer.GetLineView(row);
            const int limit = (col - 1) % tabSize == 0 ? tabSize : (col - 1) % tabSize;
            int spaces = 0;
            while (spaces < limit && at.col - 2 - spaces >= 0 &&
                   at.col - 2 - spaces < static_cast<int>(line.size()) &&
                   line[static_cast<size_t>(at.col - 2 - spaces)] == L' ')
                ++spaces;
            if (spaces > 0) {
                const Change change = Snapshot();
                if (Erase({row, at.col - spaces}, at, true)) {
                    undo.NameLastCommand(StepName::kFormat);
                    Finish(change, row, row, 4);
                    at.col -= spaces;
                    text = Blanks(col - spaces, stop, true);
                }
            }
        }
    }
    text.insert(0, pending);

    const Change change = Snapshot();
    LineCol end;
    const bool inserted = Insert(text, at, true, end);
    if (replacesSelection) {
        undo.SetGroupMode(false);
        undo.NameLastCommand(StepName::kTyping);
    } else if (inserted) {
        if (joins && !overwrite)
            undo.MergeLastCommand();
        undo.NameLastCommand(StepName::kTyping);
    }
    caret.SetOverwrite(overwrite);
    if (!inserted) {
        if (replacesSelection)
            Settle();
        return;
    }
    Finish(change, at.row, end.row, flags, rowMoves);
    if (indent.width > 0)
        caret.SetPendingIndent(end.row, indent.width, indent.tabs, indent.spaces);
    else
        caret.MoveToPosition(end.row, end.col);
    Settle();
    typing_ = true;
    typedAt_ = caret.Here();
    typedChanges_ = buffer.GetChangeCount();
}

bool TextEditor::SelectionSpansRows() const {
    const CQELPenwrightSelection& selection = core_.GetCaret().GetSelection();
    if (selection.IsEmpty())
        return false;
    const CQELPenwrightSelection::Range range = selection.Normalized();
    return range.first.row != range.last.row || range.last.row >= core_.GetBuffer().GetRowCount();
}

bool TextEditor::TabKey(bool shift) {
    if (SelectionSpansRows()) {
        if (shift)
            UnindentSelection();
        else
            IndentSelection();
        return true;
    }
    EditCaret& caret = core_.GetCaret();
    const int tabSize = core_.GetBuffer().GetTabSize();
    const int col = caret.GetColumn();
    if (shift) {
        const int stop = tabSize * ((col - 1) / tabSize - ((col - 1) % tabSize == 0 ? 1 : 0)) + 1;
        caret.SetCaretPos(caret.GetRow(), std::max(stop, 1), true, true);
        return true;
    }
    if (caret.IsOverwrite() && caret.GetPosition() <= core_.GetBuffer().GetLineTextLength(caret.GetRow())) {
        caret.SetCaretPos(caret.GetRow(), NextTabStop(col, tabSize), true, true);
        return true;
    }
    return false;
}

void TextEditor::IndentRows(int& first, int& last) const {
    const EditCaret& caret = core_.GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    if (selection.IsEmpty()) {
        first = last = caret.GetRow();
        return;
    }
    const CQELPenwrightSelection::Range range = selection.Normalized();
    first = range.first.row;
    last = range.last.row > first && range.last.col == 1 ? range.last.row - 1 : range.last.row;
}

bool TextEditor::EditIndentedRows(unsigned stepName, const std::function<bool(int row)>& edit) {
    int first = 0, last = 0;
    IndentRows(first, last);
    UndoManager& undo = core_.GetBuffer().GetUndoManager();
    const Change change = Snapshot();
    // A step of its own, even right after typing.
    undo.SetGroupMode(true);
    bool changed = false;
    for (int row = first; row <= last; ++row) changed |= edit(row);
    undo.SetGroupMode(false);
    if (changed) {
        undo.NameLastCommand(stepName);
        Finish(change, first, last, 4);
    }
    EditCaret& caret = core_.GetCaret();
    const int rows = core_.GetBuffer().GetRowCount();
    caret.GetSelection().Clear(caret.Here());
    if (last < rows)
        caret.Select(first, 1, last + 1, 1, true);
    else
        caret.Select(first, 1, rows, RowColumns::EndColumn(caret.RowAt(rows)), true);
    caret.Show(true, true);
    NotifyModified();
    NotifyScrolled(7);
    return changed;
}

bool TextEditor::IndentSelection() {
    if (core_.GetCaret().IsOverwrite() || !MayEdit())
        return false;
    const int tabSize = core_.GetBuffer().GetTabSize();
    const std::wstring indent = core_.GetOption(EditorOptions::kTabWithSpace)
                                    ? std::wstring(static_cast<size_t>(tabSize), L' ')
                                    : std::wstring(1, L'\t');
    return EditIndentedRows(StepName::kIndentation, [&](int row) {
        LineCol end;
        return Insert(indent, {row, 1}, true, end);
    });
}

bool TextEditor::UnindentSelection() {
    if (!MayEdit())
        return false;
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int tabSize = buffer.GetTabSize();
    return EditIndentedRows(StepName::kDecreaseIndent, [&](int row) {
        const std::wstring_view line = buffer.GetLineView(row);
        int n = line.starts_with(L'\t') ? 1 : 0;
        if (n == 0)
            while (n < tabSize && n < static_cast<int>(line.size()) && line[static_cast<size_t>(n)] == L' ')
                ++n;
        return n > 0 && Erase({row, 1}, {row, n + 1}, true);
    });
}
