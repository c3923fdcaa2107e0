#pragma once
// Windows only: printing rows into any device context (a printer's, a metafile's, a bitmap's),
// in fonts made for that context from the painter's font.
#include <windows.h>

#include <map>
#include <tuple>

#include "editor/PrintSurface.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/GdiMeasurer.h"

namespace pw::win32 {

class GdiPrintSurface : public PrintSurface {
public:
    // Draws into `dc` (not owned) in `font`, whose height is in the context's logical units.
    GdiPrintSurface(HDC dc, const LOGFONTW& font);
    GdiPrintSurface(const GdiPrintSurface&) = delete;
    GdiPrintSurface& operator=(const GdiPrintSurface&) = delete;
    ~GdiPrintSurface();

    FontMetrics Metrics() const override { return metrics_; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ExtentsOf(dc_, text, ends);
    }
    void SelectFont(int weight, int italic, int underline) override;
    void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect& clip) override;
    void DrawLine(const Line& line) override;
    void DrawMarker(const PixelRect& box, std::wstring_view text) override;
    void FillBackground(const PixelRect& rect) override;

private:
    DCHandle dc_;
    LOGFONTW font_;
    std::map<std::tuple<int, int, int>, Font> fonts_;
    HGDIOBJ oldFont_;
    FontMetrics metrics_;
};

}  // namespace pw::win32
