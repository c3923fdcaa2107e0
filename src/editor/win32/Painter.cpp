#include "editor/win32/Painter.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>

#include "editor/HitTest.h"
#include "editor/NodeFlags.h"
#include "platform/Profile.h"
#include "resources/ResourceIds.h"

namespace {

using pw::win32::DCHandle;
using pw::win32::SelectScope;

COLORREF Shown(const LexColorPair& pair) {
    return static_cast<COLORREF>(ShownColor(pair, 0));
}

// Pixel positions are 64-bit in the layout; GDI takes ints, and a text area is never near
// their end, so what lies far outside is pinned just beyond it.
int Pixel(int64_t x) {
    return static_cast<int>(std::clamp<int64_t>(x, INT_MIN / 2, INT_MAX / 2));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

LOGFONTW ToLogFont(const LogFontRecord& record) {
    static_assert(sizeof(LOGFONTW) == LogFontRecord::kBytes);
    LOGFONTW font;
    std::memcpy(&font, &record, sizeof font);
    return font;
}

}  // namespace

LOGFONTW RunLogFont(const LOGFONTW& base, int weight, int italic, int underline) {
    LOGFONTW font = base;
    if (weight != LexTextAttributes::kNotSet)
        font.lfWeight = weight;
    if (italic != LexTextAttributes::kNotSet)
        font.lfItalic = italic != 0;
    if (underline != LexTextAttributes::kNotSet)
        font.lfUnderline = underline != 0;
    return font;
}

void DrawFoldMarker(const DCHandle& dc, const RECT& box, std::wstring_view text, COLORREF back) {
    dc.FillSolid(RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, back);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetBkMode(dc, TRANSPARENT);
    RECT inside = box;
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &inside,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    pw::win32::Brush frame(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
    const RECT outline{box.left, box.top, box.right, box.bottom + 1};
    FrameRect(dc, &outline, frame.Get());
}

CQELPenwrightPainter::CQELPenwrightPainter()
    : shadowPen_(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW))),
      halftone_(pw::win32::MakeHalftoneBrush()) {
    colors_.text.standard = static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT));
    colors_.back.standard = static_cast<int32_t>(GetSysColor(COLOR_WINDOW));
    colors_.selText.standard = static_cast<int32_t>(GetSysColor(COLOR_HIGHLIGHTTEXT));
    colors_.selBack.standard = static_cast<int32_t>(GetSysColor(COLOR_HIGHLIGHT));
    colors_.inactiveSelText.standard = static_cast<int32_t>(GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    colors_.inactiveSelBack.standard = static_cast<int32_t>(GetSysColor(COLOR_INACTIVECAPTION));
    colors_.lineNumberText.standard = PainterColors::kLineNumberTextDefault;
    colors_.lineNumberBack.standard = static_cast<int32_t>(GetSysColor(COLOR_WINDOW));
    LoadSettings();
    LoadGlyphs();
}

bool CQELPenwrightPainter::LoadGlyphs() {
    glyphs_ = pw::win32::LoadMarginGlyphs();
    return static_cast<bool>(glyphs_);
}

void CQELPenwrightPainter::LoadSettings() {
    colors_.LoadOverrides(pw::AppProfile());
    const LOGFONTW font = ToLogFont(LogFontRecord::Load(pw::AppProfile()));
    SetFont(&font, false);
}

bool CQELPenwrightPainter::SetFont(const LOGFONTW* font, bool persist) {
    logFont_ = font ? *font : ToLogFont(LogFontRecord::Default());
    measurer_.reset();
    runFonts_.clear();
    textFont_.Reset(CreateFontIndirectW(&logFont_));
    if (textFont_)
        measurer_ = std::make_unique<pw::win32::GdiMeasurer>(textFont_.Get());
    if (!persist)
        return true;
    LogFontRecord record;
    std::memcpy(static_cast<void*>(&record), &logFont_, sizeof record);
    return record.Save(pw::AppProfile());
}

HFONT CQELPenwrightPainter::MakeRunFont(int weight, int italic, int underline) {
    const std::tuple key{weight, italic, underline};
    auto it = runFonts_.find(key);
    if (it == runFonts_.end()) {
        const LOGFONTW font = RunLogFont(logFont_, weight, italic, underline);
        it = runFonts_.emplace(key, pw::win32::Font(CreateFontIndirectW(&font))).first;
    }
    return it->second ? it->second.Get() : textFont_.Get();
}

bool CQELPenwrightPainter::SetColor(PainterColors::Slot slot, int32_t colour, bool persist) {
    return colors_.SetOverride(slot, colour, persist, pw::AppProfile());
}

