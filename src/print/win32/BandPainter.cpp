#include "print/win32/BandPainter.h"

#include <algorithm>
#include <array>
#include <string>

#include "editor/win32/Gdi.h"

namespace pw::win32 {

namespace {

constexpr UINT kFormat = DT_WORDBREAK | DT_NOPREFIX;
constexpr UINT kAlign[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
constexpr int kGap = 3;          // between the block and the text area
constexpr int kTallest = 32000;  // how tall a part may be measured

int LineWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    // Line breaks are measured as the text would be without them: a first estimate only.
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int Height(HDC dc, const std::wstring& text, int width, UINT align) {
    if (text.empty() || width <= 0)
        return 0;
    RECT box{0, 0, width, kTallest};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kFormat | align | DT_CALCRECT);
    return static_cast<int>(box.bottom - box.top);
}

}  // namespace

LOGFONTW DefaultBandFont() {
    LOGFONTW font{};
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0))
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

int DrawBand(HDC dc, const CQELPrintPageHeaderFooter& band, const LOGFONTW& font, RECT& area,
             bool measureOnly) {
    if (band.IsEmpty() || area.right <= area.left)
        return 0;
    const LOGFONTW sized = FontForDevice(font, dc);
    const Font made(CreateFontIndirectW(&sized));
    SelectScope select(dc, made ? static_cast<HGDIOBJ>(made.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    const std::array<const std::wstring*, 3> parts{&band.GetTextLeft(), &band.GetTextCenter(),
                                                   &band.GetTextRight()};
    const int width = static_cast<int>(area.right - area.left);
    // Each part's column: [left, right) within the band.
    std::array<std::pair<int, int>, 3> columns{};
    if (const std::optional<int> sole = band.SolePart()) {
        columns[static_cast<size_t>(*sole)] = {0, width};
    } else {
        const std::optional<BandColumns> shared = ShareBandWidth(
            width, LineWidth(dc, *parts[0]), LineWidth(dc, *parts[1]), LineWidth(dc, *parts[2]));
        if (!shared)
            return 0;
        columns = {std::pair(0, shared->left), std::pair(shared->left, shared->left + shared->center),
                   std::pair(width - shared->right, width)};
    }
    int height = 0;
    for (size_t i = 0; i < parts.size(); ++i)
        height = std::max(height, Height(dc, *parts[i], columns[i].second - columns[i].first, kAlign[i]));
    const int taken = height > 0 ? height + kGap : 0;
    RECT block = area;
    if (band.IsHeader()) {
        block.bottom = area.top + height;
        area.bottom = area.top + taken;
    } else {
        block.top = area.bottom - height;
        area.top = area.bottom - taken;
    }
    if (measureOnly || height == 0)
        return height;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i]->empty() || columns[i].second <= columns[i].first)
            continue;
        RECT box{block.left + columns[i].first, block.top, block.left + columns[i].second, block.bottom};
        DrawTextW(dc, parts[i]->c_str(), static_cast<int>(parts[i]->size()), &box, kFormat | kAlign[i]);
    }
    SetBkMode(dc, oldMode);
    return height;
}

}  // namespace pw::win32
