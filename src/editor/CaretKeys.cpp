#include "editor/CaretKeys.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string_view>

#include "editor/CharClass.h"
#include "editor/EditorCore.h"

namespace {

using Point = CQELPenwrightSelection::Point;
using CharClass::Kind;

struct Place {
    int row;
    int col;
};

// The text as it shows, one character at a time: the visible rows, each ending where its fold
// starts, joined by line ends. Word walks go through here, so they never land in a fold.
class VisibleWalk {
public:
    VisibleWalk(const EditCaret& caret, const ScreenRowMap& map, const Point& from)
        : caret_(caret), map_(map), row_(from.row), text_(caret.RowAt(from.row).text) {
        index_ = std::min(from.pos - 1, Length());
    }
    // The character before / at the walk, a line end between rows, -1 at the ends of the text.
    int Before() const { return index_ > 0 ? text_[index_ - 1] : row_ > 1 ? L'\n' : -1; }
    int At() const { return index_ < Length() ? text_[index_] : map_.Step(row_, 1) != row_ ? L'\n' : -1; }
    void Back() {
        if (index_ > 0) {
            --index_;
            return;
        }
        row_ = map_.Step(row_, -1);
        text_ = caret_.RowAt(row_).text;
        index_ = Length();
    }
    void Forward() {
        if (index_ < Length()) {
            ++index_;
            return;
        }
        row_ = map_.Step(row_, 1);
        text_ = caret_.RowAt(row_).text;
        index_ = 0;
    }
    bool AtRowStart() const { return index_ == 0; }
    Place Here() const { return {row_, RowColumns::ColumnOf(caret_.RowAt(row_), index_ + 1)}; }

private:
    int Length() const { return static_cast<int>(text_.size()); }

    const EditCaret& caret_;
    const ScreenRowMap& map_;
    int row_;
    std::wstring_view text_;
    int index_ = 0;
};

bool IsSpace(int c) {
    return CharClass::Of(static_cast<wchar_t>(c)) == Kind::kBlank;
}
bool IsLineEnd(int c) {
    return CharClass::Of(static_cast<wchar_t>(c)) == Kind::kLineEnd;
}

// To the start of the previous word. Blanks before the caret are passed over to the row's start
// at most; a row start goes back over line ends and blanks to the end of the text before them.
Place WordLeft(VisibleWalk walk) {
    int c = walk.Before();
    if (c < 0)
        return walk.Here();
    if (IsSpace(c) || IsLineEnd(c)) {
        const bool blankFirst = IsSpace(c);
        while ((c = walk.Before()) >= 0 && (IsSpace(c) || (!blankFirst && IsLineEnd(c)))) walk.Back();
        if (!blankFirst || walk.AtRowStart() || c < 0)
            return walk.Here();
    }
    const Kind kind = CharClass::Of(static_cast<wchar_t>(c));
    while ((c = walk.Before()) >= 0 && CharClass::Of(static_cast<wchar_t>(c)) == kind) walk.Back();
    return walk.Here();
}

// To the end of the word at the caret, or over blanks and line ends to the next word.
Place WordRight(VisibleWalk walk) {
    int c = walk.At();
    if (c < 0)
        return walk.Here();
    if (IsSpace(c) || IsLineEnd(c)) {
        while ((c = walk.At()) >= 0 && (IsSpace(c) || IsLineEnd(c))) walk.Forward();
        return walk.Here();
    }
    const Kind kind = CharClass::Of(static_cast<wchar_t>(c));
    while ((c = walk.At()) >= 0 && CharClass::Of(static_cast<wchar_t>(c)) == kind) walk.Forward();
    return walk.Here();
}

bool IsVertical(CaretKey key) {
    return key == CaretKey::kUp || key == CaretKey::kDown || key == CaretKey::kPageUp ||
           key == CaretKey::kPageDown;
}

class Mover {
public:
    Mover(EditorCore& core, const Point& from, int goal)
        : core_(core), caret_(core.GetCaret()), map_(core.RowMap()), from_(from), goal_(goal) {}

