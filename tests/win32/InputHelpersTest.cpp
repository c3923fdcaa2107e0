// The system caret, scroll bars and timers of a real window under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "PumpUntil.h"
#include "editor/win32/Caret.h"
#include "editor/win32/ScrollBar.h"
#include "editor/win32/Timer.h"
#include "editor/win32/Window.h"

namespace {

using namespace pw::win32;

const WindowClass& TestClass() {
    static const WindowClass windowClass(L"PwInputTest", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

class Target : public Window {
public:
    std::vector<UINT_PTR> ticks;
    int thumb = -1;

protected:
    void OnTimer(UINT_PTR id) override { ticks.push_back(id); }
    void OnScroll(int, UINT, int position) override { thumb = position; }
};

HWND CaretWindow() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetCurrentThreadId(), &info);
    return info.hwndCaret;
}

TEST(InputHelpers, TheCaretIsTheThreadsAndShowsWithoutCounting) {
    Target a, b;
    ASSERT_TRUE(a.Create(TestClass(), nullptr, WS_POPUP, 0, RECT{0, 0, 100, 100}));
    ASSERT_TRUE(b.Create(TestClass(), nullptr, WS_POPUP, 0, RECT{0, 0, 100, 100}));
    Caret caret;
    EXPECT_FALSE(caret.Exists());
    ASSERT_TRUE(caret.Create(a.Handle(), 2, 15));
    EXPECT_EQ(CaretWindow(), a.Handle());
    caret.Move(POINT{30, 45});
    POINT at{};
    GetCaretPos(&at);
    EXPECT_EQ(at.x, 30);
    EXPECT_EQ(at.y, 45);

    // Shown twice and hidden once is hidden: the system's own calls would count.
    caret.Show(true);
    caret.Show(true);
    EXPECT_TRUE(caret.Shown());
    caret.Show(false);
    EXPECT_FALSE(caret.Shown());
    caret.Show(true);
    EXPECT_TRUE(caret.Shown());

    // Another window takes the thread's caret; ours is gone, and ending it leaves theirs.
    ASSERT_TRUE(CreateCaret(b.Handle(), nullptr, 8, 15));
    EXPECT_FALSE(caret.Exists());
    EXPECT_FALSE(caret.Shown());
    caret.Destroy();
    EXPECT_EQ(CaretWindow(), b.Handle());
    DestroyCaret();
}

TEST(InputHelpers, TheThumbPositionPassesTheMessagesSixteenBits) {
    Target target;
    ASSERT_TRUE(
        target.Create(TestClass(), nullptr, WS_POPUP | WS_VSCROLL | WS_HSCROLL, 0, RECT{0, 0, 200, 200}));
    ScrollBar bar(target.Handle(), SB_VERT);
    bar.Set(1, 200000, 30, 70000);
    EXPECT_EQ(bar.Position(), 70000);
    EXPECT_EQ(bar.TrackPosition(), 70000);  // no drag under way

    // The message carries 70000 & 0xFFFF; the handler gets the whole position.
    struct Case {
        UINT code;
        int thumb;
    };
    const Case cases[] = {{SB_THUMBTRACK, 70000}, {SB_THUMBPOSITION, 70000}, {SB_LINEDOWN, 0}};
    for (const Case& c : cases) {
        SendMessageW(target.Handle(), WM_VSCROLL, MAKEWPARAM(c.code, 70000 & 0xFFFF), 0);
        EXPECT_EQ(target.thumb, c.thumb) << c.code;
    }
    bar.SetPosition(123456);
    EXPECT_EQ(bar.Position(), 123456);
    bar.SetPosition(500000);  // clamped to the range less the page
    EXPECT_EQ(bar.Position(), 200000 - 30 + 1);

    ScrollBar horizontal(target.Handle(), SB_HORZ);
    horizontal.Set(0, 1000, 100, 16);
    SendMessageW(target.Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 16), 0);
    EXPECT_EQ(target.thumb, 16);
    horizontal.Show(false);
    EXPECT_EQ(GetWindowLongW(target.Handle(), GWL_STYLE) & WS_HSCROLL, 0);
    horizontal.Show(true);
    EXPECT_NE(GetWindowLongW(target.Handle(), GWL_STYLE) & WS_HSCROLL, 0);
}

TEST(InputHelpers, ATimerTicksUntilStoppedOrEnded) {
    Target target;
    ASSERT_TRUE(target.Create(TestClass(), nullptr, WS_POPUP, 0, RECT{0, 0, 10, 10}));
    {
        Timer timer(200);
        EXPECT_FALSE(timer.Running());
        ASSERT_TRUE(timer.Start(target.Handle(), 10));
        EXPECT_TRUE(timer.Running());
        ASSERT_TRUE(PumpUntil([&] { return target.ticks.size() >= 2; }));
        EXPECT_EQ(target.ticks.front(), 200u);
        timer.Stop();
        EXPECT_FALSE(timer.Running());
        pw::PumpMessages(0);  // a tick queued before the stop
        target.ticks.clear();
        pw::PumpMessages(100);
        EXPECT_TRUE(target.ticks.empty());

        ASSERT_TRUE(timer.Start(target.Handle(), 10));
    }
    pw::PumpMessages(0);
    target.ticks.clear();
    pw::PumpMessages(100);
    EXPECT_TRUE(target.ticks.empty());
}

}  // namespace
