#include "editor/ScreenPlanner.h"

#include <algorithm>

#include "buffer/TextIterator.h"
#include "editor/Folds.h"
#include "editor/NodeFlags.h"

std::vector<PlannedRow> ScreenPlanner::Plan(const PaintRequest& request) {
    CQELPenwrightBufferManager& buffer = core_.GetBuffer();
    CQELPenwrightLineMarksManager& marks = buffer.GetLineMarks();
    const bool syntax = core_.GetOption(EditorOptions::kSyntaxColor);
    const pw::RefPtr<TextSchema> schema = syntax ? core_.GetParser().GetCurrentSchema() : nullptr;
    colors_ = request.colors;
    PainterColors& colors = colors_;
    if (schema) {
        if (pw::RefPtr<LexClass> top = schema->FileClass(buffer.GetFileExt())) {
            LexTextAttributes attributes;
            top->GetTextAttributes(attributes);
            colors = colors.WithTopClass(attributes);
        }
    }
    const bool settled = core_.IsParseSettled();
    const int rowCount = buffer.GetRowCount();
    const int32_t lifeTime = core_.GetParser().GetOptions(buffer.GetFileExt())->onScreenCacheLifeTimeSec;
    RowBlockCache& cache = core_.GetCache();
    const RowBlockCache::Fill fill = [&](int32_t first, int32_t last, OnScreenContext& context) {
        pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(&buffer);
        return schema->OnScreenParse(it.get(), first, last, context);
    };
    pw::RefPtr<TextBlock> foldCursor, runCursor;

    collapsedRows_.clear();
    lockMissed_ = false;
    ScreenRowMap map = core_.RowMap();
    std::vector<PlannedRow> rows;
    for (int i = 0; i < request.screenRows; ++i) {
        PlannedRow p;
        p.row = map.ScreenToDocRow(core_.GetTopRow(), i + 1);
        p.pastText = p.row > rowCount;
        // After one query found the data lock taken, the rest of the screen does without the
        // parse rather than wait for the lock again on every row.
        if (schema && !p.pastText && !lockMissed_) {
            RowBlocks answer;
            const bool locked = schema->GetCollapsibleBlocks(p.row, answer.blocks, &foldCursor);
            lockMissed_ = !locked;
            answer.settled = locked && settled;
            const NodeState node = ComputeNodeFlags(p.row, answer, rowCount, marks, collapsedRows_);
            p.nodeFlags = node.flags;
            if (node.foldsChanged)
                map = core_.RowMap();  // the rows below follow the renewed fold
        }
        p.bookmark = marks.HasMark(p.row, LineMarkKind::Bookmark);
        p.breakpoint = marks.HasMark(p.row, LineMarkKind::Breakpoint);
        p.host = core_.GetRowColors().ForPaint(p.row, p.breakpoint);
        p.band = p.host.back != kColorNotSet ? p.host.back : ShownColor(colors.back, kColorNotSet);
        if (p.pastText) {
            rows.push_back(std::move(p));
            continue;
        }
        p.text = buffer.GetLineText(p.row);
        p.layout = core_.GetTextLayout().LayoutRow(p.text);
        const auto length = static_cast<int32_t>(p.text.size());
        std::vector<RowRun> runs;
        if (schema && !lockMissed_) {
            const std::shared_ptr<const OnScreenContext> blocks = cache.Find(
                {p.row, core_.RowsPerPage(), &collapsedRows_, core_.GetWindow().TickCount(), lifeTime}, fill);
            lockMissed_ =
                !schema->GetRowRuns(buffer, p.row, 0, 0, {}, blocks ? blocks->GetHeadBlock().get() : nullptr,
                                    blocks ? nullptr : &runCursor, runs);
        } else if (length > 0) {
            runs.push_back({0, length, {}});
        }
        const RowSelection selection = request.selection ? request.selection(p.row) : RowSelection{};
        RowPaintInput in{colors, p.host, syntax, request.active, selection.start, selection.end};
        int32_t shown = length;
        if (const CollapsibleBlock* folded = Folds::CollapsedAt(marks, p.row)) {
            p.cut = shown = std::clamp(folded->start.col, 0, length);
            p.collapsedText = folded->collapsedText;
            in.cut = p.cut;
        }
        p.pieces = RowPieces(runs, in);
        p.tail =
            TailOf(p.layout.CellOfChar(shown), selection.startCell, selection.endCell, selection.lineEnd);
        rows.push_back(std::move(p));
    }
    if (lockMissed_)
        core_.RepaintLater();
    return rows;
}
