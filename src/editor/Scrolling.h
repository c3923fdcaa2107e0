#pragma once
// Scroll arithmetic: vertically in visible rows (folded rows are skipped), horizontally in
// pixels snapped to character widths.
#include <cstdint>

#include "editor/ScreenRowMap.h"

namespace Scrolling {

// The top row within the text; an empty text and values below 1 give row 1.
int ClampTopRow(int row, int rowCount);

struct VerticalBar {
    int max = 1;  // the range is 1..max, in visible row numbers
    int page = 0;
    int pos = 1;
    bool enabled = true;
    int topRow = 1;  // the top row that goes with the bar: row 1 when the whole text fits
};
VerticalBar Vertical(const ScreenRowMap& map, int topRow, int rowsPerPage);

enum class Action { kLineUp, kLineDown, kPageUp, kPageDown, kThumb };
// The top row after a vertical scroll-bar action; `track` is the thumb's position (a visible
// row number) for kThumb.
int VerticalAction(const ScreenRowMap& map, int topRow, int rowsPerPage, Action action, int track = 0);

// The horizontal range never shrinks: the largest of what it was, twice the text width, and the
// widest row laid out so far with room after it.
int64_t HorizontalExtent(int64_t old, int textWidth, int64_t widestRow, int charWidth);
// The offset after a horizontal action: lines are character widths, pages the text width, and
// a thumb position is snapped to the nearest character width. Never below 0.
int64_t HorizontalAction(int64_t offset, Action action, int textWidth, int charWidth, int64_t track = 0);

}  // namespace Scrolling
