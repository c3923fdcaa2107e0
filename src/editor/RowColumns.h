#pragma once
// String positions and display columns of one row's text (both 1-based) for a tab size:
// a character takes one cell, a tab the cells up to the next tab stop (stops at 1, 1 + t,
// 1 + 2t ...). With virtual space the caret may stand past the row's end, but no further than
// an insertion there could pad (RowArray::kMaxPadding blanks); without it the column just
// after the text is as far as it goes.
#include <string_view>

namespace RowColumns {

struct Row {
    std::wstring_view text;
    int tabSize = 4;
    bool virtualSpace = false;
};

// The column just after the text.
int EndColumn(const Row& row);
// The column where the character at `position` starts; past the text, see above.
int ColumnOf(const Row& row, int position);
// The position of the character whose cells reach `column`; past the text, see above. At
// least 1.
int PositionOf(const Row& row, int column);
// The first place a caret may stand at or after `column`: a column inside a tab goes to its
// end, one on the second half of a surrogate pair past the pair.
int Snap(const Row& row, int column);

}  // namespace RowColumns
