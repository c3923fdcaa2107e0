#pragma once
// What each screen row shows, computed in full before anything is drawn: the document row, its
// node, marks, colours, laid-out text cut into painted pieces, and the marker of a fold. The
// window's painter only draws this; hidden rows come from the screen-row map alone.
#include <functional>
#include <string>
#include <vector>

#include "editor/EditorCore.h"
#include "editor/RowColors.h"
#include "editor/TextLayout.h"

struct PlannedRow {
    int row = 0;            // the document row
    bool pastText = false;  // below the last row: only the band is painted
    int nodeFlags = 0;
    bool bookmark = false;
    bool breakpoint = false;
    HostRowColors host;  // this paint's: a breakpoint's colours on a breakpoint row
    int32_t band = 0;    // the row's background
    std::wstring text;   // the whole row; pieces and the layout index into it
    RowLayout layout;
    std::vector<PaintPiece> pieces;
    SelectionTail tail;  // selected blanks past the text
    int cut = -1;        // a fold's marker stands here, showing `collapsedText`; -1: none
    std::wstring collapsedText;
};

struct RowSelection {
    int32_t start = 0;  // characters [start, end)
    int32_t end = 0;
    int64_t startCell = 0;  // the same in display cells, which may lie past the text
    int64_t endCell = 0;
    bool lineEnd = false;  // the selection goes on past the row's line end
};

struct PaintRequest {
    PainterColors colors;  // the painter's; the top class's are put in with syntax colouring
    bool active = true;
    int screenRows = 0;
    // What a row has selected; none when empty.
    std::function<RowSelection(int row)> selection;
};

class ScreenPlanner {
public:
    explicit ScreenPlanner(EditorCore& core) : core_(core) {}

    // The rows of the screen from the top row down. Folds are renewed or removed on the way
    // (see ComputeNodeFlags); the folded rows seen are kept for the markers.
    std::vector<PlannedRow> Plan(const PaintRequest& request);
    const std::vector<int>& CollapsedRows() const { return collapsedRows_; }
    // Whether a row query of the last plan found the data lock taken (the parser held it past the
    // query's limit): the rows from there on were planned without parse results.
    bool LockMissed() const { return lockMissed_; }
    // The last plan's colours: the request's, with the top class's put in.
    const PainterColors& FrameColors() const { return colors_; }

private:
    EditorCore& core_;
    std::vector<int> collapsedRows_;
    PainterColors colors_;
    bool lockMissed_ = false;
};