HCURSOR CQELPenwrightPainter::GetCursor(CursorKind kind) const {
    switch (kind) {
        case CursorKind::kIBeam:
            return LoadCursorW(nullptr, IDC_IBEAM);
        case CursorKind::kArrow:
            return LoadCursorW(nullptr, IDC_ARROW);
        case CursorKind::kNo:
            return LoadCursorW(nullptr, IDC_NO);
        case CursorKind::kRowSelect:
            return pw::win32::LoadModuleCursor(PW_IDC_ROW_SELECT);
        case CursorKind::kDragCopy:
            return pw::win32::LoadModuleCursor(PW_IDC_DRAG_COPY);
        case CursorKind::kDragMove:
            return pw::win32::LoadModuleCursor(PW_IDC_DRAG_MOVE);
    }
    return nullptr;
}

void CQELPenwrightPainter::DrawFrame(const DCHandle& dc, const std::vector<PlannedRow>& rows,
                                     const FrameGeometry& frame,
                                     const std::function<bool(const RECT&, int)>& hostMargin) {
    SetBkMode(dc, TRANSPARENT);
    SelectScope font(dc, textFont_ ? static_cast<HGDIOBJ>(textFont_.Get()) : GetCurrentObject(dc, OBJ_FONT));
    const EditRects& r = frame.rects;
    for (size_t i = 0; i < rows.size(); ++i) {
        const PlannedRow& row = rows[i];
        const int top = frame.RowTop(i);
        const int bottom = top + frame.rowHeight;
        const bool caretRow = row.row == frame.caretRow;
        if (frame.selMargin) {
            const RECT area{r.selMargin.left, top, r.selMargin.right, bottom};
            if (!hostMargin || !hostMargin(area, row.row))
                DrawSelMargin(dc, area, row, caretRow);
        }
        if (frame.lineNumbers)
            DrawLineNumber(dc, RECT{r.lineNumbers.left, top, r.lineNumbers.right, bottom}, row);
        if (frame.nodeColumn) {
            const RECT area{r.nodeColumn.left, top, r.nodeColumn.right, bottom};
            FillBackground(dc, area, Shown(frame.colors.back));
            DrawNode(dc, area, row.nodeFlags, Shown(frame.colors.back));
        }
        // The gap between the margins and the text is the row's.
        dc.FillSolid(RECT{r.nodeColumn.right, top, r.text.left, bottom}, static_cast<COLORREF>(row.band));
        DrawRowText(dc, RECT{r.text.left, top, r.text.right, bottom}, row, frame);
    }
    FinishPaint(dc, rows, frame);
}

void CQELPenwrightPainter::DrawSelMargin(const DCHandle& dc, const RECT& area, const PlannedRow& row,
                                         bool caretRow) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOW));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    {
        SelectScope brush(dc, halftone_.Get());
        PatBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, PATCOPY);
    }
    dc.FillSolid(RECT{area.right - 1, area.top, area.right, area.bottom}, GetSysColor(COLOR_BTNSHADOW));
    DrawGlyphs(dc, area, row, caretRow);
}

void CQELPenwrightPainter::DrawGlyphs(const DCHandle& dc, const RECT& area, const PlannedRow& row,
                                      bool caretRow) {
    if (!glyphs_ || row.pastText)
        return;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(glyphs_.Get(), &cx, &cy);
    const int height = std::min<int>(cy, area.bottom - area.top);
    auto draw = [&](int image) {
        ImageList_DrawEx(glyphs_.Get(), image, dc, area.left, area.top, cx, height, CLR_NONE, CLR_NONE,
                         ILD_TRANSPARENT);
    };
    if (row.bookmark)
        draw(caretRow ? 1 : 0);
    if (row.breakpoint)
        draw(2);
}

