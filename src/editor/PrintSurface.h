#pragma once
// What printing rows asks of the device it prints on. The Windows layer implements it over the
// printer's device context; tests record what they are asked. Measuring is the text
// measurer's, in the font last selected; Metrics() are the text font's.
#include <cstdint>
#include <string_view>

#include "editor/PixelRect.h"
#include "editor/TextLayout.h"

class PrintSurface : public TextMeasurer {
public:
    struct Line {
        int x1 = 0;  // from (x1, y1) to (x2, y2) in black, `width` pixels wide
        int y1 = 0;
        int x2 = 0;
        int y2 = 0;
        int width = 1;
        friend bool operator==(const Line&, const Line&) = default;
    };

    // The text font with a class's weight, italic and underline where they are not
    // LexTextAttributes::kNotSet.
    virtual void SelectFont(int weight, int italic, int underline) = 0;
    // In the selected font, transparent, clipped to `clip`; (x, y) is the text's top left.
    virtual void DrawText(int x, int y, std::wstring_view text, int32_t color, const PixelRect& clip) = 0;
    virtual void DrawLine(const Line& line) = 0;
    // A fold's marker as on the screen: `text` in the selected font and the marker colour inside
    // `box`, which is framed one pixel taller.
    virtual void DrawMarker(const PixelRect& box, std::wstring_view text) = 0;
    // With the device's background colour.
    virtual void FillBackground(const PixelRect& rect) = 0;

protected:
    ~PrintSurface() = default;
};
