#include "editor/RowPrinter.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>

#include "editor/InkSurface.h"
#include "editor/Margins.h"

namespace {

constexpr std::wstring_view kBreaks = L" .,!?)-+=;\\";
// Characters measured in one call: a line's worth, so that a long row is never measured whole
// for each of its lines.
constexpr int kChunk = 256;

bool IsHighSurrogate(wchar_t c) {
    return (c & 0xFC00) == 0xD800;
}

int Px(int64_t x) {
    return static_cast<int>(std::clamp<int64_t>(x, INT_MIN, INT_MAX));
}

}  // namespace

struct RowPrinter::Pen {
    PixelRect rect;
    int rowHeight;
    int64_t x = 0;  // from the rectangle's left edge
    int top;
    int lines = 1;
    bool lineEmpty = true;
    bool clipAtBottom;

    bool Room() const { return int64_t{top} + rowHeight <= rect.bottom; }
    PixelRect Line() const { return {rect.left, top, rect.right, top + rowHeight}; }
};

std::array<PrintSurface::Line, 3> WrapMark(int x, int top, int rowHeight) {
    const int h = rowHeight - rowHeight / 4;
    const int m = h / 2;
    return {{{x, top + m, x, top + h, 1},
             {x, top + h, x + m - 1, top + h, 1},
             {x + 1, top + h - 1, x + m, top + m, 2}}};
}

int RowPrinter::Fit(const PlannedRow& row, int first, int end, int64_t room) {
    ends_.clear();
    // No character counts as narrower than a pixel, so that a line of zero-width characters
    // still ends somewhere.
    const int64_t most = std::max<int64_t>(room, 1);
    int64_t base = 0;
    for (int i = first; i < end;) {
        int chunkEnd = std::min(end, i + kChunk);
        if (chunkEnd < end && IsHighSurrogate(row.text[static_cast<size_t>(chunkEnd) - 1]))
            ++chunkEnd;  // a pair is measured whole
        surface_.Extents(row.layout.DisplayText(row.text, i, chunkEnd, showWhiteSpace_), cellEnds_);
        const int64_t firstCell = row.layout.CellOfChar(i);
        for (; i < chunkEnd; ++i) {
            const auto cell = static_cast<size_t>(row.layout.CellOfChar(i + 1) - firstCell - 1);
            ends_.push_back(base + (cell < cellEnds_.size() ? cellEnds_[cell] : 0));
            if (ends_.back() > room || static_cast<int64_t>(ends_.size()) > most)
                return static_cast<int>(ends_.size()) - 1;
        }
        base = ends_.back();
    }
    return static_cast<int>(ends_.size());
}

bool RowPrinter::Wrap(Pen& pen, int64_t x) {
    if (Drawing())
        for (const PrintSurface::Line& line :
             WrapMark(Px(pen.rect.left + x + kMarkGap), pen.top, pen.rowHeight))
            surface_.DrawLine(line);
    pen.top += pen.rowHeight;
    pen.x = int64_t{kIndentChars} * std::max(surface_.Metrics().averageCharWidth, 1);
    pen.lineEmpty = true;
    if (!pen.Room())
        return false;
    ++pen.lines;
    return true;
}

RowPrinter::Outcome RowPrinter::PrintPiece(const PlannedRow& row, const PaintPiece& piece, Pen& pen) {
    surface_.SelectFont(piece.weight, piece.italic, piece.underline);
    const int end = std::min(piece.end, row.layout.LaidOut());
    for (int pos = piece.start; pos < end;) {
        const int64_t room = pen.rect.Width() - pen.x - kReserve;
        int n = Fit(row, pos, end, room);
        if (n > 0 && pos + n < end && IsHighSurrogate(row.text[static_cast<size_t>(pos + n) - 1]))
            --n;  // a pair stays on one line
        if (pos + n < end && (flags_ & PrintFlag::kWrapAtBreaks)) {
            const std::wstring_view part = std::wstring_view(row.text).substr(static_cast<size_t>(pos), n);
            if (const size_t b = part.find_last_of(kBreaks); b != std::wstring_view::npos)
                n = static_cast<int>(b) + 1;
        }
        if (n == 0 && pen.lineEmpty && !ends_.empty()) {
            // A line always takes a character, however narrow the page.
            n = pos + 1 < end && IsHighSurrogate(row.text[static_cast<size_t>(pos)]) ? 2 : 1;
            if (static_cast<size_t>(n) > ends_.size())
                Fit(row, pos, pos + n, INT64_MAX);
        }
        const int64_t width = n > 0 ? ends_[static_cast<size_t>(n) - 1] : 0;
        if (n > 0 && Drawing())
            surface_.DrawText(Px(pen.rect.left + pen.x), pen.top,
                              row.layout.DisplayText(row.text, pos, pos + n, showWhiteSpace_), piece.text,
                              pen.Line());
        pos += n;
        if (pos == end) {
            pen.x += width;
            pen.lineEmpty = pen.lineEmpty && n == 0;
            break;
        }
        if (flags_ & PrintFlag::kNeverWrap)
            return Outcome::kCutOff;
        if (!Wrap(pen, pen.x + width))
            return pen.clipAtBottom ? Outcome::kCutOff : Outcome::kNoRoom;
    }
    return Outcome::kDone;
}