void CQELPenwrightPainter::DrawLineNumber(const DCHandle& dc, const RECT& area, const PlannedRow& row) {
    dc.FillSolid(area, Shown(colors_.lineNumberBack));
    if (!row.pastText) {
        const std::wstring number = std::to_wstring(row.row);
        RECT inside{area.left, area.top, area.right - 2, area.bottom};
        SetTextColor(dc, Shown(colors_.lineNumberText));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &inside,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    DrawSeparator(dc, area);
}

void CQELPenwrightPainter::DrawSeparator(const DCHandle& dc, const RECT& area) {
    const COLORREF colour = Shown(colors_.lineNumberText);
    for (int y = area.top + (area.top & 1); y < area.bottom; y += 2) SetPixelV(dc, area.right - 1, y, colour);
}

void CQELPenwrightPainter::FillBackground(const DCHandle& dc, const RECT& area, COLORREF colour) {
    dc.FillSolid(area, colour);
}

void CQELPenwrightPainter::DrawNode(const DCHandle& dc, const RECT& area, int flags, COLORREF back) {
    if (flags == 0)
        return;
    const int cx = area.left + (area.right - area.left) / 2;
    const int cy = area.top + (area.bottom - area.top) / 2;
    SelectScope pen(dc, shadowPen_.Get());
    if (flags & NodeFlag::kFromAbove)
        Line(dc, cx, area.top, cx, cy);
    if (flags & NodeFlag::kContinuesBelow)
        Line(dc, cx, area.bottom, cx, cy - 2);
    if (flags & NodeFlag::kEnds)
        Line(dc, cx, cy, area.right, cy);
    if (flags & (NodeFlag::kCollapsed | NodeFlag::kExpanded)) {
        const PixelRect box = NodeBox({area.left, area.top, area.right, area.bottom});
        SelectScope brush(dc, GetStockObject(NULL_BRUSH));
        dc.FillSolid(RECT{box.left, box.top, box.right, box.bottom}, back);
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        Line(dc, cx - 2, cy, cx + 3, cy);
        if (flags & NodeFlag::kCollapsed)
            Line(dc, cx, cy - 2, cx, cy + 3);
    }
}

void CQELPenwrightPainter::DrawRowText(const DCHandle& dc, const RECT& band, const PlannedRow& row,
                                       const FrameGeometry& frame) {
    dc.FillSolid(band, static_cast<COLORREF>(row.band));
    if (row.pastText)
        return;
    const RowLayout& layout = row.layout;
    const int64_t origin = band.left - frame.horzOffset;
    // Characters scrolled off to the left are neither laid out for display nor drawn.
    const int firstShown = layout.CharAt(frame.horzOffset);
    SetBkMode(dc, OPAQUE);
    for (const PaintPiece& piece : row.pieces) {
        const int first = std::max(piece.start, firstShown);
        const int last = std::min(piece.end, layout.LaidOut());
        if (first >= last)
            continue;
        const std::wstring shown = layout.DisplayText(row.text, first, last, frame.whiteSpace);
        SelectScope font(dc, MakeRunFont(piece.weight, piece.italic, piece.underline));
        SetTextColor(dc, static_cast<COLORREF>(piece.text));
        SetBkColor(dc, static_cast<COLORREF>(piece.back));
        ExtTextOutW(dc, Pixel(origin + layout.XOfChar(first)), band.top, ETO_CLIPPED, &band, shown.c_str(),
                    static_cast<UINT>(shown.size()), nullptr);
    }
    SetBkMode(dc, TRANSPARENT);
    if (!layout.IsComplete())
        return;  // the text runs past the right edge: nothing beyond it shows
    const COLORREF selected = Shown(frame.active ? frame.colors.selBack : frame.colors.inactiveSelBack);
    const int shownChars = row.cut >= 0 ? row.cut : static_cast<int>(row.text.size());
    const int64_t endCell = layout.CellOfChar(shownChars);
    const int64_t endX = origin + layout.XOfCell(endCell);
    if (row.tail.fillToEdge) {
        dc.FillSolid(RECT{std::max<int>(Pixel(endX), band.left), band.top, band.right, band.bottom},
                     selected);
    } else if (row.tail.selectedCells > 0) {
        const int64_t from = origin + layout.XOfCell(endCell + row.tail.normalCells);
        const int64_t to = origin + layout.XOfCell(endCell + row.tail.normalCells + row.tail.selectedCells);
        RECT cells{Pixel(from), band.top, Pixel(to), band.bottom};
        IntersectRect(&cells, &cells, &band);
        dc.FillSolid(cells, selected);
    }
}

void CQELPenwrightPainter::FinishPaint(const DCHandle& dc, const std::vector<PlannedRow>& rows,
                                       const FrameGeometry& frame) {
    const PixelRect& t = frame.rects.text;
    const RECT text{t.left, t.top, t.right, t.bottom};
    for (size_t i = 0; i < rows.size(); ++i) {
        const PlannedRow& row = rows[i];
        if (row.cut < 0)
            continue;
        SIZE size{};
        GetTextExtentPoint32W(dc, row.collapsedText.c_str(), static_cast<int>(row.collapsedText.size()),
                              &size);
        const std::optional<PixelRect> box = FoldMarkerRect(row.layout, row.cut, text.left - frame.horzOffset,
                                                            frame.RowTop(i), size.cx, frame.rowHeight);
        if (!box)
            continue;
        // The outline is drawn one pixel lower than the box: it ends on the row's last pixel.
        const RECT marker{box->left, box->top, box->right, box->bottom - 1};
        HRGN clip = CreateRectRgnIndirect(&text);
        SelectClipRgn(dc, clip);
        DeleteObject(clip);
        DrawFoldMarker(dc, marker, row.collapsedText, Shown(frame.colors.back));
        SelectClipRgn(dc, nullptr);
    }
}
