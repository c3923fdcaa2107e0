#include "editor/Scrolling.h"

#include <algorithm>

namespace Scrolling {

int ClampTopRow(int row, int rowCount) {
    return std::clamp(row, 1, std::max(rowCount, 1));
}

VerticalBar Vertical(const ScreenRowMap& map, int topRow, int rowsPerPage) {
    VerticalBar bar;
    bar.max = std::max(map.VisibleRows(), 1);
    bar.page = rowsPerPage;
    // A top row hidden in a fold shows as the folded row.
    bar.topRow = map.RowOfVisible(map.VisibleNumber(ClampTopRow(topRow, map.RowCount())));
    if (map.VisibleRows() < rowsPerPage) {
        bar.topRow = 1;
        bar.enabled = false;
    }
    bar.pos = map.VisibleNumber(bar.topRow);
    return bar;
}

namespace {

// How far a line or page action moves (up and left negative); the thumb does not step.
int64_t Delta(Action action, int64_t line, int64_t page) {
    switch (action) {
        case Action::kLineUp:
            return -line;
        case Action::kLineDown:
            return line;
        case Action::kPageUp:
            return -page;
        case Action::kPageDown:
            return page;
        case Action::kThumb:
            break;
    }
    return 0;
}

}  // namespace

int VerticalAction(const ScreenRowMap& map, int topRow, int rowsPerPage, Action action, int track) {
    if (action == Action::kThumb)
        return map.Step(topRow, track - map.VisibleNumber(topRow));
    return map.Step(topRow, static_cast<int>(Delta(action, 1, std::max(rowsPerPage, 1))));
}

int64_t HorizontalExtent(int64_t old, int textWidth, int64_t widestRow, int charWidth) {
    const int64_t room = std::max<int64_t>(int64_t{20} * charWidth, textWidth / 4);
    return std::max({old, int64_t{2} * textWidth, widestRow + room});
}

int64_t HorizontalAction(int64_t offset, Action action, int textWidth, int charWidth, int64_t track) {
    const int64_t w = std::max(charWidth, 1);
    offset = action == Action::kThumb ? (track + w / 2) / w * w : offset + Delta(action, w, textWidth);
    return std::max<int64_t>(offset, 0);
}

}  // namespace Scrolling
