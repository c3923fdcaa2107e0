#include "editor/RowColumns.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "buffer/RowArray.h"
#include "editor/CharClass.h"

namespace {

int Size(std::wstring_view text) {
    return static_cast<int>(text.size());
}

int64_t Width(const RowColumns::Row& row, int64_t cell, wchar_t c) {
    return c == L'\t' ? row.tabSize - cell % row.tabSize : 1;
}

// The furthest column past the end, kept in the int range for rows of huge display width.
int Bounded(int64_t column) {
    return static_cast<int>(std::clamp<int64_t>(column, 1, INT_MAX));
}

int LastColumn(const RowColumns::Row& row, int end) {
    return row.virtualSpace ? Bounded(int64_t{end} + RowArray::kMaxPadding) : end;
}

}  // namespace

namespace RowColumns {

int EndColumn(const Row& row) {
    int64_t cell = 0;
    for (wchar_t c : row.text) cell += Width(row, cell, c);
    return Bounded(cell + 1);
}

int ColumnOf(const Row& row, int position) {
    const auto n = static_cast<int>(std::clamp<int64_t>(int64_t{position} - 1, 0, Size(row.text)));
    int64_t cell = 0;
    for (int i = 0; i < n; ++i) cell += Width(row, cell, row.text[i]);
    const int64_t past = int64_t{position} - 1 - n;  // positions beyond the end
    return std::min(Bounded(cell + 1 + past), LastColumn(row, Bounded(cell + 1)));
}

int PositionOf(const Row& row, int column) {
    int64_t cell = 0;
    int i = 0;
    while (i < Size(row.text)) {
        const int64_t next = cell + Width(row, cell, row.text[i]);
        if (next >= column)
            return i + 1;
        cell = next;
        ++i;
    }
    const int end = Bounded(cell + 1);
    if (!row.virtualSpace || column <= end)
        return i + 1;
    return Bounded(int64_t{i} + 1 + std::min(column, LastColumn(row, end)) - end);
}

int Snap(const Row& row, int column) {
    int64_t cell = 0;
    for (int i = 0; i < Size(row.text); ++i) {
        if (cell + 1 >= column && CharClass::IsBoundary(row.text, i))
            return Bounded(cell + 1);
        cell += Width(row, cell, row.text[i]);
    }
    const int end = Bounded(cell + 1);
    return row.virtualSpace ? std::clamp(column, end, LastColumn(row, end)) : end;
}

}  // namespace RowColumns
