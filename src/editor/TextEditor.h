#pragma once
// The edits a user or the host makes through the edit control: typing with auto-indentation and
// tabs, indenting, deleting, the clipboard, undo and redo, row operations and bookmarks. Every
// change goes one way (see Change): the parent may refuse it as read-only, the parse in progress
// stops, the parser hears of the changed range, and the marks, caches and parent follow. The
// window layer turns messages into these calls; EditorCore owns one.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "buffer/CaretTarget.h"
#include "buffer/LineCol.h"
#include "editor/CaretKeys.h"
#include "editor/TextSearch.h"

class EditorCore;
class EditCaret;

// Flags of DeleteRange.
namespace DeleteFlag {
inline constexpr int kRepaint = 0x01;
inline constexpr int kBlock = 0x04;           // the same columns from every row
inline constexpr int kDisplayColumns = 0x08;  // columns are display columns, not positions
}  // namespace DeleteFlag

// The names of undo steps (string table ids).
namespace StepName {
inline constexpr unsigned kTyping = 9718;
inline constexpr unsigned kPaste = 9719;
inline constexpr unsigned kMove = 9720;
inline constexpr unsigned kCopy = 9721;
inline constexpr unsigned kIndentation = 9722;
inline constexpr unsigned kDecreaseIndent = 9723;
inline constexpr unsigned kFormat = 9724;
inline constexpr unsigned kReplaceAll = 9727;
inline constexpr unsigned kDeleteBlock = 9729;
}  // namespace StepName

class TextEditor : private CaretTarget {
public:
    explicit TextEditor(EditorCore& core) : core_(core) {}
    TextEditor(const TextEditor&) = delete;
    TextEditor& operator=(const TextEditor&) = delete;

    // A typed character (WM_CHAR), Tab, Enter, Escape and Ctrl+L included.
    void OnChar(wchar_t c, KeyModifiers modifiers);
    // The Delete and Backspace keys; with Ctrl to the word boundary.
    bool DeleteKey(bool ctrl);
    bool BackspaceKey(bool ctrl);
    // Any key but a typed character ends the step that typing adds to.
    void CloseTypingGroup() { typing_ = false; }

    bool IndentSelection();
    bool UnindentSelection();
    // Deletes between two (row, column) points as DeleteFlag says; the caret goes to the start.
    bool DeleteRange(LineCol start, LineCol end, int flags);
    bool DeleteSelection();
    // The caret's row or the selected rows, with their marks (Ctrl+L).
    bool DeleteRows();

    bool Copy();
    bool Cut();
    bool Paste();
    // Inserts `text` at the caret in place of the selection, as a paste does (a column block with
    // `block`): never overwriting, tabs kept. The inserted text is selected with `select`.
    bool InsertAtCaret(std::wstring_view text, bool block, unsigned stepName, bool select);
    // Moves (or copies) the selected text to (row, display column), outside the selection, as
    // one step; the text is selected where it landed.
    bool DropSelection(int row, int col, bool copy);

    bool CanUndo() const;
    bool CanRedo() const;
    bool Undo(int count = 1);
    bool Redo(int count = 1);

    // The host's row operations; `canUndo` records them as steps.
    bool SetRowText(int row, std::wstring_view text, bool canUndo);
    bool InsertRow(int row, std::wstring_view text, bool canUndo);
    bool RemoveRow(int row, bool canUndo);

    void ToggleBookmark(int row);
    void ToggleBreakpoint(int row);
    // To the next (previous) bookmark in another visible row, wrapping around the text.
    bool NextBookmark();
    bool PreviousBookmark();

