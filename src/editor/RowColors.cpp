#include "editor/RowColors.h"

#include <algorithm>

namespace {

// A default colour shows as the user's override of it when there is one.
int32_t Overridden(int32_t color, const LexColorPair& pair) {
    return color == pair.standard && pair.custom != kColorNotSet ? pair.custom : color;
}

void SetOrRemove(std::map<int, int32_t>& map, int row, int32_t color, int32_t removing) {
    if (row == -1 && (color == kColorNotSet || color == removing))
        map.clear();
    else if (color == kColorNotSet || color == removing)
        map.erase(row);
    else
        map[row] = color;
}

}  // namespace

void RowColorMaps::SetText(int row, int32_t color) {
    SetOrRemove(text_, row, color, 0);
}

void RowColorMaps::SetBack(int row, int32_t color) {
    SetOrRemove(back_, row, color, 0xFFFFFF);
}

HostRowColors RowColorMaps::Get(int row) const {
    HostRowColors c;
    if (auto it = text_.find(row); it != text_.end())
        c.text = it->second;
    if (auto it = back_.find(row); it != back_.end())
        c.back = it->second;
    return c;
}

HostRowColors RowColorMaps::ForPaint(int row, bool breakpoint) const {
    return breakpoint ? HostRowColors{kBreakpointText, kBreakpointBack} : Get(row);
}

std::vector<PaintPiece> RowPieces(const std::vector<RowRun>& runs, const RowPaintInput& in) {
    const PainterColors& p = in.painter;
    std::vector<PaintPiece> pieces;
    for (const RowRun& run : runs) {
        const LexTextAttributes none;
        const LexTextAttributes& a = in.syntaxColor ? run.attributes : none;
        int32_t text = ShownColor(a.text, p.text.standard);
        int32_t back = ShownColor(a.background, p.back.standard);
        int32_t selText = ShownColor(a.selectedText, p.selText.standard);
        int32_t selBack = ShownColor(a.selectedBackground, p.selBack.standard);
        if (in.host.back != kColorNotSet)
            back = in.host.back;
        if (in.host.text != kColorNotSet)
            text = in.host.text;
        text = Overridden(text, p.text);
        back = Overridden(back, p.back);
        selText = Overridden(selText, p.selText);
        selBack = Overridden(selBack, p.selBack);
        if (!in.active) {
            if (selText == ShownColor(p.selText, kColorNotSet))
                selText = ShownColor(p.inactiveSelText, selText);
            if (selBack == ShownColor(p.selBack, kColorNotSet))
                selBack = ShownColor(p.inactiveSelBack, selBack);
        }
        const int32_t end = std::min(run.end, in.cut);
        // At most three pieces: before, inside and after the selection.
        const int32_t bounds[] = {run.start, std::clamp(in.selStart, run.start, end),
                                  std::clamp(std::max(in.selEnd, in.selStart), run.start, end), end};
        for (int i = 0; i < 3; ++i) {
            if (bounds[i] >= bounds[i + 1])
                continue;
            const bool selected = i == 1;
            pieces.push_back({bounds[i], bounds[i + 1], selected, selected ? selText : text,
                              selected ? selBack : back, a.weight, a.italic, a.underline});
        }
    }
    return pieces;
}

SelectionTail TailOf(int64_t textEnd, int64_t selStart, int64_t selEnd, bool lineEndSelected) {
    SelectionTail tail;
    if (lineEndSelected) {
        tail.fillToEdge = true;
        return tail;
    }
    if (selEnd <= textEnd || selEnd <= selStart)
        return tail;
    tail.normalCells = std::clamp<int64_t>(selStart - textEnd, 0, SelectionTail::kMaxTailCells);
    tail.selectedCells = std::min(selEnd - std::max(selStart, textEnd), SelectionTail::kMaxTailCells);
    return tail;
}
