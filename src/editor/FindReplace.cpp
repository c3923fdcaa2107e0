// The control's find, replace and replace all.
#include <algorithm>
#include <climits>
#include <optional>

#include "editor/EditorCore.h"
#include "editor/TextEditor.h"

std::optional<SearchHit> TextEditor::Find(std::wstring_view text, const SearchOptions& options, bool repaint,
                                          int startRow, int startPos) {
    EditCaret& caret = core_.GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    // Past the selection, so that the next search does not find the same match again.
    CQELPenwrightSelection::Point from = caret.Here();
    if (!selection.IsEmpty()) {
        const CQELPenwrightSelection::Range range = selection.Normalized();
        from = options.down ? range.last : range.first;
    }
    const int row = startRow != -1 ? startRow : from.row;
    const int pos = startPos != -1 ? startPos : from.pos;
    const std::optional<SearchHit> hit = TextSearch(text, options).Find(core_.GetBuffer(), row, pos);
    if (!hit)
        return std::nullopt;
    // A match off the page shows with room on the side the search goes on to.
    const int top = core_.GetTopRow();
    const int page = std::max(core_.RowsPerPage(), 1);
    if (hit->row >= top + page)
        core_.SetTopRow(hit->row - page / 3);
    else if (hit->row < top)
        core_.SetTopRow(hit->row - 2 * page / 3);
    caret.MoveToPosition(hit->row, hit->col);  // a fold around the match opens
    const CQELPenwrightSelection::Point start = caret.Here();
    caret.MoveToPosition(hit->row, hit->col + hit->length);
    caret.GetSelection().Set(start, caret.Here(), false);
    caret.Show(true, true);
    if (repaint)
        core_.GetWindow().Invalidate();
    return hit;
}

struct TextEditor::ReplaceScope {
    SearchBounds bounds;
    CQELPenwrightSelection::Point start;
    LineCol end;  // a stream's end position
    bool block = false;
    int left = 0, right = 0;  // a block's display columns

    // A match of `length` characters at `at` became text that ends at `after`: what follows it
    // in the scope moves with it.
    void Replaced(LineCol at, int length, LineCol after) {
        if (!block && at.row == end.row)
            end = {after.row, after.col + end.col - (at.col + length)};
        else
            end.row += after.row - at.row;
        bounds.lastRow = end.row;
    }
};

TextEditor::ReplaceScope TextEditor::ScopeOfSelection() const {
    const CQELPenwrightSelection& selection = core_.GetCaret().GetSelection();
    const CQELPenwrightSelection::Range range = selection.Normalized();
    ReplaceScope scope;
    scope.start = range.first;
    scope.end = {range.last.row, range.last.pos};
    scope.block = selection.IsBlock();
    scope.left = std::min(range.first.col, range.last.col);
    scope.right = std::max(range.first.col, range.last.col);
    scope.bounds.firstRow = range.first.row;
    scope.bounds.lastRow = range.last.row;
    return scope;
}

bool TextEditor::ReplaceSelection(std::wstring_view text) {
    return InsertAtCaret(text, false, StepName::kPaste, false);
}

int TextEditor::ReplaceEach(const TextSearch& search, std::wstring_view replace, ReplaceScope* scope) {
    Change change = Snapshot();
    int count = 0;
    const SearchBounds* within = scope ? &scope->bounds : nullptr;
    search.ForEachMatch(core_.GetBuffer(), within, [&](const SearchHit& hit) -> std::optional<LineCol> {
        const std::wstring text = search.Replacement(core_.GetBuffer(), hit, replace);
        const LineCol start{hit.row, hit.col};
        if (!Erase(start, {hit.row, hit.col + hit.length}, true))
            return std::nullopt;
        // Counted once the match is gone, even when the buffer refuses the new text.
        ++count;
        LineCol at = start;
        const bool inserted = text.empty() || Insert(text, start, true, at);
        if (scope)
            scope->Replaced(start, hit.length, at);
        Finish(change, start.row, at.row, 5);
        change = Snapshot();
        return inserted ? std::optional(at) : std::nullopt;
    });
    return count;
}

