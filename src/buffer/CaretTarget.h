#pragma once
// Where an undo or redo step leaves the caret. The edit control implements it; a step replayed
// without a view passes none and the caret stays where it is.
#include "buffer/LineCol.h"

class CaretTarget {
public:
    // Current row = pos.row, current character position (1-based) = pos.col.
    virtual void SetCaretPos(const LineCol& pos) = 0;

protected:
    ~CaretTarget() = default;
};