    // Find and replace (FindReplace.cpp). Find searches from (startRow, startPos), or, given -1,
    // from the caret or past the selection in the search's direction; a match is selected and
    // shown, the caret at its end. Nothing is found in an empty text or past either end.
    std::optional<SearchHit> Find(std::wstring_view text, const SearchOptions& options, bool repaint,
                                  int startRow = -1, int startPos = -1);
    // The selection replaced as a paste replaces it.
    bool ReplaceSelection(std::wstring_view text);
    // Every match from the top replaced, the search going on after each replacement, as one
    // "Replace all" step; the view and the caret stay. The number replaced. With `regex`, `find`
    // is a regular expression and `replace` may refer to its groups.
    // With `inSelection` only the matches within the selection (stream or block) are replaced,
    // and the selection afterwards covers what became of it.
    int ReplaceAll(std::wstring_view find, std::wstring_view replace, bool wholeWord, bool matchCase,
                   bool regex = false, bool inSelection = false);
    // How many matches replace all would meet in the text or the selection. `error`, when given,
    // receives why the search cannot begin (nothing to search for, an expression that does not
    // compile), or nothing.
    int CountMatches(std::wstring_view text, const SearchOptions& options, bool inSelection,
                     std::wstring* error = nullptr);

private:
    // One change of the text as the parent sees it: the rows and change count before it, so
    // that afterwards the marks, the row cache and the layout follow what really changed.
    struct Change {
        int rowsBefore = 0;
        uint64_t changesBefore = 0;
    };
    // Asks the parent (-951); false when the text is read-only. Stops the parse in progress.
    bool MayEdit();
    Change Snapshot() const;
    // The parent hears of rows firstRow..lastRow (-950 with `flags`); marks move with the rows.
    void Finish(const Change& change, int firstRow, int lastRow, int flags, bool firstRowMoves = false);
    // The buffer's edits, each told to the parser. Insert honours overwrite mode; `end` receives
    // the position after the text. False when the buffer refused (nothing changed).
    bool Insert(std::wstring_view text, LineCol at, bool canUndo, LineCol& end);
    bool Erase(LineCol from, LineCol to, bool canUndo);
    // Deletes the selection, the caret at its start; no question asked, nothing settled.
    bool RemoveSelection();
    // Delete (`forward`) and Backspace: a selection goes first; with Ctrl to the word boundary.
    bool DeleteKeys(bool ctrl, bool forward);
    bool DeleteNext();
    bool DeleteBefore();
    bool DeleteToWord(bool forward);
    // After an edit: the caret shown and told, the scroll bars, a repaint, the scrolled
    // notification (7: everything, 3: the view) and the modified one.
    void Settle(int32_t scrolled = 7);
    void NotifyScrolled(int32_t what);
    void NotifyModified();

    bool InsertHere(std::wstring_view text, bool block, unsigned stepName, bool select);
    // Replace all's loops: a replacement that adds rows moves the marks below it, each its own
    // change; replacements within rows are told to the parser as one change.
    // The selection as a scope: its end follows the replacements made in it (FindReplace.cpp).
    struct ReplaceScope;
    ReplaceScope ScopeOfSelection() const;
    // The scope's characters in each row, read from `scope` as replacements move its end.
    void SpanOf(ReplaceScope& scope) const;
    int ReplaceEach(const TextSearch& search, std::wstring_view replace, ReplaceScope* scope);
    int ReplaceWithinRows(const TextSearch& search, std::wstring_view replace, ReplaceScope* scope);
    bool Replay(int count, bool redo);
    bool JumpToBookmark(bool forward);

    // Typing (Typing.cpp).
    void TypeText(wchar_t c);
    bool TabKey(bool shift);
    // Tabs (when `tabs`) and spaces that reach display column `to` from `from` on a row.
    std::wstring Blanks(int from, int to, bool tabs) const;
    std::wstring PendingText() const;
    // Whether the selection counts for Tab: one within a single row other than the last does not.
    bool SelectionSpansRows() const;
    // Rows that indenting and unindenting work on: the selection's, without a last row whose
    // selected part ends in column 1; the caret's row without a selection.
    void IndentRows(int& first, int& last) const;
    // Edits each of those rows in one undo step named `stepName` and selects them whole.
    bool EditIndentedRows(unsigned stepName, const std::function<bool(int row)>& edit);

    // CaretTarget: where an undo or redo step leaves the caret.
    void SetCaretPos(const LineCol& pos) override { stepCaret_ = pos; }

    EditorCore& core_;
    // Where typing left the caret and the buffer's change count then: the next character joins
    // that step only when neither moved since.
    bool typing_ = false;
    CQELPenwrightSelection::Point typedAt_;
    uint64_t typedChanges_ = 0;
    LineCol stepCaret_;
};