int TextEditor::ReplaceWithinRows(const TextSearch& search, std::wstring_view replace, ReplaceScope* scope) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const Change change = Snapshot();
    int count = 0;
    LineCol first, lastOld, lastNew;
    int shift = 0;  // what the replacements before on the same row added to it
    const SearchBounds* within = scope ? &scope->bounds : nullptr;
    search.ForEachMatch(buffer, within, [&](const SearchHit& hit) -> std::optional<LineCol> {
        const std::wstring text = search.Replacement(buffer, hit, replace);
        if (!buffer.DeleteText(hit.row, hit.col, hit.row, hit.col + hit.length, true))
            return std::nullopt;
        ++count;
        if (hit.row != lastNew.row)
            shift = 0;
        first = count == 1 ? LineCol{hit.row, hit.col} : first;
        lastOld = {hit.row, hit.col - shift + hit.length};
        LineCol at{hit.row, hit.col};
        const bool inserted = text.empty() || buffer.InsertText(text, hit.row, hit.col, true, &at);
        shift += at.col - hit.col - hit.length;
        lastNew = at;
        if (scope)
            scope->Replaced({hit.row, hit.col}, hit.length, at);
        return inserted ? std::optional(at) : std::nullopt;
    });
    if (count == 0)
        return 0;
    // One change from the first match to the end of the last for the parser, which then
    // reparses that stretch once rather than queueing a range for every replacement.
    buffer.ParserTextChanged(first, lastOld, BufferParser::kDeleted);
    buffer.ParserTextChanged(first, lastNew, BufferParser::kInserted);
    Finish(change, first.row, lastNew.row, 4);
    return count;
}

void TextEditor::SpanOf(ReplaceScope& scope) const {
    const CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    if (scope.block)
        scope.bounds.span = [&buffer, &scope](int row) {
            return std::pair(buffer.DisplayColToCharIndex(row, scope.left),
                             buffer.DisplayColToCharIndex(row, scope.right));
        };
    else
        scope.bounds.span = [&scope](int row) {
            return std::pair(row == scope.start.row ? scope.start.pos - 1 : 0,
                             row == scope.end.row ? scope.end.col - 1 : INT_MAX);
        };
}

int TextEditor::CountMatches(std::wstring_view text, const SearchOptions& options, bool inSelection,
                             std::wstring* error) {
    const TextSearch search(text, options);
    if (error)
        *error = search.Error();
    if (!inSelection)
        return search.Count(core_.GetBuffer());
    if (core_.GetCaret().GetSelection().IsEmpty())
        return 0;
    ReplaceScope scope = ScopeOfSelection();
    SpanOf(scope);
    return search.Count(core_.GetBuffer(), &scope.bounds);
}

int TextEditor::ReplaceAll(std::wstring_view find, std::wstring_view replace, bool wholeWord, bool matchCase,
                           bool regex, bool inSelection) {
    if (find.empty() || (inSelection && core_.GetCaret().GetSelection().IsEmpty()) || !MayEdit())
        return 0;
    std::optional<ReplaceScope> scope;
    if (inSelection) {
        scope = ScopeOfSelection();
        SpanOf(*scope);
    }
    EditCaret& caret = core_.GetCaret();
    caret.DropPendingIndent();
    const int top = core_.GetTopRow();
    const CQELPenwrightSelection::Point here = caret.Here();
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const TextSearch search(find, {wholeWord, matchCase, true, regex});
    // An expression's replacement may make a line break out of an escape.
    const bool addsRows = replace.find_first_of(regex ? L"\r\n\\" : L"\r\n") != std::wstring_view::npos;
    const OverwriteScope insertMode(buffer, false);
    UndoManager& undo = buffer.GetUndoManager();
    undo.SetGroupMode(true);
    ReplaceScope* within = scope ? &*scope : nullptr;
    const int count =
        addsRows ? ReplaceEach(search, replace, within) : ReplaceWithinRows(search, replace, within);
    undo.SetGroupMode(false);
    if (count > 0)
        undo.NameLastCommand(StepName::kReplaceAll);
    // The view and the caret where they were, whatever the replacements scrolled.
    core_.SetTopRow(top);
    if (scope && scope->block) {
        caret.Select(scope->start.row, scope->left, scope->end.row, scope->right, false);
        CQELPenwrightSelection& selection = caret.GetSelection();
        selection.Set(selection.GetStart(), selection.GetEnd(), true);
    } else if (scope) {
        caret.MoveToPosition(scope->start.row, scope->start.pos);
        const CQELPenwrightSelection::Point start = caret.Here();
        caret.MoveToPosition(scope->end.row, scope->end.col);
        caret.GetSelection().Set(start, caret.Here(), false);
    } else {
        caret.MoveTo(here.row, here.col);
        caret.GetSelection().Clear(caret.Here());
    }
    caret.Show(false, true);
    core_.UpdateScrollBars();
    NotifyScrolled(7);
    NotifyModified();
    return count;
}
