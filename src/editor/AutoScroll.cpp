#include "editor/AutoScroll.h"

#include <algorithm>
#include <cstdint>

namespace AutoScroll {

namespace {

constexpr int kMinExtent = 8;  // below this a band's half could be 0 pixels

// One step for reaching the band and one more for every half band `distance` goes on; in 64 bits,
// so that a pointer far off the rectangle cannot overflow.
int Steps(int64_t distance, int band) {
    return static_cast<int>(std::min<int64_t>(distance / (band / 2) + 1, INT32_MAX));
}

}  // namespace

Amount Direction(const PixelRect& text, int rowHeight, int charWidth, int x, int y) {
    Amount amount;
    const int64_t top = text.top, bottom = text.bottom, left = text.left, right = text.right;
    if (text.Height() >= kMinExtent) {
        // At least 2 pixels, so that half a band is never 0.
        const int a = std::clamp(rowHeight, 2, text.Height() / 4);
        if (y < top + a) {
            amount.flags |= kUp;
            amount.rows = -Steps(top + a - y, a);
        } else if (y > bottom - a) {
            amount.flags |= kDown;
            amount.rows = Steps(y + a - bottom, a);
        }
    }
    if (text.Width() >= kMinExtent) {
        const int w = std::clamp(charWidth, 2, text.Width() / 4);
        if (x < left) {
            amount.flags |= kLeft;
            amount.columns = -Steps(left - x, w);
        } else if (x > right - w) {
            amount.flags |= kRight;
            amount.columns = Steps(x + w - right, w);
        }
    }
    return amount;
}

}  // namespace AutoScroll
