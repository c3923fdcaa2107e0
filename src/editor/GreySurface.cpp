#include "editor/GreySurface.h"

#include <algorithm>

int32_t GreyOf(int32_t color, int contrast) {
    // COLORREF order: red in the low byte.
    const int red = color & 0xFF;
    const int green = (color >> 8) & 0xFF;
    const int blue = (color >> 16) & 0xFF;
    const int brightness = (299 * red + 587 * green + 114 * blue) / 1000;
    const int darkest = std::clamp(contrast, 0, 255);
    const int grey = darkest + brightness * (255 - darkest) / 255;
    return grey | (grey << 8) | (grey << 16);
}
