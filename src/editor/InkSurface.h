#pragma once
// How colours print on white paper. A colour too light to read there (a dark theme's light text)
// is darkened, keeping its hue. In black and white each colour then becomes the grey of its
// brightness, scaled so that black prints as the darkest grey allowed: the contrast, from 0
// (black) to 255 (white).
#include "editor/PrintSurface.h"

inline constexpr int kLightestInk = 150;  // brightness, 0..255, of the lightest colour printed

// `greyContrast` below 0: in colour.
int32_t InkOnPaper(int32_t color, int greyContrast);

// Passes everything to `paper`, text colours through InkOnPaper.
class InkSurface : public PrintSurface {
public:
    InkSurface(PrintSurface& paper, int greyContrast) : paper_(paper), greyContrast_(greyContrast) {}

    FontMetrics Metrics() const override { return paper_.Metrics(); }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        paper_.Extents(text, ends);
    }
    void SelectFont(int weight, int italic, int underline) override {
        paper_.SelectFont(weight, italic, underline);
    }
    void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect& clip) override {
        paper_.DrawText(x, y, text, InkOnPaper(color, greyContrast_), clip);
    }
    void DrawLine(const Line& line) override { paper_.DrawLine(line); }
    void DrawMarker(const PixelRect& box, std::wstring_view text) override { paper_.DrawMarker(box, text); }
    void FillBackground(const PixelRect& rect) override { paper_.FillBackground(rect); }

private:
    PrintSurface& paper_;
    int greyContrast_;
};
