#include "editor/EditorCore.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "editor/Folds.h"

namespace {

// Parser and buffer events the control follows.
constexpr uint32_t kParserEvents[] = {TextSchema::kParseStarted, TextSchema::kBlockEndedEvent,
                                      TextSchema::kParseFinished};
constexpr uint32_t kBufferEvents[] = {BufferConfig::kSchemeReloaded, BufferConfig::kThemeReloaded,
                                      BufferConfig::kConfigRead};

}  // namespace

EditorCore::EditorCore(EditorWindow& window, pw::RefPtr<CQELPenwrightBufferManager> buffer,
                       pw::Profile* profile)
    : window_(window),
      buffer_(buffer ? std::move(buffer) : pw::MakeRef<CQELPenwrightBufferManager>()),
      profile_(profile),
      throttle_([&window] { return window.TickCount(); }) {
    options_.Load(profile_);
    parser_ = dynamic_cast<LexParser*>(buffer_->GetParser().get());
    if (!parser_) {
        parser_ = pw::MakeRef<LexParser>();
        buffer_->SetParser(parser_);
    }
    layout_.SetTabSize(buffer_->GetTabSize());
    layout_.SetTextRect({0, 0, 3000, 2000});
    Subscribe();
    RecalcLayout();
}

EditorCore::~EditorCore() {
    sink_.UnadviseAll();
}

void EditorCore::Subscribe() {
    sink_.UnadviseAll();
    for (uint32_t code : kParserEvents)
        sink_.Advise(parser_->GetConnection(), code,
                     [this](uint32_t c, uintptr_t w, intptr_t l) { OnParserEvent(c, w, l); });
    for (uint32_t code : kBufferEvents)
        sink_.Advise(buffer_->GetConnection(), code,
                     [this](uint32_t c, uintptr_t, intptr_t) { OnBufferEvent(c); });
}

bool EditorCore::SetOption(EditorOptions::Option option, bool value, bool persist) {
    if (option == EditorOptions::kWideCaret && value == options_.Get(option))
        return true;
    const bool saved = options_.Set(option, value, persist, profile_);
    switch (option) {
        case EditorOptions::kLineNumbers:
        case EditorOptions::kSelMargin:
            RecalcLayout();
            window_.RedrawCaret();
            break;
        case EditorOptions::kSyntaxColor:
            cache_.Clear();
            parsedSinceReload_ = false;
            buffer_->EnableSyntaxColoring(value);
            window_.Invalidate();
            break;
        case EditorOptions::kHScrollBar:
        case EditorOptions::kVScrollBar:
            window_.ShowScrollBars(options_.Get(EditorOptions::kHScrollBar),
                                   options_.Get(EditorOptions::kVScrollBar));
            break;
        case EditorOptions::kWideCaret:
            window_.RedrawCaret();
            break;
        case EditorOptions::kVirtualSpace:
            caret_.Refit();
            break;
        default:
            break;
    }
    return saved;
}

void EditorCore::RecalcLayout() {
    layout_.SetFont(window_.GetTextMeasurer());
    const EditMargins margins = EditMargins::Compute(options_.Get(EditorOptions::kSelMargin),
                                                     options_.Get(EditorOptions::kLineNumbers), nodeColumn_,
                                                     buffer_->GetRowCount(), layout_.GetCharWidth());
    const bool moved = margins.TextLeft() != margins_.TextLeft() || rects_.text.Width() == 0;
    margins_ = margins;
    if (!moved)
        return;
    rects_ = EditRects::Compute(window_.GetClientRect(), margins_);
    layout_.SetTextRect(rects_.text);
    UpdateScrollBars();
    window_.RedrawCaret();
    window_.Invalidate();
}

void EditorCore::OnSize() {
    if (!window_.GetTextMeasurer())
        return;  // no font yet: nothing can be measured
    rects_ = EditRects::Compute(window_.GetClientRect(), margins_);
    layout_.SetTextRect(rects_.text);
    UpdateScrollBars();
    window_.Invalidate();
    window_.UpdateNow();
}

void EditorCore::SetTopRow(int row) {
    const ScreenRowMap map = RowMap();
    topRow_ = map.RowOfVisible(map.VisibleNumber(Scrolling::ClampTopRow(row, buffer_->GetRowCount())));
}

