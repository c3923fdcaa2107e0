// The edit control's logic with a window that records what it was asked: options and their
// consequences, the layout, the top row, marks after an edit, the parser's progress and the
// row block cache shared with another control.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"
#include "editor/Folds.h"
#include "platform/Profile.h"

namespace {

class FakeWindow : public EditorWindow, public MonospaceMeasurer {
public:
    PixelRect GetClientRect() const override { return client; }
    const TextMeasurer* GetTextMeasurer() const override { return this; }
    void Invalidate() override { ++invalidated; }
    void InvalidateArea(const PixelRect&) override { ++invalidated; }
    void UpdateNow() override { ++updated; }
    void SetRepaintTimer(uint32_t periodMs) override { timer = periodMs; }
    void KillRepaintTimer() override { timer = 0; }
    void SetScrollBar(bool vertical, const ScrollBar& bar) override { (vertical ? vbar : hbar) = bar; }
    void ShowScrollBars(bool h, bool v) override { shown = {h, v}; }
    void RedrawCaret() override { ++caretRedrawn; }
    intptr_t NotifyParent(int code, std::span<const int32_t> values) override {
        notes.push_back({code, std::vector<int32_t>(values.begin(), values.end())});
        return 0;
    }
    uint32_t TickCount() override { return now; }
    bool PutClipboard(std::wstring_view, bool) override { return false; }
    std::optional<ClipboardText> GetClipboard() override { return std::nullopt; }
    void SetTimer(uint32_t, uint32_t) override {}
    void KillTimer(uint32_t) override {}
    void CaptureMouse(bool) override {}
    void TakeFocus() override {}
    void ShowTooltip(std::wstring_view, int, int) override {}
    void HideTooltip() override {}

