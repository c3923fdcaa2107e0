#pragma once
// Colours printed as grey levels, for black-and-white printing: each colour becomes the grey of
// its brightness, scaled so that black prints as the darkest grey allowed (the contrast, 0 for
// black up to 255 for white) and white stays white.
#include "editor/PrintSurface.h"

int32_t GreyOf(int32_t color, int contrast);

// Passes everything to `paper`, text colours turned grey.
class GreySurface : public PrintSurface {
public:
    GreySurface(PrintSurface& paper, int contrast) : paper_(paper), contrast_(contrast) {}

    FontMetrics Metrics() const override { return paper_.Metrics(); }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        paper_.Extents(text, ends);
    }
    void SelectFont(int weight, int italic, int underline) override {
        paper_.SelectFont(weight, italic, underline);
    }
    void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect& clip) override {
        paper_.DrawText(x, y, text, GreyOf(color, contrast_), clip);
    }
    void DrawLine(const Line& line) override { paper_.DrawLine(line); }
    void DrawMarker(const PixelRect& box, std::wstring_view text) override { paper_.DrawMarker(box, text); }
    void FillBackground(const PixelRect& rect) override { paper_.FillBackground(rect); }

private:
    PrintSurface& paper_;
    int contrast_;
};
