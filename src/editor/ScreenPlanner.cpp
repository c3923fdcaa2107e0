#include "editor/ScreenPlanner.h"

#include <algorithm>

#include "buffer/TextIterator.h"
#include "editor/Folds.h"
#include "editor/NodeFlags.h"

ScreenPlanner::Frame ScreenPlanner::Begin(const PainterColors& colors) const {
    Frame frame{nullptr, colors, core_.GetOption(EditorOptions::kSyntaxColor)};
    if (frame.syntax)
        frame.schema = core_.GetParser().GetCurrentSchema();
    if (frame.schema) {
        if (pw::RefPtr<LexClass> top = frame.schema->FileClass(core_.GetBuffer().GetFileExt())) {
            LexTextAttributes attributes;
            top->GetTextAttributes(attributes);
            frame.colors = colors.WithTopClass(attributes);
        }
    }
    return frame;
}

std::shared_ptr<const OnScreenContext> ScreenPlanner::BlocksOf(const Frame& frame, int row,
                                                               const std::vector<int>* collapsedRows) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    const int32_t lifeTime = core_.GetParser().GetOptions(buffer.GetFileExt())->onScreenCacheLifeTimeSec;
    const RowBlockCache::Fill fill = [&](int32_t first, int32_t last, OnScreenContext& context) {
        pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(&buffer);
        return frame.schema->OnScreenParse(it.get(), first, last, context);
    };
    return core_.GetCache().Find(
        {row, core_.RowsPerPage(), collapsedRows, core_.GetWindow().TickCount(), lifeTime}, fill);
}

bool ScreenPlanner::StateChangedAfter(const EditorCore::EditedRows& edited) {
    const Frame frame = Begin({});
    if (!frame.schema || edited.row < 1 || edited.row >= core_.GetBuffer().GetRowCount())
        return false;
    // Parsed from the edited row, which the paint draws from the same parse: a parse that began
    // below it would take its state from before the edit.
    const std::shared_ptr<const OnScreenContext> blocks = BlocksOf(frame, edited.row, nullptr);
    return !blocks || !edited.before || blocks->GetLastRow() <= edited.row ||
           blocks->OpenClassesAt(edited.row + 1) != *edited.before;
}

void ScreenPlanner::PlanText(const Frame& frame, PlannedRow& p, const RowSelection& selection, bool active,
                             const std::vector<int>* collapsedRows) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    p.text = buffer.GetLineText(p.row);
    const auto length = static_cast<int32_t>(p.text.size());
    std::vector<RowRun> runs;
    if (frame.schema && !lockMissed_) {
        const std::shared_ptr<const OnScreenContext> blocks = BlocksOf(frame, p.row, collapsedRows);
        lockMissed_ = !frame.schema->GetRowRuns(buffer, p.row, 0, 0, {},
                                                blocks ? blocks->GetHeadBlock().get() : nullptr,
                                                blocks ? nullptr : &runCursor_, runs);
    } else if (length > 0) {
        runs.push_back({0, length, {}});
    }
    RowPaintInput in{frame.colors, p.host, frame.syntax, active, selection.start, selection.end};
    if (const CollapsibleBlock* folded = Folds::CollapsedAt(buffer.GetLineMarks(), p.row)) {
        p.cut = in.cut = std::clamp(folded->start.col, 0, length);
        p.collapsedText = folded->collapsedText;
    }
    p.pieces = RowPieces(runs, in);
}

std::vector<PlannedRow> ScreenPlanner::Plan(const PaintRequest& request) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    CQELPenwrightLineMarksManager& marks = buffer.GetLineMarks();
    const Frame frame = Begin(request.colors);
    colors_ = frame.colors;
    const bool settled = core_.IsParseSettled();
    const int rowCount = buffer.GetRowCount();
    foldCursor_ = runCursor_ = nullptr;

    collapsedRows_.clear();
    lockMissed_ = foldsChanged_ = false;
    ScreenRowMap map = core_.RowMap();
    std::vector<PlannedRow> rows;
    for (int i = 0; i < request.screenRows; ++i) {
        PlannedRow p;
        p.row = map.ScreenToDocRow(core_.GetTopRow(), request.firstScreenRow + i);
        p.pastText = p.row > rowCount;
        // After one query found the data lock taken, the rest of the screen does without the
        // parse rather than wait for the lock again on every row.
        if (frame.schema && !p.pastText && !lockMissed_) {
            RowBlocks answer;
            const bool locked = frame.schema->GetCollapsibleBlocks(p.row, answer.blocks, &foldCursor_);
            lockMissed_ = !locked;
            answer.settled = locked && settled;
            const NodeState node = ComputeNodeFlags(p.row, answer, rowCount, marks, collapsedRows_);
            // A fold drawn before the parse settled may be one it removes: its end draws it again.
            if (!answer.settled && marks.HasMark(p.row, LineMarkKind::Collapsed))
                core_.PaintedUnsettled(p.row, p.row);
            p.nodeFlags = node.flags;
            if (node.foldsChanged) {
                map = core_.RowMap();  // the rows below follow the renewed fold
                foldsChanged_ = true;
            }
        }
        p.bookmark = marks.HasMark(p.row, LineMarkKind::Bookmark);
        p.breakpoint = marks.HasMark(p.row, LineMarkKind::Breakpoint);
        p.host = core_.GetRowColors().ForPaint(p.row, p.breakpoint);
        p.band = p.host.back != kColorNotSet ? p.host.back : ShownColor(frame.colors.back, kColorNotSet);
        if (p.pastText) {
            rows.push_back(std::move(p));
            continue;
        }
        const RowSelection selection = request.selection ? request.selection(p.row) : RowSelection{};
        PlanText(frame, p, selection, request.active, &collapsedRows_);
        p.layout = core_.GetTextLayout().LayoutRow(p.text);
        const int shown = p.cut >= 0 ? p.cut : static_cast<int>(p.text.size());
        p.tail =
            TailOf(p.layout.CellOfChar(shown), selection.startCell, selection.endCell, selection.lineEnd);
        rows.push_back(std::move(p));
    }
    if (lockMissed_)
        core_.RepaintLater();
    return rows;
}

PlannedRow ScreenPlanner::PlanRow(int row, const PainterColors& colors) {
    PlannedRow p;
    p.row = row;
    p.pastText = row < 1 || row > core_.GetBuffer().GetRowCount();
    if (p.pastText)
        return p;
    // A breakpoint's colours come with the selection margin, which paper does not show.
    p.host = core_.GetRowColors().Get(row);
    PlanText(Begin(colors), p, {}, true, nullptr);
    p.layout = core_.GetTextLayout().LayoutCells(p.text);
    return p;
}
