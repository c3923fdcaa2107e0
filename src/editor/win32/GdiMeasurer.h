#pragma once
// Windows only: the text layout's measurer over a GDI font, measuring in a memory context of
// its own so that it works before the window paints and without the window's context.
#include <windows.h>

#include "editor/TextLayout.h"
#include "editor/win32/Gdi.h"

namespace pw::win32 {

// The metrics and partial extents of the font selected into `dc`.
TextMeasurer::FontMetrics MetricsOf(HDC dc);
void ExtentsOf(HDC dc, std::wstring_view text, std::vector<int>& ends);

class GdiMeasurer : public TextMeasurer {
public:
    // The font stays owned by the caller and must outlive the measurer.
    explicit GdiMeasurer(HFONT font);
    GdiMeasurer(const GdiMeasurer&) = delete;
    GdiMeasurer& operator=(const GdiMeasurer&) = delete;
    ~GdiMeasurer();

    FontMetrics Metrics() const override { return metrics_; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ExtentsOf(dc_, text, ends);
    }

private:
    MemoryDC dc_;
    HGDIOBJ old_;
    FontMetrics metrics_;
};

}  // namespace pw::win32
