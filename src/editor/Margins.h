#pragma once
// The left margins of the edit control (selection margin, line numbers, collapse nodes) and the
// rectangles they cut from the client area or a printed page.
#include "editor/PixelRect.h"

struct EditMargins {
    static constexpr int kSelMarginWidth = 20;
    static constexpr int kNodeColumnWidth = 10;
    static constexpr int kTextGap = 4;  // between the margins and the text

    int selMargin = 0;
    int lineNumbers = 0;
    int nodeColumn = 0;

    int TextLeft() const { return selMargin + lineNumbers + nodeColumn + kTextGap; }

    // Line numbers get room for the digits of `rows` and one spare character; an empty text
    // counts as one row.
    static EditMargins Compute(bool selMargin, bool lineNumbers, bool nodeColumn, int rows, int charWidth);
};

struct EditRects {
    PixelRect selMargin;
    PixelRect lineNumbers;
    PixelRect nodeColumn;
    PixelRect text;

    // Side by side from the left edge of `area`, each its full height.
    static EditRects Compute(const PixelRect& area, const EditMargins& margins);
};
