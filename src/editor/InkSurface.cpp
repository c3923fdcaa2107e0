#include "editor/InkSurface.h"

#include <algorithm>

int32_t InkOnPaper(int32_t color, int greyContrast) {
    // COLORREF order: red in the low byte.
    int red = color & 0xFF;
    int green = (color >> 8) & 0xFF;
    int blue = (color >> 16) & 0xFF;
    const int brightness = (299 * red + 587 * green + 114 * blue) / 1000;
    if (brightness > kLightestInk) {
        red = red * kLightestInk / brightness;
        green = green * kLightestInk / brightness;
        blue = blue * kLightestInk / brightness;
    }
    if (greyContrast < 0)
        return red | (green << 8) | (blue << 16);
    const int darkest = std::min(greyContrast, 255);
    const int grey = darkest + std::min(brightness, kLightestInk) * (255 - darkest) / 255;
    return grey | (grey << 8) | (grey << 16);
}
