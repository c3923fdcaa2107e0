#pragma once
// What lies under a point of the client area: the margin or text, the row and column a click
// there means, and whether it is on a collapse node's box or a fold's marker. The painter draws
// those two from the same geometry, so what is hit is what shows.
#include <cstdint>
#include <optional>

#include "editor/PixelRect.h"
#include "editor/TextLayout.h"

class EditorCore;

enum class HitArea { kSelMargin, kLineNumbers, kNodeColumn, kText };

struct HitResult {
    HitArea area = HitArea::kText;
    int screenRow = 1;          // 1-based row of the page
    int row = 1;                // document row, 1..row count (1 for an empty text)
    int col = 1;                // display column (1-based), a place a caret may stand
    int pos = 1;                // string position (1-based) of that column
    bool onNodeBox = false;     // inside the plus/minus box of a row that has one
    bool onFoldMarker = false;  // over the marker where a folded block starts
};

// The point (x, y) of the client area. Above the text it is on the first row of the page, below
// its last row on that row; left of the text on the first column, right of it on the last column
// inside it. Past a row's end the column goes on only with `virtualColumns` (virtual space, or a
// block selection being made), else it is the one just after the row's end. Only a point in the
// node column asks the parser whether a block starts on its row.
HitResult HitTest(EditorCore& core, int x, int y, bool virtualColumns);

// The plus/minus box of a node in `cell`, one row of the node column: a square about its centre.
PixelRect NodeBox(const PixelRect& cell);

// The marker of a fold on a row whose top is `top` and whose x 0 lies at `originX`: after the
// first `cut` characters of `layout`, as wide as its text (`textWidth` pixels) and
// RowPrinter::kMarkerExtra, a row high. None when those characters were not all laid out: the
// marker lies beyond the right edge.
std::optional<PixelRect> FoldMarkerRect(const RowLayout& layout, int cut, int64_t originX, int top,
                                        int textWidth, int rowHeight);
