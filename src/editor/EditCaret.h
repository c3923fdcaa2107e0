#pragma once
// Where the caret stands and what is selected. The caret is a row, a string position and a
// display column, kept in step through the row's text as the editor shows it (a folded row ends
// where its fold starts). It never rests inside a folded block: putting it there expands the
// block. EditorCore owns one; keys, the mouse and the host move it through here.
#include <optional>
#include <string_view>

#include "editor/RowColumns.h"
#include "editor/RowSelection.h"
#include "editor/Selection.h"

class EditorCore;

class EditCaret {
public:
    using Point = CQELPenwrightSelection::Point;

    explicit EditCaret(EditorCore& core) : core_(core) {}
    EditCaret(const EditCaret&) = delete;
    EditCaret& operator=(const EditCaret&) = delete;

    int GetRow() const { return here_.row; }
    int GetPosition() const { return here_.pos; }
    int GetColumn() const { return here_.col; }
    const Point& Here() const { return here_; }

    // Overwrite mode belongs to the buffer: every control showing it types the same way.
    bool IsOverwrite() const;
    void SetOverwrite(bool on);
    // The Insert key: the parent hears of it first; the caret takes its new shape.
    void ToggleOverwrite();

    // A row's text as shown, with the tab size and whether the caret may go past its end
    // (virtual space, never on a folded row: its fold's marker stands there).
    RowColumns::Row RowAt(int row) const;

    // Puts the caret at (row, display column) and shows it: clamped into the text (past the
    // last row is the end of the last row), folds around it expanded, the column snapped to a
    // place a caret may stand. With `ensureVisible` the view scrolls to it; with `notify` the
    // parent hears of the move. Forgets the column that Up and Down keep.
    void SetCaretPos(int row, int col, bool ensureVisible, bool notify);
    // The first half of that: the caret moves, but nothing scrolls, repaints or is told.
    void MoveTo(int row, int col);
    // The caret at a string position of the row's whole text (an undo, the host), the fold
    // around it expanded.
    void MoveToPosition(int row, int pos);
    // The second half: scroll to the caret when asked, put the window's caret there, tell the
    // parent when asked, repaint.
    void Show(bool ensureVisible, bool notify);
    // After the tab size or "VirtualSpace" changed: the column again from the string position,
    // within what the row now allows.
    void Refit();
    // Scrolls the fewest rows, and horizontally with some room, so that the caret shows.
    void EnsureVisible();

    // The display column Up and Down aim at through rows too short for it; 0 when none.
    int GetStickyColumn() const { return sticky_; }
    void SetStickyColumn(int col) { sticky_ = col; }

    // The indentation an Enter at a row's end leaves to be typed: the caret stands at its width
    // on the new empty row, and what is typed there first inserts it. Any caret move drops it.
    struct PendingIndent {
        int row = 0;
        int width = 0;  // display columns
        int tabs = 0;
        int spaces = 0;
    };
    const std::optional<PendingIndent>& GetPendingIndent() const { return pending_; }
    // Puts the caret at column `width` + 1 of `row` with that indentation pending.
    void SetPendingIndent(int row, int width, int tabs, int spaces);
    void DropPendingIndent() { pending_.reset(); }

    CQELPenwrightSelection& GetSelection() { return selection_; }
    const CQELPenwrightSelection& GetSelection() const { return selection_; }
    // Selects between two (row, display column) points and puts the caret at the end; false,
    // with nothing changed, when a row is outside the text.
    bool Select(int startRow, int startCol, int endRow, int endCol, bool repaint);
    // Everything, the caret at the end of the text, shown and told.
    void SelectAll();
    std::wstring GetSelectedText() const;
    // What a row has selected, for painting.
    RowSelection SelectionOfRow(int row) const;

private:
    // (row, col) put in the text with the folds around it expanded; the row and column only.
    Point Clamp(int row, int col);
    Point PointAt(int row, int col) const;

    EditorCore& core_;
    Point here_;
    int sticky_ = 0;
    std::optional<PendingIndent> pending_;
    // What the last Show left painted: the caret's row and whether a selection showed.
    int shownRow_ = 1;
    bool shownSelected_ = true;
    CQELPenwrightSelection selection_;
};
