// Windows only: real windows on the display (Xvfb under Wine), real messages, a real pump.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/MessageTarget.h"
#include "platform/Thread.h"
#include "platform/Time.h"
#include "PumpUntil.h"

namespace {

constexpr UINT kTestMessage = WM_APP + 17;
constexpr COLORREF kPaint = RGB(10, 200, 30);

struct Seen {
    int painted = 0;
    int posted = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
Seen g_seen;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(kPaint);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            g_seen.painted++;
            EndPaint(hwnd, &ps);
            return 0;
        }
        case kTestMessage:
            g_seen.posted++;
            g_seen.wParam = wParam;
            g_seen.lParam = lParam;
            return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}


TEST(Window, AVisibleWindowGetsAPostedMessageThroughThePump) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = TestWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"PwWindowTest";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Penwright window test", WS_OVERLAPPEDWINDOW, 40, 40,
                                320, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hwnd, nullptr) << GetLastError();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    ASSERT_TRUE(PumpUntil([] { return g_seen.painted > 0; }));

    // What was painted is on the window: copy it into a bitmap of our own and look.
    HDC windowDc = GetDC(hwnd);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP bitmap = CreateCompatibleBitmap(windowDc, 16, 16);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    EXPECT_TRUE(BitBlt(memoryDc, 0, 0, 16, 16, windowDc, 20, 20, SRCCOPY));
    EXPECT_EQ(GetPixel(memoryDc, 8, 8), kPaint);
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(hwnd, windowDc);

    ASSERT_TRUE(PostMessageW(hwnd, kTestMessage, 1234, -5678));
    EXPECT_EQ(g_seen.posted, 0);  // posted: nothing happens before the pump
    ASSERT_TRUE(PumpUntil([] { return g_seen.posted > 0; }));
    EXPECT_EQ(g_seen.posted, 1);
    EXPECT_EQ(g_seen.wParam, 1234u);
    EXPECT_EQ(g_seen.lParam, -5678);

    // And from another thread, as the workers do.
    std::thread([hwnd] { PostMessageW(hwnd, kTestMessage, 99, 0); }).join();
    ASSERT_TRUE(PumpUntil([] { return g_seen.posted == 2; }));
    EXPECT_EQ(g_seen.wParam, 99u);

    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_TRUE(UnregisterClassW(wc.lpszClassName, wc.hInstance));
}

TEST(Window, MessageTargetIsAHiddenPopupReachedByItsRegisteredMessage) {
    std::atomic<int> calls{0};
    pw::ThreadId handledOn = 0;
    pw::MessageTarget target(L"PwTargetWindowTest", L"PwTargetWindowTestMessage",
                             [&](uintptr_t w, intptr_t l) {
                                 if (w == 5 && l == 6)
                                     calls++;
                                 handledOn = pw::CurrentThreadId();
                             });
    HWND hwnd = FindWindowW(L"PenwrightMessageTarget", L"PwTargetWindowTest");
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), nullptr);
    EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & WS_POPUP, 0);
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), GetCurrentThreadId());

    // The message is the one registered under the name: anyone who registers it reaches us.
    UINT message = RegisterWindowMessageW(L"PwTargetWindowTestMessage");
    ASSERT_NE(message, 0u);
    std::atomic<LRESULT> result{-1};
    std::thread sender([&] { result = SendMessageW(hwnd, message, 5, 6); });
    ASSERT_TRUE(PumpUntil([&] { return result.load() != -1; }));
    sender.join();
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(handledOn, pw::CurrentThreadId());

    // Other messages to the window go to DefWindowProc, not to the handler.
    SendMessageW(hwnd, WM_APP + 3, 5, 6);
    EXPECT_EQ(calls.load(), 1);
}

TEST(Window, DestroyingTheTargetDestroysItsWindow) {
    HWND hwnd;
    {
        pw::MessageTarget target(L"PwTargetGone", L"PwTargetGoneMessage", [](uintptr_t, intptr_t) {});
        hwnd = FindWindowW(L"PenwrightMessageTarget", L"PwTargetGone");
        ASSERT_NE(hwnd, nullptr);
        ASSERT_TRUE(target.Post(0, 0));
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(FindWindowW(L"PenwrightMessageTarget", L"PwTargetGone"), nullptr);
    pw::PumpMessages(20);  // the orphaned post goes nowhere
}

}  // namespace
