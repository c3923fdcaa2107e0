// The fold tooltip's window: it never takes the activation or the mouse, stays on the screen,
// and hides itself when its time is up.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "PumpUntil.h"
#include "editor/win32/TooltipWindow.h"

namespace {

using pw::win32::TooltipWindow;

class Owner : public pw::win32::Window {};

const pw::win32::WindowClass& OwnerClass() {
    static const pw::win32::WindowClass windowClass(L"PwTooltipOwner", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

TEST(TooltipWindow, ShowsWithoutActivationKeepsOnTheScreenAndHidesInTime) {
    Owner owner;
    ASSERT_TRUE(
        owner.Create(OwnerClass(), nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{0, 0, 300, 200}));
    SetActiveWindow(owner.Handle());
    TooltipWindow tooltip;
    ASSERT_TRUE(tooltip.Create(owner.Handle()));
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    const std::wstring lines = L"if (a)\r\n\treturn b;\r\n";
    // Anywhere, even past the right edge, the whole window stays on the screen.
    for (const int x : {10, screen - 50, screen + 100}) {
        tooltip.Show(lines, POINT{x, 10});
        ASSERT_TRUE(tooltip.IsShown()) << x;
        RECT at{};
        GetWindowRect(tooltip.Handle(), &at);
        EXPECT_LE(at.right, screen) << x;
        EXPECT_GE(at.left, 0) << x;
        EXPECT_GT(at.bottom - at.top, 20) << "two rows of text";
        EXPECT_EQ(GetActiveWindow(), owner.Handle()) << x;
        EXPECT_EQ(SendMessageW(tooltip.Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.left + 2, at.top + 2)),
                  HTTRANSPARENT);
        tooltip.Hide();
        EXPECT_FALSE(tooltip.IsShown());
    }
    // A long row wraps at the screen's edge instead of running off it.
    tooltip.Show(std::wstring(40, L'w') + L" " + std::wstring(400, L'x') + L" end", POINT{10, 10});
    RECT wide{};
    GetWindowRect(tooltip.Handle(), &wide);
    EXPECT_LE(wide.right, screen);
    tooltip.Show(lines, POINT{10, 10});  // another text: sized anew
    RECT small{};
    GetWindowRect(tooltip.Handle(), &small);
    EXPECT_LT(small.right - small.left, wide.right - wide.left);
    EXPECT_TRUE(PumpUntil([&] { return !tooltip.IsShown(); }, 8000)) << "hidden once its time is up";
}

}  // namespace
