// The edit control driven through SendInput, as a person drives it: the keyboard layout makes the
// characters, the key state holds the modifiers and buttons, the system makes the double clicks,
// and the drop menu runs its own modal loop. The control sits in a shown, foreground window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "PumpUntil.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/Profile.h"
#include "win32/ControlSetup.h"

namespace {

using pw::win32::Window;
using pw::win32::WindowClass;

void Send(std::vector<INPUT> inputs) {
    const UINT count = static_cast<UINT>(inputs.size());
    ASSERT_EQ(SendInput(count, inputs.data(), sizeof(INPUT)), count);
}

// Until the input sent so far and the characters TranslateMessage made of it are handled.
bool Drain() {
    return PumpUntil([] { return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) == 0; });
}

enum Held { kShift = 1, kCtrl = 2, kAlt = 4 };

// A key pressed and released with the `held` keys down around it; a Unicode unit when vk is 0.
struct Stroke {
    WORD vk;
    int held = 0;
    wchar_t unit = 0;
};
constexpr Stroke Unit(wchar_t unit) {
    return {0, 0, unit};
}

void Type(const std::vector<Stroke>& strokes) {
    static constexpr std::pair<int, WORD> kModifiers[] = {
        {kShift, VK_SHIFT}, {kCtrl, VK_CONTROL}, {kAlt, VK_MENU}};
    std::vector<INPUT> inputs;
    auto key = [&](WORD vk, wchar_t unit, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = unit;
        input.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
        inputs.push_back(input);
    };
    for (const Stroke& stroke : strokes) {
        for (const auto& [bit, vk] : kModifiers)
            if (stroke.held & bit)
                key(vk, 0, false);
        key(stroke.vk, stroke.unit, false);
        key(stroke.vk, stroke.unit, true);
        for (const auto& [bit, vk] : kModifiers)
            if (stroke.held & bit)
                key(vk, 0, true);
    }
    Send(std::move(inputs));
}

// The mouse moved to a client point of `hwnd`, pressing or releasing the `buttons` there.
struct MouseEvent {
    POINT client;
    DWORD buttons = 0;
};

void Mouse(HWND hwnd, const std::vector<MouseEvent>& events) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs;
    for (const MouseEvent& event : events) {
        POINT screen = event.client;
        ClientToScreen(hwnd, &screen);
        INPUT input{};
        input.type = INPUT_MOUSE;
        // Absolute positions are in 65536ths of the screen.
        input.mi.dx = (screen.x * 65536 + width / 2) / width;
        input.mi.dy = (screen.y * 65536 + height / 2) / height;
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | event.buttons;
        inputs.push_back(input);
    }
    Send(std::move(inputs));
}