ScreenRowMap EditorCore::RowMap() const {
    return ScreenRowMap(buffer_->GetLineMarks(), buffer_->GetRowCount());
}

void EditorCore::UpdateScrollBars() {
    const Scrolling::VerticalBar v = Scrolling::Vertical(RowMap(), topRow_, RowsPerPage());
    if (v.topRow != topRow_) {
        topRow_ = v.topRow;
        window_.Invalidate();
    }
    window_.SetScrollBar(true, {v.max, v.page, v.pos, v.enabled});
    const int width = rects_.text.Width();
    horzExtent_ =
        Scrolling::HorizontalExtent(horzExtent_, width, layout_.GetWidestRow(), layout_.GetCharWidth());
    window_.SetScrollBar(false, {horzExtent_, width, layout_.GetHorzOffset(), true});
}

void EditorCore::OnVScroll(Scrolling::Action action, int track) {
    const int top = Scrolling::VerticalAction(RowMap(), topRow_, RowsPerPage(), action, track);
    if (top == topRow_)
        return;
    topRow_ = top;
    UpdateScrollBars();
    window_.RedrawCaret();
    window_.Invalidate();
}

void EditorCore::OnHScroll(Scrolling::Action action, int64_t track) {
    const int64_t offset = Scrolling::HorizontalAction(layout_.GetHorzOffset(), action, rects_.text.Width(),
                                                       layout_.GetCharWidth(), track);
    if (offset == layout_.GetHorzOffset())
        return;
    layout_.SetHorzOffset(offset);
    UpdateScrollBars();
    window_.RedrawCaret();
    window_.Invalidate();
    window_.UpdateNow();
}

void EditorCore::ScrollBy(int rows, int columns) {
    const int top = topRow_;
    const int64_t offset = layout_.GetHorzOffset();
    topRow_ = RowMap().Step(topRow_, rows);
    layout_.SetHorzOffset(offset + int64_t{columns} * layout_.GetCharWidth());
    const int32_t moved = (topRow_ != top ? 1 : 0) | (layout_.GetHorzOffset() != offset ? 2 : 0);
    if (!moved)
        return;
    UpdateScrollBars();
    window_.RedrawCaret();
    window_.Invalidate();
    window_.NotifyParent(EditNotify::kScrolled, std::span(&moved, 1));
}

void EditorCore::OnParserEvent(uint32_t code, uintptr_t wParam, intptr_t lParam) {
    const int32_t values[] = {static_cast<int32_t>(code), static_cast<int32_t>(wParam),
                              static_cast<int32_t>(lParam)};
    window_.NotifyParent(EditNotify::kParserEvent, values);
    switch (code) {
        case TextSchema::kParseStarted:
            throttle_.ParseStarted();
            break;
        case TextSchema::kBlockEndedEvent: {
            const int first = static_cast<int>(wParam);
            const int last = static_cast<int>(lParam);
            if (first < 1) {
                throttle_.RowsParsed(false);
                break;
            }
            cache_.DropFrom(first);
            const bool onScreen = RepaintThrottle::OnScreen(RowMap(), topRow_, RowsPerPage(), first, last);
            const RepaintThrottle::Decision decision = throttle_.RowsParsed(onScreen);
            if (decision.action == RepaintThrottle::Action::kNone)
                break;
            window_.KillRepaintTimer();
            if (decision.action == RepaintThrottle::Action::kRestartTimer) {
                window_.SetRepaintTimer(decision.timerMs);
                break;
            }
            InvalidateRows(first, last);
            window_.UpdateNow();
            break;
        }
        case TextSchema::kParseFinished:
            if (wParam & TextSchema::kDone)
                parsedSinceReload_ = true;
            window_.KillRepaintTimer();
            if (unsettledFirst_ > 0)
                InvalidateRows(unsettledFirst_, unsettledLast_);
            unsettledFirst_ = unsettledLast_ = 0;
            window_.UpdateNow();
            break;
        default:
            break;
    }
}

