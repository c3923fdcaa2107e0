#pragma once
// Rows of the text on paper: each row's coloured pieces line after line into a rectangle,
// wrapped with a mark where the width ends or cut off there, and the rows that fit from a given
// row on. The page loop decides where pages start; everything drawn goes through PrintSurface.
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "editor/EditorCore.h"
#include "editor/PrintSurface.h"
#include "editor/ScreenPlanner.h"

namespace PrintFlag {
inline constexpr int kWrapAtBreaks = 0x10;  // a wrapped line ends after its last break character
inline constexpr int kNeverWrap = 0x20;     // what does not fit on the line is cut off
inline constexpr int kMeasureOnly = 0x400;  // nothing is drawn
}  // namespace PrintFlag

class RowPrinter {
public:
    static constexpr int kDoesNotFit = -1;
    static constexpr int kReserve = 20;     // pixels kept free at a line's end for the wrap mark
    static constexpr int kMarkGap = 3;      // between a line's text and its wrap mark
    static constexpr int kIndentChars = 3;  // continuation lines start this many characters in
    static constexpr int kMarkerExtra = 3;  // a fold's marker is its text's width and this

    RowPrinter(PrintSurface& surface, int flags, bool showWhiteSpace)
        : surface_(surface), flags_(flags), showWhiteSpace_(showWhiteSpace) {}

    // Prints `row` (laid out whole, as ScreenPlanner::PlanRow gives it) from the top of `rect`
    // down and returns the height it took: its lines times the row height, 0 for a row outside
    // the text. A row that needs more lines than fit above the rectangle's bottom gives
    // kDoesNotFit, the rectangle filled with the background; with `clipAtBottom` (the
    // rectangle is a whole page, so no later page has more room) it is cut off there instead.
    int Print(const PlannedRow& row, const PixelRect& rect, bool clipAtBottom);

private:
    struct Pen;
    enum class Outcome { kDone, kCutOff, kNoRoom };
    Outcome PrintPiece(const PlannedRow& row, const PaintPiece& piece, Pen& pen);
    Outcome PrintMarker(const PlannedRow& row, Pen& pen);
    // Measures characters from `first` (before `end`) into ends_ until one ends past `room`
    // pixels; the number that end within it.
    int Fit(const PlannedRow& row, int first, int end, int64_t room);
    // Ends the line at `x` with the wrap mark and goes on at the next; false without room for it.
    bool Wrap(Pen& pen, int64_t x);
    bool Drawing() const { return !(flags_ & PrintFlag::kMeasureOnly); }

    PrintSurface& surface_;
    int flags_;
    bool showWhiteSpace_;
    std::vector<int64_t> ends_;  // per character from the line's start: where it ends
    std::vector<int> cellEnds_;  // reused between measurements
};

// The wrap mark of a line whose top is `top`, starting at `x`: a hook down and right, and a
// heavier stroke back up from its corner.
std::array<PrintSurface::Line, 3> WrapMark(int x, int top, int rowHeight);

struct PrintRowsRequest {
    PainterColors colors;
    int firstRow = 1;
    PixelRect rect;
    int flags = 0;
    bool showWhiteSpace = false;
    bool lineNumbers = false;  // each row's number at its left, in a column wide enough for all
    int greyContrast = -1;     // 0..255: black and white, with this darkest grey (InkOnPaper)
    int lastRow = INT_MAX;     // rows after it are not printed
};

// Prints rows from `firstRow` down while one more row height fits into the rectangle and
// returns the number of rows consumed: the next page starts that many rows on. It stops after
// `lastRow` (a selection printed alone). Rows a fold
// hides are consumed without output along with the fold's row, even when it is the last one
// printed, and at the start when the page starts inside a fold. Rows outside the text consume
// nothing. The first row is cut off at the bottom when even the whole rectangle cannot hold
// it, so that a page with room for one row always takes one. Line numbers are drawn on the
// paper, without the screen's background and separator; colours are those that read on paper.
int PrintRows(EditorCore& core, PrintSurface& surface, const PrintRowsRequest& request);
