// Scroll arithmetic over a text with a fold, and the repaint throttle with an injected clock.
#include <gtest/gtest.h>

#include "editor/Folds.h"
#include "editor/RepaintThrottle.h"
#include "editor/Scrolling.h"

namespace {

using Scrolling::Action;

// Thirty rows; row 5 folds rows 6..10 away, so row 11 has visible number 6.
struct Folded {
    Folded() : map((Folds::Collapse(marks, {{5, 2}, {10, 1}, L"{..}"}), ScreenRowMap(marks, 30))) {}
    CQELPenwrightLineMarksManager marks;
    ScreenRowMap map;
};

TEST(Scrolling, TopRowStaysInTheText) {
    const int cases[][3] = {{0, 10, 1}, {-5, 10, 1}, {11, 10, 10}, {7, 10, 7}, {5, 0, 1}};
    for (const auto& c : cases) EXPECT_EQ(Scrolling::ClampTopRow(c[0], c[1]), c[2]) << c[0] << " of " << c[1];
}

TEST(Scrolling, VerticalBarCountsVisibleRows) {
    Folded f;
    const Scrolling::VerticalBar bar = Scrolling::Vertical(f.map, 12, 10);
    EXPECT_EQ(bar.max, 25);
    EXPECT_EQ(bar.pos, 7);
    EXPECT_TRUE(bar.enabled);
    EXPECT_EQ(Scrolling::Vertical(f.map, 8, 10).topRow, 5);  // a hidden top shows as its fold
    const Scrolling::VerticalBar fits = Scrolling::Vertical(f.map, 12, 26);
    EXPECT_FALSE(fits.enabled);
    EXPECT_EQ(fits.topRow, 1);
    CQELPenwrightLineMarksManager none;
    EXPECT_EQ(Scrolling::Vertical(ScreenRowMap(none, 0), 3, 10).topRow, 1);  // an empty text
}

TEST(Scrolling, VerticalActionsStepOverFolds) {
    Folded f;
    struct Case {
        int top;
        Action action;
        int track;
        int result;
    };
    const Case cases[] = {
        {5, Action::kLineDown, 0, 11}, {11, Action::kLineUp, 0, 5},   {1, Action::kLineUp, 0, 1},
        {15, Action::kPageUp, 0, 1},   {1, Action::kPageDown, 0, 16}, {30, Action::kLineDown, 0, 30},
        {1, Action::kThumb, 7, 12},    {20, Action::kThumb, 1, 1},    {1, Action::kThumb, 99, 30},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scrolling::VerticalAction(f.map, c.top, 10, c.action, c.track), c.result)
            << "from " << c.top << " action " << static_cast<int>(c.action);
}

TEST(Scrolling, HorizontalSnapsToCharacterWidths) {
    struct Case {
        int64_t offset;
        Action action;
        int64_t track;
        int64_t result;
    };
    const Case cases[] = {
        {0, Action::kThumb, 13, 16},      {0, Action::kThumb, 11, 8},     {0, Action::kThumb, 12, 16},
        {0, Action::kLineUp, 0, 0},       {16, Action::kLineDown, 0, 24}, {100, Action::kPageUp, 0, 0},
        {100, Action::kPageDown, 0, 400},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Scrolling::HorizontalAction(c.offset, c.action, 300, 8, c.track), c.result);
    EXPECT_EQ(Scrolling::HorizontalExtent(0, 300, 100, 8), 600);
    EXPECT_EQ(Scrolling::HorizontalExtent(0, 300, 1000, 8), 1160);
    EXPECT_EQ(Scrolling::HorizontalExtent(0, 1000, 3000, 8), 3250);
    EXPECT_EQ(Scrolling::HorizontalExtent(5000, 300, 100, 8), 5000);  // never shrinks
}

TEST(RepaintThrottle, ThrottleFollowsTheMeanPaint) {
    RepaintThrottle throttle([] { return 0u; });
    EXPECT_EQ(throttle.ThrottleMs(), 1000u);  // 3 x 333 before any paint, raised to the minimum
    throttle.PaintTook(500);
    EXPECT_EQ(throttle.ThrottleMs(), 1500u);
    for (int i = 0; i < 49; ++i) throttle.PaintTook(2000);
    for (int i = 0; i < 100; ++i) throttle.PaintTook(400);  // the ring keeps the last hundred
    EXPECT_EQ(throttle.ThrottleMs(), 1200u);
}

TEST(RepaintThrottle, ProgressRepaintsAtMostOncePerPeriod) {
    uint32_t now = 0xFFFFFF00u;  // the tick count wraps on the way
    RepaintThrottle throttle([&] { return now; });
    using A = RepaintThrottle::Action;
    throttle.ParseStarted();
    struct Step {
        uint32_t after;
        bool onScreen;
        RepaintThrottle::Decision decision;
    };
    const Step steps[] = {
        {500, true, {A::kRestartTimer, 5000}},
        {500, true, {A::kRepaintNow, 0}},
        {200, false, {}},
        {900, false, {}},  // long ago, off screen: the period starts again all the same
        {100, true, {A::kRestartTimer, 5000}},
    };
    for (const Step& s : steps) {
        now += s.after;
        EXPECT_EQ(throttle.RowsParsed(s.onScreen), s.decision) << now;
    }
}

TEST(RepaintThrottle, OnlyRowsNearTheScreenCount) {
    Folded f;  // top row 1, a page of 5: screen row 9 is document row 14
    const int cases[][3] = {{14, 14, 1}, {15, 20, 0}, {1, 1, 1}, {6, 8, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(RepaintThrottle::OnScreen(f.map, 1, 5, c[0], c[1]), c[2] != 0) << c[0];
    EXPECT_FALSE(RepaintThrottle::OnScreen(f.map, 12, 5, 1, 11));  // above the top row
}

}  // namespace