const WindowClass& HostClass() {
    static const WindowClass windowClass(L"PwRealInputHost", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// One shown host for each suite: under Xvfb without a window manager a shown top-level window
// takes two seconds to destroy.
class RealInput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host_ = std::make_unique<Window>();
        ASSERT_TRUE(
            host_->Create(HostClass(), nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, RECT{40, 40, 520, 360}));
    }
    static void TearDownTestSuite() { host_.reset(); }

    void SetUp() override {
        previousProfile_ = pw::SetAppProfile(&profile_);
        ASSERT_TRUE(CreateTestControl(ctrl, host_->Handle(), buffer));
        ASSERT_TRUE(SetForegroundWindow(host_->Handle()));
        SetFocus(ctrl.Handle());
        ASSERT_EQ(GetFocus(), ctrl.Handle());
    }
    void TearDown() override { pw::SetAppProfile(previousProfile_); }

    // Without waiting for the parse that follows half a second later: it only colours the text.
    void SetText(const wchar_t* text) {
        SendMessageW(ctrl.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    std::wstring Selected() const { return ctrl.Core()->GetCaret().GetSelectedText(); }
    // A click of the left button at (row, col).
    std::vector<MouseEvent> Click(int row, int col) const {
        return {{At(ctrl, row, col), MOUSEEVENTF_LEFTDOWN}, {At(ctrl, row, col), MOUSEEVENTF_LEFTUP}};
    }

    static inline std::unique_ptr<Window> host_;
    pw::MemoryProfile profile_;
    pw::Profile* previousProfile_ = nullptr;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    CQELPenwrightCtrl ctrl;
};

struct TypingCase {
    const wchar_t* text;
    std::vector<Stroke> strokes;
    const wchar_t* after;
    const wchar_t* selected;
};

TEST_F(RealInput, KeysTypeThroughTheLayoutAndSelectWithTheKeyStateHeld) {
    const TypingCase kCases[] = {
        {L"", {{'A'}, {'B', kShift}, {'1'}, {VK_SPACE}}, L"aB1 ", L""},
        {L"abc def", {{VK_END}, {VK_LEFT, kShift}, {VK_LEFT, kShift}}, L"abc def", L"ef"},
        {L"abc def", {{VK_END}, {VK_LEFT, kShift | kCtrl}}, L"abc def", L"def"},
        {L"ab\r\ncd", {{VK_DOWN, kShift}, {'X'}}, L"xcd", L""},
        {L"ab\r\ncd", {{VK_RETURN}, {VK_TAB}}, L"\r\n\tab\r\ncd", L""},
        {L"ab\r\ncd", {{VK_DOWN, kShift | kAlt}, {VK_RIGHT, kShift | kAlt}}, L"ab\r\ncd", L"a\r\nc\r\n"},
        {L"ab\r\ncd", {{VK_RIGHT, kShift | kAlt}, {VK_END}, {'X'}}, L"abx\r\ncd", L""},
        // Ctrl+letters are commands: the control codes their WM_CHARs bring are no text.
        {L"abc", {{'A', kCtrl}, {'C', kCtrl}, {VK_END}, {'V', kCtrl}}, L"abcabc", L""},
        {L"", {{'A'}, {'B'}, {'Z', kCtrl}}, L"", L""},
        {L"abc def", {{VK_END}, {VK_BACK, kCtrl}}, L"abc ", L""},
        {L"abc", {{VK_END}, {VK_HOME, kShift}, {VK_ESCAPE}}, L"abc", L""},
        // Outside the BMP: two WM_CHARs make one character, which Backspace and arrows take whole.
        {L"", {Unit(0xD83D), Unit(0xDE00), {VK_BACK}}, L"", L""},
        {L"", {Unit(0xD83D), Unit(0xDE00), {VK_LEFT}, {'Y'}}, L"y\xD83D\xDE00", L""},
        {L"", {Unit(0xD83D), Unit(0xDE00), {VK_LEFT, kShift}}, L"\xD83D\xDE00", L"\xD83D\xDE00"},
    };
    for (const TypingCase& c : kCases) {
        SCOPED_TRACE(&c - kCases);
        SetText(c.text);
        Type(c.strokes);
        ASSERT_TRUE(Drain());
        EXPECT_EQ(ctrl.GetWholeText(), c.after);
        EXPECT_EQ(Selected(), c.selected);
    }
}

TEST_F(RealInput, AHeldButtonSelectsAndDragsTextAndDoubleAndTripleClicksSelectAWordAndTheRow) {
    SetText(L"abc def\r\nxyz");
    // The selection follows the mouse on the tracking timer's ticks, while GetKeyState says the
    // button is down.
    Mouse(ctrl.Handle(), {{At(ctrl, 1, 1), MOUSEEVENTF_LEFTDOWN}, {At(ctrl, 1, 4)}});
    EXPECT_TRUE(PumpUntil([&] { return Selected() == L"abc"; }));
    Mouse(ctrl.Handle(), {{At(ctrl, 1, 4), MOUSEEVENTF_LEFTUP}});
    // Pressed on the selection and let go after "def": the text moves there.
    Mouse(ctrl.Handle(),
          {{At(ctrl, 1, 2), MOUSEEVENTF_LEFTDOWN}, {At(ctrl, 1, 8)}, {At(ctrl, 1, 8), MOUSEEVENTF_LEFTUP}});
    ASSERT_TRUE(Drain());
    EXPECT_EQ(ctrl.GetWholeText(), L" defabc\r\nxyz");
    EXPECT_NE(GetCapture(), ctrl.Handle());

    Mouse(ctrl.Handle(), Click(1, 3));
    Mouse(ctrl.Handle(), Click(1, 3));
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Selected(), L"defabc");
    Mouse(ctrl.Handle(), Click(1, 3));
    ASSERT_TRUE(Drain());
    EXPECT_EQ(Selected(), L" defabc\r\n");
}

TEST_F(RealInput, EscapeEndsADragAndNothingElse) {
    SetText(L"abc def\r\nxyz");
    ctrl.Core()->GetCaret().Select(1, 1, 1, 4, true);
    Mouse(ctrl.Handle(), {{At(ctrl, 1, 2), MOUSEEVENTF_LEFTDOWN}, {At(ctrl, 1, 8)}});
    Type({{VK_ESCAPE}});
    Mouse(ctrl.Handle(), {{At(ctrl, 1, 8), MOUSEEVENTF_LEFTUP}});
    ASSERT_TRUE(Drain());
    EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz");
    EXPECT_EQ(Selected(), L"abc");
}

TEST_F(RealInput, LosingTheCaptureEndsTheScrollingSelection) {
    std::wstring text;
    for (int i = 1; i <= 100; ++i) text += L"x;\r\n";
    SetText(text.c_str());
    // Held below the window: the view scrolls on the scroll timer, the selection with it.
    const POINT below{100, 260};
    Mouse(ctrl.Handle(), {{At(ctrl, 2, 1), MOUSEEVENTF_LEFTDOWN}, {below}});
    ASSERT_TRUE(PumpUntil([&] { return ctrl.GetTopRow() > 2; }));
    EXPECT_GT(ctrl.Core()->GetCaret().GetRow(), ctrl.RowsPerPage());

    SetCapture(host_->Handle());
    EXPECT_FALSE(ctrl.Core()->GetMouse().IsBusy());
    const int top = ctrl.GetTopRow();
    const std::wstring selected = Selected();
    // Neither timer is left to scroll or select further.
    EXPECT_FALSE(KillTimer(ctrl.Handle(), MouseInput::kScrollTimer));
    EXPECT_FALSE(KillTimer(ctrl.Handle(), MouseInput::kTrackTimer));
    Mouse(ctrl.Handle(), {{below}, {below, MOUSEEVENTF_LEFTUP}});
    ASSERT_TRUE(Drain());
    ReleaseCapture();
    EXPECT_EQ(ctrl.GetTopRow(), top);
    EXPECT_EQ(Selected(), selected);
}

// The drop menu is answered from a thread timer inside its modal loop: a key typed into it, or
// EndMenu without one.
struct DropCase {
    const char* name;
    WORD key;
    const wchar_t* after;
};

WORD g_menuKey = 0;
bool g_menuAnswered = false;

void CALLBACK AnswerMenu(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu))
        return;
    KillTimer(nullptr, id);
    g_menuAnswered = true;
    if (g_menuKey)
        Type({{g_menuKey}});
    else
        EndMenu();
}

