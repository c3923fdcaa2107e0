#pragma once
// The selection: an anchor (start) and a moving end, each known as a display column and as a
// string position of its row. A stream runs from the earlier point to the later one; a block is
// the rectangle of display columns between the two points over the rows between them. Start
// equal to end is no selection.
#include <string>

#include "buffer/BufferManager.h"
#include "editor/RowColumns.h"
#include "editor/RowSelection.h"

class CQELPenwrightSelection {
public:
    struct Point {
        int row = 1;
        int col = 1;  // display column
        int pos = 1;  // string position
        friend bool operator==(const Point&, const Point&) = default;
    };
    struct Range {
        Point first;  // the earlier point in the text ...
        Point last;   // ... and the later one
    };

    const Point& GetStart() const { return start_; }
    const Point& GetEnd() const { return end_; }
    bool IsBlock() const { return block_; }
    bool IsEmpty() const { return start_.row == end_.row && start_.col == end_.col; }
    Range Normalized() const;
    // Whether the character cell at (row, display column) is selected.
    bool Contains(int row, int col) const;

    void Set(const Point& start, const Point& end, bool block);
    // No selection, both points at `at`.
    void Clear(const Point& at) { Set(at, at, false); }

    // What `row`, whose text as shown is `text`, has selected: character and cell ranges, and
    // whether a stream goes on past its line end. Nothing for an empty selection or a row outside.
    RowSelection ForRow(int row, const RowColumns::Row& text) const;
    // A stream with the buffer's line ends between its rows; a block as its rows, each padded
    // with blanks to the block's width and ended by a line end.
    std::wstring GetText(const CQELPenwrightBufferManager& buffer) const;

    friend bool operator==(const CQELPenwrightSelection&, const CQELPenwrightSelection&) = default;

private:
    Point start_;
    Point end_;
    bool block_ = false;
};