    Place Target(CaretKey key, bool ctrl) {
        const RowColumns::Row text = caret_.RowAt(from_.row);
        const int page = std::max(core_.RowsPerPage(), 1);
        switch (key) {
            case CaretKey::kLeft:
                return ctrl ? WordLeft(VisibleWalk(caret_, map_, from_)) : Left(text);
            case CaretKey::kRight:
                return ctrl ? WordRight(VisibleWalk(caret_, map_, from_)) : Right(text);
            case CaretKey::kUp:
                return ctrl ? ScrollView(-1, page) : AtGoal(map_.Step(from_.row, -1));
            case CaretKey::kDown:
                return ctrl ? ScrollView(1, page) : AtGoal(map_.Step(from_.row, 1));
            case CaretKey::kPageUp:
                return PageUp(page);
            case CaretKey::kPageDown:
                return PageDown(page);
            case CaretKey::kHome:
                return ctrl ? Place{1, 1} : Home(text);
            case CaretKey::kEnd:
                // Past the last row is the end of the text.
                return ctrl ? Place{INT_MAX, 1} : Place{from_.row, RowColumns::EndColumn(text)};
        }
        return {from_.row, from_.col};
    }

private:
    // The sticky column as far as the row allows: a folded row ends at its fold, whatever the
    // column, so that passing it by does not open it.
    Place AtGoal(int row) const { return {row, RowColumns::Snap(caret_.RowAt(row), goal_)}; }
    Place Left(const RowColumns::Row& text) const {
        if (from_.col > RowColumns::EndColumn(text))
            return {from_.row, from_.col - 1};  // in virtual space
        if (from_.pos > 1)
            return {from_.row, RowColumns::ColumnOf(text, CharClass::Previous(text.text, from_.pos - 1) + 1)};
        if (core_.GetOption(EditorOptions::kVirtualSpace) || from_.row <= 1)
            return {from_.row, 1};
        const int above = map_.Step(from_.row, -1);
        return {above, RowColumns::EndColumn(caret_.RowAt(above))};
    }
    Place Right(const RowColumns::Row& text) const {
        if (from_.pos <= static_cast<int>(text.text.size()))
            return {from_.row, RowColumns::ColumnOf(text, CharClass::Next(text.text, from_.pos - 1) + 1)};
        if (text.virtualSpace)
            return {from_.row, from_.col < INT_MAX ? from_.col + 1 : from_.col};  // the snap bounds it
        const int below = map_.Step(from_.row, 1);
        return below != from_.row ? Place{below, 1} : Place{from_.row, from_.col};
    }
    Place Home(const RowColumns::Row& text) const {
        const size_t first = text.text.find_first_not_of(L" \t");
        const int indent = RowColumns::ColumnOf(text, first == std::wstring_view::npos
                                                          ? static_cast<int>(text.text.size()) + 1
                                                          : static_cast<int>(first) + 1);
        return {from_.row, from_.col == indent ? 1 : indent};
    }
    // Ctrl+Up/Down: the view moves a row; the caret only as far as it must to stay on the page.
    Place ScrollView(int rows, int page) {
        core_.SetTopRow(map_.Step(core_.GetTopRow(), rows));
        const int top = core_.GetTopRow();
        const int screen = map_.DocToScreenRow(top, from_.row);
        if (screen < 1)
            return AtGoal(top);
        return AtGoal(screen > page ? map_.ScreenToDocRow(top, page) : from_.row);
    }
    Place PageUp(int page) {
        const int top = core_.GetTopRow();
        if (map_.VisibleNumber(top) - 1 <= page) {
            core_.SetTopRow(1);
            return AtGoal(1);
        }
        core_.SetTopRow(map_.Step(top, -page));
        return AtGoal(map_.Step(from_.row, -page));
    }
    Place PageDown(int page) {
        const int top = core_.GetTopRow();
        if (map_.VisibleRows() - map_.VisibleNumber(top) < page)
            return AtGoal(map_.RowOfVisible(map_.VisibleRows()));
        core_.SetTopRow(map_.Step(top, page));
        return AtGoal(map_.Step(from_.row, page));
    }

    EditorCore& core_;
    EditCaret& caret_;
    const ScreenRowMap map_;
    const Point from_;
    const int goal_;
};

}  // namespace

namespace CaretKeys {

bool Press(EditorCore& core, CaretKey key, KeyModifiers modifiers) {
    EditCaret& caret = core.GetCaret();
    CQELPenwrightSelection& selection = caret.GetSelection();
    const int top = core.GetTopRow();
    const Point before = caret.Here();
    const CQELPenwrightSelection old = selection;
    const CQELPenwrightSelection::Range range = selection.Normalized();
    // Without Shift a selection gives way first: Left and Right stop at its edge, the other keys
    // start from the edge they move away from.
    const bool collapse = !modifiers.shift && !selection.IsEmpty();
    const bool towardsStart =
        key == CaretKey::kLeft || key == CaretKey::kUp || key == CaretKey::kPageUp || key == CaretKey::kHome;
    const Point from = collapse ? (towardsStart ? range.first : range.last) : before;
    const bool vertical = IsVertical(key);
    const int goal =
        vertical && caret.GetStickyColumn() > 0 && from == before ? caret.GetStickyColumn() : from.col;

    Place to{from.row, from.col};
    if (!collapse || modifiers.ctrl || (key != CaretKey::kLeft && key != CaretKey::kRight))
        to = Mover(core, from, goal).Target(key, modifiers.ctrl);
    caret.MoveTo(to.row, to.col);
    caret.SetStickyColumn(vertical ? goal : 0);
    if (modifiers.shift)
        selection.Set(selection.IsEmpty() ? before : selection.GetStart(), caret.Here(), modifiers.alt);
    else
        selection.Clear(caret.Here());

    if (core.GetTopRow() == top && caret.Here() == before && selection == old)
        return false;
    caret.Show(true, true);
    if (core.GetTopRow() != top)
        core.UpdateScrollBars();
    core.GetWindow().UpdateNow();
    const int32_t scrolled = 3;
    core.GetWindow().NotifyParent(EditNotify::kScrolled, std::span(&scrolled, 1));
    return true;
}

CQELPenwrightSelection::Point WordBoundary(EditorCore& core, bool forward) {
    const EditCaret& caret = core.GetCaret();
    const ScreenRowMap map = core.RowMap();
    const VisibleWalk walk(caret, map, caret.Here());
    const Place to = forward ? WordRight(walk) : WordLeft(walk);
    return {to.row, to.col, RowColumns::PositionOf(caret.RowAt(to.row), to.col)};
}

}  // namespace CaretKeys
