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

int VerticalAction(const ScreenRowMap& map, int topRow, int rowsPerPage, Action action, int track) {
    const int page = std::max(rowsPerPage, 1);
    switch (action) {
        case Action::kLineUp:
            return map.Step(topRow, -1);
        case Action::kLineDown:
            return map.Step(topRow, 1);
        case Action::kPageUp:
            return map.Step(topRow, -page);
        case Action::kPageDown:
            return map.Step(topRow, page);
        case Action::kThumb:
            return map.Step(topRow, track - map.VisibleNumber(topRow));
    }
    return topRow;
}

int64_t HorizontalExtent(int64_t old, int textWidth, int64_t widestRow, int charWidth) {
    const int64_t room = std::max<int64_t>(int64_t{20} * charWidth, textWidth / 4);
    return std::max({old, int64_t{2} * textWidth, widestRow + room});
}

int64_t HorizontalAction(int64_t offset, Action action, int textWidth, int charWidth, int64_t track) {
    const int64_t w = std::max(charWidth, 1);
    switch (action) {
        case Action::kLineUp:
            offset -= w;
            break;
        case Action::kLineDown:
            offset += w;
            break;
        case Action::kPageUp:
            offset -= textWidth;
            break;
        case Action::kPageDown:
            offset += textWidth;
            break;
        case Action::kThumb:
            offset = (track + w / 2) / w * w;
            break;
    }
    return std::max<int64_t>(offset, 0);
}

}  // namespace Scrolling