std::optional<PixelRect> EditorCore::CaretRect(int row, int displayCol, bool overwrite, bool focus) {
    const ScreenRowMap map = RowMap();
    const int screenRow = map.DocToScreenRow(topRow_, row);
    if (!focus || map.IsHidden(row) || screenRow < 1)
        return std::nullopt;
    const RowLayout layout = layout_.LayoutRow(Folds::VisibleText(*buffer_, row));
    const int64_t x = rects_.text.left + layout.XOfCell(displayCol - 1) - layout_.GetHorzOffset();
    const int64_t y = rects_.text.top + int64_t{screenRow - 1} * layout_.GetRowHeight();
    const int width = overwrite && options_.Get(EditorOptions::kWideCaret) ? layout_.GetCharWidth() : 2;
    if (x < rects_.text.left || x + width > rects_.text.right ||
        y + layout_.GetRowHeight() > rects_.text.bottom)
        return std::nullopt;
    return PixelRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x) + width,
                     static_cast<int>(y) + layout_.GetRowHeight()};
}

void EditorCore::InvalidateRows(int first, int last) {
    const ScreenRowMap map = RowMap();
    const int page = RowsPerPage() + 1;  // the part row at the bottom too
    const int from = std::max(map.DocToScreenRow(topRow_, std::max(first, 1)), 1);
    const int to = last >= buffer_->GetRowCount() ? page : std::min(map.DocToScreenRow(topRow_, last), page);
    if (to < from)
        return;
    const PixelRect client = window_.GetClientRect();
    const int height = layout_.GetRowHeight();
    window_.InvalidateArea({client.left, rects_.text.top + (from - 1) * height, client.right,
                            to >= page ? client.bottom : rects_.text.top + to * height});
}

void EditorCore::PaintedUnsettled(int first, int last) {
    unsettledFirst_ = unsettledFirst_ > 0 ? std::min(unsettledFirst_, first) : first;
    unsettledLast_ = std::max(unsettledLast_, last);
}

void EditorCore::OnRepaintTimer() {
    window_.KillRepaintTimer();
    window_.Invalidate();
    window_.UpdateNow();
}

void EditorCore::OnBufferEvent(uint32_t) {
    cache_.Clear();
    parsedSinceReload_ = false;
    window_.Invalidate();
}

void EditorCore::AfterEdit(int firstRow, int lastRow, int flags, int rowsBefore, bool firstRowMoves,
                           uint64_t changesBefore) {
    const int delta = buffer_->GetRowCount() - rowsBefore;
    CQELPenwrightLineMarksManager& marks = buffer_->GetLineMarks();
    if (delta > 0)
        marks.UpdateLineMarks(firstRow, firstRow + delta,
                              LineMarkAction::RowsInserted | (firstRowMoves ? LineMarkAction::MoveFirst : 0));
    else if (delta < 0)
        marks.UpdateLineMarks(firstRow, firstRow - delta, LineMarkAction::RowsRemoved);
    edited_ = {};
    if (delta == 0) {
        edited_.row = lastRow;
        if (const std::shared_ptr<const OnScreenContext> blocks = cache_.Peek(lastRow + 1))
            edited_.before = blocks->OpenClassesAt(lastRow + 1);
    }
    cache_.Edited(firstRow, changesBefore, buffer_->GetChangeCount());
    const int32_t values[] = {firstRow, lastRow, flags};
    window_.NotifyParent(EditNotify::kRowsChanged, values);
    if (delta != 0) {
        RecalcLayout();
        UpdateScrollBars();
    }
    // Rows that came or went move everything below them. An edit within rows may colour later
    // ones anew (a comment opened): the next paint finds out (see TakeEdited).
    InvalidateRows(firstRow, delta != 0 ? INT_MAX : lastRow);
}

void EditorCore::Refresh() {
    cache_.Clear();
    parsedSinceReload_ = false;
    if (options_.Get(EditorOptions::kSyntaxColor))
        parser_->ParseWholeText(*buffer_, LexParser::WholeParse::kTextLoaded);
    else
        buffer_->GetLineMarks().RemoveAll(LineMarkKind::Collapsed);
    window_.Invalidate();
}

RowBlockCache& EditorCore::GetCache() {
    cache_.Check(sink_.TotalLostEvents(), buffer_->GetChangeCount());
    return cache_;
}

bool EditorCore::IsParseSettled() const {
    return parsedSinceReload_ && parser_->WaitUntilParsed(0);
}
