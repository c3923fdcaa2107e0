#pragma once
// What each screen row shows, computed in full before anything is drawn: the document row, its
// node, marks, colours, laid-out text cut into painted pieces, and the marker of a fold. The
// window's painter only draws this; hidden rows come from the screen-row map alone.
#include <functional>
#include <string>
#include <vector>

#include "editor/EditorCore.h"
#include "editor/RowColors.h"
#include "editor/RowSelection.h"
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

struct PaintRequest {
    PainterColors colors;  // the painter's; the top class's are put in with syntax colouring
    bool active = true;
    int firstScreenRow = 1;  // a paint of part of the window plans only its rows
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
    // Whether the rows below an edit parse differently now: the state where the row after it
    // begins is not what it was (or is not known).
    bool StateChangedAfter(const EditorCore::EditedRows& edited);
    // Whether the last plan renewed or removed a fold: rows it did not plan may have moved.
    bool FoldsChanged() const { return foldsChanged_; }
    // The last plan's colours: the request's, with the top class's put in.
    const PainterColors& FrameColors() const { return colors_; }

    // One row of the text as it goes on paper: its whole text laid out in cells (the printer
    // measures in its own fonts), pieces without a selection in the host's own colours, and its
    // fold's cut. The folds stay as the last paint left them. Rows outside the text are
    // `pastText` and empty. After a missed data lock the later rows go without parse results.
    PlannedRow PlanRow(int row, const PainterColors& colors);

private:
    struct Frame {                      // what every row of one plan is coloured with
        pw::RefPtr<TextSchema> schema;  // null without syntax colouring
        PainterColors colors;           // the top class's put in
        bool syntax = false;
    };
    Frame Begin(const PainterColors& colors) const;
    // The on-screen parse that holds `row`, from the cache or parsed now; null when the parse
    // could not be had.
    std::shared_ptr<const OnScreenContext> BlocksOf(const Frame& frame, int row,
                                                    const std::vector<int>* collapsedRows);
    // The text, pieces and cut of `p.row`, whose host colours are set.
    void PlanText(const Frame& frame, PlannedRow& p, const RowSelection& selection, bool active,
                  const std::vector<int>* collapsedRows);

    EditorCore& core_;
    std::vector<int> collapsedRows_;
    PainterColors colors_;
    bool lockMissed_ = false;
    bool foldsChanged_ = false;
    // Where the last row's walks ended, so that the next row's go on from there.
    pw::RefPtr<TextBlock> foldCursor_, runCursor_;
};