    struct Note {
        int code;
        std::vector<int32_t> values;
        friend bool operator==(const Note&, const Note&) = default;
    };
    PixelRect client{0, 0, 640, 160};  // ten rows of 16 pixels
    int invalidated = 0, updated = 0, caretRedrawn = 0;
    uint32_t timer = 0;
    uint32_t now = 0;
    ScrollBar vbar, hbar;
    std::pair<bool, bool> shown{true, true};
    std::vector<Note> notes;
};

pw::RefPtr<CQELPenwrightBufferManager> Rows(int n) {
    auto buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    std::wstring text;
    for (int i = 1; i <= n; ++i) text += L"row " + std::to_wstring(i) + (i < n ? L"\r\n" : L"");
    if (n > 0)
        buffer->InsertText(text, 1, 1, false);
    return buffer;
}

TEST(EditorCore, OptionsApplyEvenWhenTheyCannotBeSaved) {
    FakeWindow window;
    pw::MemoryProfile profile;
    profile.failWrites = true;
    auto buffer = Rows(5);
    EditorCore core(window, buffer, &profile);
    const int textLeft = core.GetRects().text.left;
    EXPECT_EQ(textLeft, 20 + (2 * 8 + 2) + 10 + 4);

    window.invalidated = 0;
    EXPECT_FALSE(core.SetOption(EditorOptions::kSelMargin, false, true));
    EXPECT_FALSE(core.GetOption(EditorOptions::kSelMargin));
    EXPECT_EQ(core.GetRects().text.left, textLeft - 20);  // and it took effect
    EXPECT_GT(window.invalidated, 0);

    EXPECT_TRUE(core.SetOption(EditorOptions::kVScrollBar, false, false));
    EXPECT_EQ(window.shown, std::make_pair(true, false));
    const int redrawn = window.caretRedrawn;
    EXPECT_TRUE(core.SetOption(EditorOptions::kWideCaret, true, true));  // unchanged: nothing to save
    EXPECT_EQ(window.caretRedrawn, redrawn);
}

TEST(EditorCore, TopRowAndBarsStayInTheText) {
    FakeWindow window;
    EditorCore empty(window, Rows(0), nullptr);
    EXPECT_EQ(empty.GetRects().lineNumbers.Width(), 2 * 8 + 2);  // an empty text counts one row
    empty.SetTopRow(5);
    EXPECT_EQ(empty.GetTopRow(), 1);

    EditorCore core(window, Rows(40), nullptr);
    EXPECT_EQ(core.RowsPerPage(), 10);
    for (const auto& [asked, got] : std::vector<std::pair<int, int>>{{0, 1}, {-3, 1}, {17, 17}, {99, 40}}) {
        core.SetTopRow(asked);
        EXPECT_EQ(core.GetTopRow(), got) << asked;
    }
    core.SetTopRow(17);
    core.UpdateScrollBars();
    EXPECT_EQ(window.vbar, (EditorWindow::ScrollBar{40, 10, 17, true}));
    core.OnVScroll(Scrolling::Action::kPageDown, 0);
    EXPECT_EQ(core.GetTopRow(), 27);
    EXPECT_EQ(window.vbar.pos, 27);
    core.OnHScroll(Scrolling::Action::kThumb, 13);
    EXPECT_EQ(core.GetTextLayout().GetHorzOffset(), 16);

    struct Case {
        int rows, columns, moved;
    };
    window.notes.clear();
    for (const Case& c : {Case{2, 0, 1}, Case{0, -1, 2}, Case{-3, 4, 3}, Case{0, -99, 2}, Case{0, -1, 0}}) {
        core.ScrollBy(c.rows, c.columns);
        const std::vector<FakeWindow::Note> expected{{EditNotify::kScrolled, {c.moved}}};
        EXPECT_EQ(window.notes, c.moved ? expected : std::vector<FakeWindow::Note>{})
            << c.rows << " " << c.columns;
        window.notes.clear();
    }
    EXPECT_EQ(core.GetTopRow(), 26);
    EXPECT_EQ(core.GetTextLayout().GetHorzOffset(), 0);
}

// The caret goes where the screen-row map puts its row, and only where it can be seen.
TEST(EditorCore, CaretStandsOnItsScreenRow) {
    FakeWindow window;
    auto buffer = Rows(40);
    EditorCore core(window, buffer, nullptr);
    ASSERT_TRUE(core.SetOption(EditorOptions::kSelMargin, false, false));
    ASSERT_TRUE(core.SetOption(EditorOptions::kLineNumbers, false, false));
    Folds::Collapse(buffer->GetLineMarks(), {{5, 3}, {10, 0}, L"[..]"});
    const int left = core.GetRects().text.left;
    struct Case {
        int row, col;
        bool overwrite, focus;
        std::optional<PixelRect> rect;
    };
    const Case cases[] = {
        {11, 3, false, true, PixelRect{left + 16, 5 * 16, left + 18, 6 * 16}},  // after the fold
        {11, 3, true, true, PixelRect{left + 16, 5 * 16, left + 24, 6 * 16}},   // a wide caret
        {5, 9, false, true, PixelRect{left + 64, 4 * 16, left + 66, 5 * 16}},   // past the fold's start
        {11, 3, false, false, std::nullopt},                                    // no focus
        {7, 1, false, true, std::nullopt},                                      // hidden in the fold
        {16, 1, false, true, std::nullopt},                                     // below the page
        {11, 500, false, true, std::nullopt},                                   // right of the text area
    };
    for (const Case& c : cases)
        EXPECT_EQ(core.CaretRect(c.row, c.col, c.overwrite, c.focus), c.rect) << c.row << ":" << c.col;
    core.SetTopRow(12);
    EXPECT_EQ(core.CaretRect(11, 1, false, true), std::nullopt);  // above the top row
}

// An edit that both removed and inserted rows moves the marks by the net change.
TEST(EditorCore, MarksFollowTheNetChangeOfRows) {
    FakeWindow window;
    auto buffer = Rows(10);
    EditorCore core(window, buffer, nullptr);
    CQELPenwrightLineMarksManager& marks = buffer->GetLineMarks();
    for (int row : {2, 6, 9}) marks.SetMark(row, LineMarkKind::Bookmark);

    // Rows 3..5 replaced by four rows: one more row than before.
    const int before = buffer->GetRowCount();
    const uint64_t changes = buffer->GetChangeCount();
    buffer->DeleteText(3, 1, 5, 6, false);
    buffer->InsertText(L"a\r\nb\r\nc\r\nd", 3, 1, false);
    core.AfterEdit(3, 6, 1 | 2 | 4, before, false, changes);
    std::vector<int> rows;
    for (int pos = marks.GetFirstMarkPosition(LineMarkKind::Bookmark); pos != 0;)
        rows.push_back(marks.GetNextMark(pos, LineMarkKind::Bookmark)->row);
    EXPECT_EQ(rows, (std::vector<int>{2, 7, 10}));
    EXPECT_EQ(window.notes.back(), (FakeWindow::Note{EditNotify::kRowsChanged, {3, 6, 7}}));
}

// Progress on screen repaints at once or after the timer; progress elsewhere only drops what
// the cache held from its row on. A cache shared by nobody still sees another control's edits.
TEST(EditorCore, ParserProgressRepaintsThrottledAndDropsStaleBlocks) {
    FakeWindow window;
    auto buffer = Rows(100);
    EditorCore core(window, buffer, nullptr);
    EditorCore other(window, buffer, nullptr);
    auto fill = [](int32_t, int32_t, OnScreenContext&) { return true; };

    CQELNotificationConnection* events = core.GetParser().GetConnection();
    const uint32_t flags = LexParser::kEventFlags;
    window.now = 100;
    events->SendEvent(TextSchema::kParseStarted, 0, 0, flags);
    window.now = 300;
    events->SendEvent(TextSchema::kBlockEndedEvent, 5, 7, flags);
    EXPECT_EQ(window.timer, 5000u);
    for (int32_t row : {1, 30, 60}) core.GetCache().Find({row, 10, nullptr, 0, 0}, fill);
    window.now = 1200;
    const int updated = window.updated;
    events->SendEvent(TextSchema::kBlockEndedEvent, 40, 70, flags);  // below the page: no repaint
    EXPECT_EQ(window.updated, updated);
    EXPECT_EQ(core.GetCache().Ranges(), (std::vector<RowBlockCache::Range>{{1, 12}, {30, 39}}));
    window.now = 2300;
    events->SendEvent(TextSchema::kBlockEndedEvent, 2, 3, flags);
    EXPECT_EQ(window.timer, 0u);
    EXPECT_GT(window.updated, updated);
    EXPECT_EQ(window.notes.back(), (FakeWindow::Note{EditNotify::kParserEvent, {2, 2, 3}}));

    const int before = buffer->GetRowCount();
    const uint64_t changes = buffer->GetChangeCount();
    buffer->InsertText(L"x", 1, 1, false);
    other.AfterEdit(1, 1, 4, before, false, changes);
    EXPECT_TRUE(core.GetCache().Ranges().empty());
}

}  // namespace
