#include "editor/win32/GdiMeasurer.h"

#include <algorithm>
#include <climits>

namespace pw::win32 {

TextMeasurer::FontMetrics MetricsOf(HDC dc) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SIZE space{};
    GetTextExtentPoint32W(dc, L" ", 1, &space);
    return {static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmAveCharWidth), static_cast<int>(space.cx)};
}

void ExtentsOf(HDC dc, std::wstring_view text, std::vector<int>& ends) {
    const int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    ends.assign(text.size(), 0);
    SIZE size{};
    if (count > 0 && !GetTextExtentExPointW(dc, text.data(), count, 0, nullptr, ends.data(), &size)) {
        // Without extents, lay out by the average width rather than stack every character at 0.
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        for (int i = 0; i < count; ++i)
            ends[static_cast<size_t>(i)] = (i + 1) * std::max<int>(tm.tmAveCharWidth, 1);
    }
}

GdiMeasurer::GdiMeasurer(HFONT font)
    : dc_(nullptr), old_(SelectObject(dc_, font)), metrics_(MetricsOf(dc_)) {}

GdiMeasurer::~GdiMeasurer() {
    SelectObject(dc_, old_);
}

}  // namespace pw::win32