class RealInputDrop : public RealInput, public ::testing::WithParamInterface<DropCase> {};

TEST_P(RealInputDrop, ARightDragEndsInTheMenuWhoseAnswerIsDone) {
    SetText(L"abc def\r\nxyz");
    ctrl.Core()->GetCaret().Select(1, 1, 1, 4, true);
    g_menuKey = GetParam().key;
    g_menuAnswered = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerMenu);
    ASSERT_NE(timer, 0u);
    Mouse(ctrl.Handle(),
          {{At(ctrl, 1, 2), MOUSEEVENTF_RIGHTDOWN}, {At(ctrl, 2, 4)}, {At(ctrl, 2, 4), MOUSEEVENTF_RIGHTUP}});
    const bool answered = PumpUntil([] { return g_menuAnswered; });
    KillTimer(nullptr, timer);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(Drain());
    EXPECT_EQ(ctrl.GetWholeText(), GetParam().after);
    EXPECT_EQ(Selected(), L"abc");  // whatever the answer
    EXPECT_FALSE(ctrl.Core()->GetMouse().IsBusy());
    EXPECT_NE(GetCapture(), ctrl.Handle());
}

INSTANTIATE_TEST_SUITE_P(Answers, RealInputDrop,
                         ::testing::Values(DropCase{"CopyHere", 'C', L"abc def\r\nxyzabc"},
                                           DropCase{"MoveHere", 'M', L" def\r\nxyzabc"},
                                           DropCase{"Cancel", 'A', L"abc def\r\nxyz"},
                                           DropCase{"Escape", VK_ESCAPE, L"abc def\r\nxyz"},
                                           DropCase{"EndMenu", 0, L"abc def\r\nxyz"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
