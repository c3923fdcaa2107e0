// The mouse over real buffers: gestures with the text, caret and selection they leave; margin
// clicks, auto-scroll and its timers, lost capture, the drop menu's commands, cursors, the fold
// tooltip and text dragged in from outside the window.
#include <gtest/gtest.h>

#include <string>

#include "editor/EditorTesting.h"
#include "editor/Folds.h"

namespace {

struct MouseCase {
    const wchar_t* before;
    const char* gestures;
    const wchar_t* after;
};

const MouseCase kMouseCases[] = {
    {L"|abcdef", "d 1,3 u 1,3", L"ab|cdef"},
    {L"|abcdef", "d 1,2 t 1,5 u 1,5", L"a[bcd|ef"},
    {L"|abcdef", "d 1,2 t 1,9 u 1,9", L"a[bcdef|"},                   // past the end: the row's end
    {L"a|bcdef", "+d 1,5 u 1,5", L"a[bcd|ef"},                        // Shift extends from the caret
    {L"|one two three", "^d 1,6 t 1,10 u 1,10", L"one [two three|"},  // Ctrl: whole words
    {L"|one two three", "^d 1,10 t 1,6 u 1,6", L"one |two three["},
    {L"|one two three", "2 1,6", L"one [two| three"},
    {L"|one two", "2 1,4", L"|one two"},                     // a double click on a blank selects nothing
    {L"|one two\nx", "2 1,2 d 1,2 u 1,2", L"[one two\n|x"},  // a third click: the row
    {L"a\n|one two", "2 2,2 d 2,2 u 2,2", L"a\n[one two|"},
    {L"|a\nb\nc", "n 2 u 2", L"a\n[b\n|c"},
    {L"|a\nb\nc\nd", "n 2 t 3 u 3", L"a\n[b\nc\n|d"},
    {L"|a\nb\nc\nd", "n 3 t 2 u 2", L"a\n|b\nc\n[d"},
    {L"|ab\ncd", "#d 1,1 t 2,2 u 2,2", L"[ab\nc|d"},
    // Dragging the selection: a move, a copy, a drop on itself, a click on it.
    {L"[abc| def", "d 1,2 m 1,8 u 1,8", L" def[abc|"},
    {L"[abc| def", "d 1,2 m 1,8 ^u 1,8", L"abc def[abc|"},
    {L"a[bc| def", "d 1,3 m 1,1 u 1,1", L"[bc|a def"},
    {L"[abc| def", "d 1,2 m 1,3 u 1,3", L"ab|c def"},
    {L"[abc| def", "d 1,2 u 1,2", L"a|bc def"},
    {L"[ab\ncd|\nef", "d 1,1 m 3,3 u 3,3", L"\nef[ab\ncd|"},
};

TEST(MouseInput, Gestures) {
    for (const MouseCase& c : kMouseCases) {
        Editing e(L"");
        Place(e, c.before);
        Mouse(e, c.gestures);
        EXPECT_EQ(Render(e), c.after) << c.gestures;
        EXPECT_FALSE(e.window.captured) << c.gestures;
        EXPECT_TRUE(e.window.timers.empty()) << c.gestures;
    }
}

TEST(MouseInput, MarginClickTogglesABreakpointUnlessTheParentAnswers) {
    Editing e(L"a\nb\nc");
    MouseInput& mouse = e.core.GetMouse();
    const int x = e.core.GetRects().selMargin.left + 2;
    auto breakpoint = [&](int row) {
        return e.buffer->GetLineMarks().HasMark(row, LineMarkKind::Breakpoint);
    };
    mouse.LeftDown(x, 16 + 8, {});
    mouse.LeftUp(x, 16 + 8, {});
    EXPECT_TRUE(breakpoint(2));
    EXPECT_EQ(e.Caret().GetRow(), 2);
    EXPECT_EQ(e.window.notes.front(), (std::vector<int32_t>{EditNotify::kBeforeInput}));
    mouse.LeftDown(x, 16 + 8, {});
    EXPECT_FALSE(breakpoint(2));
    mouse.LeftDown(x, 4 * 16 + 8, {});  // below the last row: no row, no mark
    EXPECT_FALSE(breakpoint(3));
}

TEST(MouseInput, AutoScrollRunsWhileSelectingOutsideAndStopsWithTheButtonOrTheCapture) {
    Editing e(L"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12");
    MouseInput& mouse = e.core.GetMouse();
    auto [x, y] = PointOf(e, 2, 1);
    MouseKeys down;
    down.left = true;
    mouse.LeftDown(x, y, down);
    const int below = e.core.GetRects().text.bottom + 24;  // one and a half rows below
    mouse.OnTrackTimer(x, below, down);
    EXPECT_TRUE(e.window.timers.count(MouseInput::kScrollTimer));
    mouse.OnScrollTimer(x, below, down);
    mouse.OnScrollTimer(x, below, down);
    EXPECT_GT(e.core.GetTopRow(), 1);
    EXPECT_GT(e.Caret().GetRow(), 5);   // the selection followed
    mouse.OnScrollTimer(x, below, {});  // the button went up
    EXPECT_FALSE(e.window.timers.count(MouseInput::kScrollTimer));
    mouse.OnTrackTimer(x, below, down);
    mouse.Cancel();  // the capture went elsewhere
    EXPECT_TRUE(e.window.timers.empty());
    EXPECT_FALSE(mouse.IsBusy());
    EXPECT_FALSE(e.window.captured);
}

TEST(MouseInput, RightDragDropsThroughTheMenuCommandsOnly) {
    Editing e(L"");
    Place(e, L"[abc| def");
    MouseInput& mouse = e.core.GetMouse();
    EXPECT_FALSE(mouse.Drop(false));  // no drag under way: the command does nothing
    auto [x, y] = PointOf(e, 1, 2);
    mouse.RightDown(x, y, {});
    auto [tx, ty] = PointOf(e, 1, 8);
    mouse.Move(tx, ty, {}, true);
    EXPECT_TRUE(mouse.WantsDropMenu());
    EXPECT_TRUE(mouse.Drop(true));
    EXPECT_EQ(Render(e), L"abc def[abc|");
    mouse.RightDown(PointOf(e, 1, 5).first, y, {});  // outside the selection: the caret goes there
    EXPECT_EQ(Render(e), L"abc |defabc");
    EXPECT_FALSE(mouse.WantsDropMenu());
}

TEST(MouseInput, CursorsAndTheFoldTooltip) {
    Editing e(L"a {\n b\n c\n}\nz");
    Folds::Collapse(e.buffer->GetLineMarks(), {{1, 2}, {4, 0}, L"..."});
    e.core.RecalcLayout();
    MouseInput& mouse = e.core.GetMouse();
    const EditRects& rects = e.core.GetRects();
    auto [x, y] = PointOf(e, 1, 1);
    EXPECT_EQ(mouse.CursorAt(x, y, false, true), MouseCursor::kIBeam);
    EXPECT_EQ(mouse.CursorAt(rects.selMargin.left + 1, y, false, true), MouseCursor::kArrow);
    EXPECT_EQ(mouse.CursorAt(rects.lineNumbers.left + 1, y, false, true), MouseCursor::kRowSelect);
    auto [mx, my] = PointOf(e, 1, 4);  // on the marker after "a "
    EXPECT_EQ(mouse.CursorAt(mx, my, false, true), MouseCursor::kArrow);
    mouse.Move(mx, my, {}, true);
    EXPECT_EQ(e.window.tooltip, L"{\r\n b\r\n c\r\n}");
    mouse.Move(x, y, {}, true);
    EXPECT_EQ(e.window.tooltip, L"");
}

struct OutsideCase {
    const wchar_t* before;
    int row, col;  // where the text is dropped
    const wchar_t* text;
    bool block;
    bool readOnly;
    const wchar_t* after;
};

const OutsideCase kOutsideCases[] = {
    {L"ab|cdef", 1, 5, L"XY", false, false, L"abcd[XY|ef"},
    {L"[ab|cdef", 1, 5, L"XY", false, false, L"abcd[XY|ef"},  // the selection is let go, not replaced
    {L"[abcd|ef", 1, 3, L"XY", false, false, L"ab[XY|cdef"},  // into it too
    {L"|ab\ncd\nef", 1, 2, L"X\nY", false, false, L"a[X\nY|b\ncd\nef"},
    {L"|ab\ncd\nef", 1, 2, L"X\nY", true, false, L"a[Xb\ncY|d\nef"},  // a column block
    {L"|ab", 1, 2, L"X\nYZ", true, false, L"a[Xb\n YZ|"},             // rows made as needed
    {L"ab|cdef", 1, 5, L"XY", false, true, L"ab|cdef"},               // read only: refused
    {L"ab|cdef", 1, 5, L"", false, false, L"ab|cdef"},                // no text: no drop
};

TEST(MouseInput, TextDraggedInShowsTheDropPointAndLandsAsOneSelectedStep) {
    for (const OutsideCase& c : kOutsideCases) {
        Editing e(L"");
        Place(e, c.before);
        e.window.readOnly = c.readOnly;
        MouseInput& mouse = e.core.GetMouse();
        auto [x, y] = PointOf(e, c.row, c.col);
        EXPECT_FALSE(mouse.OutsideDragOver(x, y)) << c.before;  // nothing entered yet
        EXPECT_EQ(mouse.OutsideDragEnter(x, y), !c.readOnly) << c.before;
        EXPECT_EQ(e.Caret().GetRow(), c.row) << c.before;
        EXPECT_EQ(e.Caret().GetColumn(), c.col) << c.before;
        mouse.OutsideDragLeave();
        EXPECT_EQ(Render(e), c.before) << c.before;  // the caret is back, the selection kept

        mouse.OutsideDragEnter(x, y);
        const bool lands = !c.readOnly && *c.text;
        EXPECT_EQ(mouse.OutsideDrop(x, y, c.text, c.block), lands) << c.before;
        EXPECT_EQ(Render(e), c.after) << c.before;
        EXPECT_EQ(e.core.GetEditor().Undo(), lands) << c.before;
        EXPECT_FALSE(e.core.GetEditor().CanUndo()) << c.before;              // one step
        EXPECT_FALSE(mouse.OutsideDrop(x, y, c.text, c.block)) << c.before;  // the drag is over
        EXPECT_TRUE(e.window.timers.empty()) << c.before;
    }
}

TEST(MouseInput, OurOwnDragComingBackFromOutsideDropsAsADragInside) {
    Editing e(L"");
    Place(e, L"[abc| def");
    MouseInput& mouse = e.core.GetMouse();
    MouseKeys down;
    down.left = true;
    auto [x, y] = PointOf(e, 1, 2);
    mouse.LeftDown(x, y, down);
    mouse.Move(-50, y, down, false);  // out of the window
    ASSERT_TRUE(mouse.IsDraggingSelection());
    EXPECT_FALSE(mouse.OutsideDragEnter(x, y));  // on the selection itself
    auto [tx, ty] = PointOf(e, 1, 8);
    EXPECT_TRUE(mouse.OutsideDragOver(tx, ty));
    EXPECT_FALSE(mouse.OutsideDrop(tx, ty, L"abc", false));  // not another program's text
    EXPECT_TRUE(mouse.OutsideDragOver(tx, ty));
    EXPECT_TRUE(mouse.Drop(false));
    EXPECT_EQ(Render(e), L" def[abc|");
    EXPECT_TRUE(e.core.GetEditor().Undo());  // one step
    EXPECT_EQ(e.buffer->GetWholeText(), L"abc def");
}

}  // namespace
