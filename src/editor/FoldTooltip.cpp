#include "editor/FoldTooltip.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace FoldTooltip {

namespace {

// Characters [from, to] of a row, both clamped into it.
std::wstring_view Piece(std::wstring_view row, int64_t from, int64_t to) {
    const auto length = static_cast<int64_t>(row.size());
    const int64_t first = std::clamp<int64_t>(from, 0, length);
    const int64_t end = std::clamp<int64_t>(to + 1, first, length);
    return row.substr(static_cast<size_t>(first), static_cast<size_t>(end - first));
}

}  // namespace

std::wstring Text(const CQELPenwrightBufferManager& buffer, const CollapsibleBlock& block) {
    const int rows = buffer.GetRowCount();
    if (rows < 1)
        return {};
    const int first = std::clamp(block.start.row, 1, rows);
    const int endRow = std::clamp(block.end.row, first, rows);
    const int last = std::min(endRow, first + std::min(kMaxRows, rows - first + 1) - 1);
    auto pieceOf = [&](int row) {
        return Piece(buffer.GetLineView(row), row == first ? block.start.col : 0,
                     row == endRow ? block.end.col : INT64_MAX - 1);
    };
    // Rows indented like the last one lose that indentation: the tip shows the block's shape,
    // not how deep it sits. Stripped as the rows are joined, so that each row loses it once.
    const std::wstring_view lastPiece = pieceOf(last);
    const std::wstring_view indent =
        lastPiece.substr(0, std::min(lastPiece.find_first_not_of(L" \t"), lastPiece.size()));
    std::wstring text;
    for (int row = first; row <= last && text.size() < kMaxLength; ++row) {
        std::wstring_view piece = pieceOf(row);
        if (row != first) {
            text += L"\r\n";
            if (piece.starts_with(indent))
                piece.remove_prefix(indent.size());
        }
        text.append(piece.substr(0, kMaxLength - std::min(text.size(), kMaxLength)));
    }
    if (text.size() > kMaxLength)
        text.resize(kMaxLength);
    // Cut between the halves of a surrogate pair: the first half alone would show as a box.
    if (text.size() == kMaxLength && text.back() >= 0xD800 && text.back() <= 0xDBFF)
        text.pop_back();
    return text;
}

}  // namespace FoldTooltip
