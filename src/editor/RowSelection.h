#pragma once
// What one row has selected, as the selection gives it and the planner paints it.
#include <cstdint>

struct RowSelection {
    int32_t start = 0;  // characters [start, end)
    int32_t end = 0;
    int64_t startCell = 0;  // the same in display cells, which may lie past the text
    int64_t endCell = 0;
    bool lineEnd = false;  // the selection goes on past the row's line end
};
