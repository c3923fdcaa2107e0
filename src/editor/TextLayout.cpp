#include "editor/TextLayout.h"

#include <algorithm>

namespace {

// Characters measured in one call: enough to keep calls few, few enough that little is
// measured past the visible edge.
constexpr size_t kChunk = 256;

bool IsLowSurrogate(wchar_t c) {
    return (c & 0xFC00) == 0xDC00;
}

}  // namespace

int64_t RowLayout::XOfChar(int index) const {
    return x_[std::clamp(index, 0, LaidOut())];
}

int64_t RowLayout::CellOfChar(int index) const {
    return cell_[std::clamp(index, 0, LaidOut())];
}

int RowLayout::CharAt(int64_t x) const {
    auto it = std::upper_bound(x_.begin(), x_.end(), x);
    return it == x_.begin() ? 0 : static_cast<int>(it - x_.begin()) - 1;
}

int64_t RowLayout::XOfCell(int64_t cell) const {
    if (cell <= 0)
        return 0;
    if (cell >= cell_.back())
        return x_.back() + (cell - cell_.back()) * spaceWidth_;
    const auto j =
        static_cast<size_t>(std::upper_bound(cell_.begin(), cell_.end(), cell) - cell_.begin()) - 1;
    // Inside a tab the cells share its width evenly.
    return x_[j] + (x_[j + 1] - x_[j]) * (cell - cell_[j]) / (cell_[j + 1] - cell_[j]);
}

int64_t RowLayout::CellAtX(int64_t x) const {
    if (x <= 0)
        return 0;
    if (x >= x_.back())
        return cell_.back() + (x - x_.back() + spaceWidth_ / 2) / spaceWidth_;
    const auto j = static_cast<size_t>(CharAt(x));
    const int64_t cells = cell_[j + 1] - cell_[j];
    const int64_t width = std::max<int64_t>(x_[j + 1] - x_[j], 1);
    // The nearest cell boundary: a caret put at x goes between the cells closest to it.
    return cell_[j] + ((x - x_[j]) * cells * 2 + width) / (2 * width);
}

std::wstring RowLayout::DisplayText(std::wstring_view text, int first, int last, bool showWhiteSpace) const {
    std::wstring shown;
    last = std::min({last, LaidOut(), static_cast<int>(text.size())});
    for (int i = std::max(first, 0); i < last; ++i) {
        const wchar_t c = text[static_cast<size_t>(i)];
        if (c == L'\t') {
            const auto cells = static_cast<size_t>(cell_[i + 1] - cell_[i]);
            shown += showWhiteSpace ? kTabMark : L' ';
            shown.append(cells - 1, L' ');
        } else {
            shown += showWhiteSpace && c == L' ' ? kSpaceMark : c;
        }
    }
    return shown;
}

void CQELPenwrightTextLayout::SetFont(const TextMeasurer* measurer) {
    measurer_ = measurer;
    metrics_ = measurer ? measurer->Metrics() : TextMeasurer::FontMetrics{};
}

RowLayout CQELPenwrightTextLayout::LayoutRow(std::wstring_view text) {
    RowLayout row = LayOut(text, horzOffset_ + textRect_.Width(), measurer_);
    widestRow_ = std::max(widestRow_, row.x_.back());
    return row;
}

RowLayout CQELPenwrightTextLayout::LayoutCells(std::wstring_view text) {
    return LayOut(text, INT64_MAX, nullptr);
}

RowLayout CQELPenwrightTextLayout::LayOut(std::wstring_view text, int64_t edge,
                                          const TextMeasurer* measurer) {
    RowLayout row;
    row.spaceWidth_ = metrics_.spaceWidth > 0 ? metrics_.spaceWidth : GetCharWidth();
    int64_t cell = 0;
    int64_t x = 0;
    auto add = [&](int64_t cells, int64_t width) {
        cell += cells;
        x += width;
        row.cell_.push_back(cell);
        row.x_.push_back(x);
    };
    size_t i = 0;
    while (i < text.size() && x < edge) {
        if (text[i] == L'\t') {
            const int64_t cells = tabSize_ - cell % tabSize_;
            add(cells, cells * row.spaceWidth_);
            ++i;
            continue;
        }
        // The tab is looked for within the chunk only: a long row is not searched to its end
        // for every chunk.
        size_t end = std::min(text.size(), i + kChunk);
        if (const size_t tab = text.substr(i, end - i).find(L'\t'); tab != std::wstring_view::npos)
            end = i + tab;
        if (end < text.size() && IsLowSurrogate(text[end]))
            ++end;  // a pair is measured whole
        const std::wstring_view piece = text.substr(i, end - i);
        if (measurer) {
            measurer->Extents(piece, ends_);
        } else {
            ends_.resize(piece.size());
            for (size_t k = 0; k < piece.size(); ++k) ends_[k] = static_cast<int>(k + 1) * GetCharWidth();
        }
        const int64_t base = x;
        for (size_t k = 0; k < piece.size() && x < edge; ++k, ++i) add(1, base + ends_[k] - x);
    }
    row.complete_ = i == text.size();
    return row;
}
