#include "editor/win32/GdiPrintSurface.h"

#include "editor/win32/Painter.h"
#include "lexer/LexTextAttributes.h"

namespace pw::win32 {

GdiPrintSurface::GdiPrintSurface(HDC dc, const LOGFONTW& font)
    : dc_(dc), font_(font), oldFont_(GetCurrentObject(dc, OBJ_FONT)) {
    SelectFont(LexTextAttributes::kNotSet, LexTextAttributes::kNotSet, LexTextAttributes::kNotSet);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    SIZE space{};
    GetTextExtentPoint32W(dc_, L" ", 1, &space);
    metrics_ = {static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmAveCharWidth),
                static_cast<int>(space.cx)};
}

GdiPrintSurface::~GdiPrintSurface() {
    SelectObject(dc_, oldFont_);  // before the fonts go
}

void GdiPrintSurface::SelectFont(int weight, int italic, int underline) {
    const std::tuple key{weight, italic, underline};
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        const LOGFONTW font = RunLogFont(font_, weight, italic, underline);
        it = fonts_.emplace(key, Font(CreateFontIndirectW(&font))).first;
    }
    if (it->second)
        SelectObject(dc_, it->second.Get());
}

void GdiPrintSurface::DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect& clip) {
    const RECT rect{clip.left, clip.top, clip.right, clip.bottom};
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, static_cast<COLORREF>(color));
    ExtTextOutW(dc_, x, y, ETO_CLIPPED, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
}

void GdiPrintSurface::DrawLine(const Line& line) {
    Pen pen(CreatePen(PS_SOLID, line.width, RGB(0, 0, 0)));
    SelectScope select(dc_, pen.Get());
    MoveToEx(dc_, line.x1, line.y1, nullptr);
    LineTo(dc_, line.x2, line.y2);
}

void GdiPrintSurface::DrawMarker(const PixelRect& box, std::wstring_view text) {
    DrawFoldMarker(dc_, RECT{box.left, box.top, box.right, box.bottom}, text, GetBkColor(dc_));
}

void GdiPrintSurface::FillBackground(const PixelRect& rect) {
    dc_.FillSolid(RECT{rect.left, rect.top, rect.right, rect.bottom}, GetBkColor(dc_));
}

}  // namespace pw::win32
