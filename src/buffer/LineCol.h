#pragma once
// A text position: row then column, both 1-based in the editing interfaces (row 0 = no position).
#include <algorithm>
#include <compare>
#include <cstdint>

struct LineCol {
    int32_t row = 0;
    int32_t col = 0;

    constexpr bool IsValid() const { return row > 0; }
    constexpr void Clear() { row = col = 0; }

    // row * 4096 + (col & 0xFFF) in 32 bits, so that the parser can measure distances by
    // subtraction. Computed unsigned: rows past 2^19 wrap instead of overflowing.
    constexpr int32_t Packed() const {
        return static_cast<int32_t>((static_cast<uint32_t>(row) << 12) |
                                    (static_cast<uint32_t>(col) & 0xFFFu));
    }

    // Row first, then column.
    friend constexpr auto operator<=>(const LineCol&, const LineCol&) = default;
};

// The extremes a range's start and end are folded from: any position is below the one and
// above the other.
inline constexpr LineCol kRangeStartUnset{0x7FFFFFFF, 0x7FFFFFFF};
inline constexpr LineCol kRangeEndUnset{0, 0};

// Row and column taken separately: the corners of a block (column) selection.
constexpr LineCol ComponentMin(LineCol a, LineCol b) {
    return {std::min(a.row, b.row), std::min(a.col, b.col)};
}
constexpr LineCol ComponentMax(LineCol a, LineCol b) {
    return {std::max(a.row, b.row), std::max(a.col, b.col)};
}