RowPrinter::Outcome RowPrinter::PrintMarker(const PlannedRow& row, Pen& pen) {
    surface_.SelectFont(LexTextAttributes::kNotSet, LexTextAttributes::kNotSet, LexTextAttributes::kNotSet);
    surface_.Extents(row.collapsedText, cellEnds_);
    const int64_t width = (cellEnds_.empty() ? 0 : cellEnds_.back()) + kMarkerExtra;
    if (!pen.lineEmpty && pen.x + width > pen.rect.Width() && !(flags_ & PrintFlag::kNeverWrap) &&
        !Wrap(pen, pen.x))
        return pen.clipAtBottom ? Outcome::kCutOff : Outcome::kNoRoom;
    if (Drawing()) {
        const int left = Px(pen.rect.left + pen.x);
        surface_.DrawMarker({left, pen.top, Px(left + width), pen.top + pen.rowHeight - 1},
                            row.collapsedText);
    }
    return Outcome::kDone;
}

int RowPrinter::Print(const PlannedRow& row, const PixelRect& rect, bool clipAtBottom) {
    if (row.pastText)
        return 0;
    Pen pen{.rect = rect,
            .rowHeight = std::max(surface_.Metrics().height, 1),
            .top = rect.top,
            .clipAtBottom = clipAtBottom};
    Outcome outcome = pen.Room() ? Outcome::kDone : Outcome::kNoRoom;
    for (size_t i = 0; i < row.pieces.size() && outcome == Outcome::kDone; ++i)
        outcome = PrintPiece(row, row.pieces[i], pen);
    if (outcome == Outcome::kDone && row.cut >= 0)
        outcome = PrintMarker(row, pen);
    if (outcome == Outcome::kNoRoom) {
        if (Drawing())
            surface_.FillBackground(rect);
        return kDoesNotFit;
    }
    return pen.lines * pen.rowHeight;
}

namespace {

// Right-aligned in `column`, 2 pixels in from its edge, in the text font.
void PrintLineNumber(PrintSurface& surface, int row, const PixelRect& column, int top, int32_t color) {
    const std::wstring number = std::to_wstring(row);
    std::vector<int> ends;
    surface.SelectFont(LexTextAttributes::kNotSet, LexTextAttributes::kNotSet, LexTextAttributes::kNotSet);
    surface.Extents(number, ends);
    const int width = ends.empty() ? 0 : ends.back();
    surface.DrawText(column.right - 2 - width, top, number, color,
                     {column.left, top, column.right, top + surface.Metrics().height});
}

}  // namespace

int PrintRows(EditorCore& core, PrintSurface& device, const PrintRowsRequest& request) {
    InkSurface surface(device, request.greyContrast);
    const int rowCount = core.GetBuffer().GetRowCount();
    const int lastRow = std::min(rowCount, request.lastRow);
    if (request.firstRow < 1 || request.firstRow > lastRow)
        return 0;
    const ScreenRowMap map = core.RowMap();
    ScreenPlanner planner(core);
    RowPrinter printer(surface, request.flags, request.showWhiteSpace);
    const int rowHeight = std::max(surface.Metrics().height, 1);
    PixelRect rect = request.rect;
    PixelRect numbers{};
    if (request.lineNumbers) {
        const EditMargins margins =
            EditMargins::Compute(false, true, false, rowCount, surface.Metrics().averageCharWidth);
        numbers = {rect.left, rect.top, std::min(rect.left + margins.lineNumbers, rect.right), rect.bottom};
        rect.left = std::min(rect.left + margins.TextLeft(), rect.right);
    }
    const bool drawNumbers = request.lineNumbers && !(request.flags & PrintFlag::kMeasureOnly);
    const int32_t numberColor =
        ShownColor(request.colors.lineNumberText, PainterColors::kLineNumberTextDefault);
    int top = rect.top;
    // The visible row after `row`: past the rows a fold on it hides, or past the fold it is in.
    auto after = [&map](int row) { return map.RowOfVisible(map.VisibleNumber(row) + 1); };
    int next = map.IsHidden(request.firstRow) ? after(request.firstRow) : request.firstRow;
    while (next <= lastRow && int64_t{top} + rowHeight <= rect.bottom) {
        const int row = next;
        const int height = printer.Print(planner.PlanRow(row, request.colors),
                                         {rect.left, top, rect.right, rect.bottom}, top == rect.top);
        if (height < 0)
            break;
        if (drawNumbers && height > 0)
            PrintLineNumber(surface, row, numbers, top, numberColor);
        top += height;
        next = after(row);
    }
    return std::min(next, lastRow + 1) - request.firstRow;
}
