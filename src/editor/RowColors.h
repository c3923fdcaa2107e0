#pragma once
// The colours a row is painted in: the painter's colours, the classes' colours with syntax
// colouring on, the host's row colours, and the selection, resolved per piece of a row.
#include <cstdint>
#include <map>
#include <vector>

#include "editor/PainterColors.h"
#include "lexer/LexTextAttributes.h"
#include "parser/TextSchemaRows.h"

struct HostRowColors {
    int32_t text = kColorNotSet;
    int32_t back = kColorNotSet;
};

// The host's colours per row. Painting only reads them: a breakpoint's colours are an override
// for one paint (ForPaint), never written here.
class RowColorMaps {
public:
    static constexpr int32_t kBreakpointText = 0xFFFFFF;
    static constexpr int32_t kBreakpointBack = 0x000080;  // RGB(128, 0, 0)

    // 0 or kColorNotSet removes the row's text colour, 0xFFFFFF or kColorNotSet its background
    // colour; row -1 removes every entry of the map.
    void SetText(int row, int32_t color);
    void SetBack(int row, int32_t color);
    HostRowColors Get(int row) const;
    // What a row is painted with: the breakpoint's colours on a breakpoint row, else the host's.
    HostRowColors ForPaint(int row, bool breakpoint) const;

private:
    std::map<int, int32_t> text_, back_;
};

// A stretch of a row [start, end) (0-based characters) painted in one font and two colours.
struct PaintPiece {
    int32_t start = 0;
    int32_t end = 0;
    bool selected = false;
    int32_t text = 0;
    int32_t back = 0;
    int weight = LexTextAttributes::kNotSet;
    int italic = LexTextAttributes::kNotSet;
    int underline = LexTextAttributes::kNotSet;

    friend bool operator==(const PaintPiece&, const PaintPiece&) = default;
};

struct RowPaintInput {
    PainterColors painter;  // already WithTopClass when syntax colouring is on
    HostRowColors host;
    bool syntaxColor = true;
    bool active = true;
    int32_t selStart = 0;  // the row's selected characters [selStart, selEnd)
    int32_t selEnd = 0;
    int32_t cut = 0x7FFFFFFF;  // a folded block starts here: nothing from here on is painted
};

// Splits each run at the selection's bounds and at the cut and resolves its colours.
std::vector<PaintPiece> RowPieces(const std::vector<RowRun>& runs, const RowPaintInput& input);

// What a selection past a row's text paints (virtual space, a block selection): blanks in the
// normal colours from the text's end to the selection, then selected blanks to its end, at most
// kMaxTailCells of each; a selected line end fills the band to the right edge instead.
struct SelectionTail {
    static constexpr int64_t kMaxTailCells = 500;

    int64_t normalCells = 0;
    int64_t selectedCells = 0;
    bool fillToEdge = false;

    friend bool operator==(const SelectionTail&, const SelectionTail&) = default;
};
// Cells are 0-based display cells; the selection is [selStart, selEnd).
SelectionTail TailOf(int64_t textEnd, int64_t selStart, int64_t selEnd, bool lineEndSelected);
