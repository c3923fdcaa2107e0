#pragma once
// A rectangle in pixels, right and bottom exclusive, as the window system gives client areas.
#include <algorithm>

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return std::max(right - left, 0); }
    int Height() const { return std::max(bottom - top, 0); }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
