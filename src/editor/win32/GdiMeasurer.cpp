#include "editor/win32/GdiMeasurer.h"

#include <algorithm>
#include <climits>

namespace pw::win32 {

GdiMeasurer::GdiMeasurer(HFONT font) : dc_(nullptr), old_(SelectObject(dc_, font)) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    SIZE space{};
    GetTextExtentPoint32W(dc_, L" ", 1, &space);
    metrics_ = {static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmAveCharWidth),
                static_cast<int>(space.cx)};
}

GdiMeasurer::~GdiMeasurer() {
    SelectObject(dc_, old_);
}

void GdiMeasurer::Extents(std::wstring_view text, std::vector<int>& ends) const {
    const int count = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
    ends.assign(text.size(), 0);
    SIZE size{};
    if (count > 0 && !GetTextExtentExPointW(dc_, text.data(), count, 0, nullptr, ends.data(), &size)) {
        // Without extents, lay out by the average width rather than stack every character at 0.
        for (int i = 0; i < count; ++i)
            ends[static_cast<size_t>(i)] = (i + 1) * std::max(metrics_.averageCharWidth, 1);
    }
}

}  // namespace pw::win32
