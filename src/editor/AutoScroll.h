#pragma once
// How far the view scrolls while the mouse selects outside the text: the farther the pointer
// from the text's edge, the more rows or columns at each step.
#include "editor/PixelRect.h"

namespace AutoScroll {

inline constexpr int kUp = 0x100;
inline constexpr int kDown = 0x1000;
inline constexpr int kLeft = 0x01;
inline constexpr int kRight = 0x10;

struct Amount {
    int flags = 0;    // the directions above
    int rows = 0;     // negative: up
    int columns = 0;  // negative: left
};

// The pointer at (x, y) against the text rectangle `text`: rows scroll within a band of a row
// height (at most a quarter of the text's height) inside its top and bottom edges and beyond
// them, columns left of the text and within a character width inside its right edge. A text
// area under 8 pixels high or wide does not scroll that way.
Amount Direction(const PixelRect& text, int rowHeight, int charWidth, int x, int y);

}  // namespace AutoScroll
