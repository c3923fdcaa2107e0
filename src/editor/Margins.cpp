#include "editor/Margins.h"

EditMargins EditMargins::Compute(bool selMargin, bool lineNumbers, bool nodeColumn, int rows, int charWidth) {
    EditMargins m;
    m.selMargin = selMargin ? kSelMarginWidth : 0;
    if (lineNumbers) {
        int digits = 1;
        for (int n = rows < 1 ? 1 : rows; n >= 10; n /= 10) ++digits;
        m.lineNumbers = (digits + 1) * charWidth + 2;
    }
    m.nodeColumn = nodeColumn ? kNodeColumnWidth : 0;
    return m;
}

EditRects EditRects::Compute(const PixelRect& area, const EditMargins& margins) {
    EditRects r;
    auto band = [&](int left, int width) { return PixelRect{left, area.top, left + width, area.bottom}; };
    r.selMargin = band(area.left, margins.selMargin);
    r.lineNumbers = band(r.selMargin.right, margins.lineNumbers);
    r.nodeColumn = band(r.lineNumbers.right, margins.nodeColumn);
    r.text = PixelRect{area.left + margins.TextLeft(), area.top, area.right, area.bottom};
    return r;
}
