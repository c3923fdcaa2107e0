// The completion list under Wine, driven through the control's messages: Ctrl+Space shows it,
// the control keeps the focus and hands it keys, and it closes when the control loses the focus,
// is clicked, or goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "PumpUntil.h"
#include "config/ConfigManager.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/Profile.h"

namespace {

using pw::win32::CompletionList;

const pw::win32::WindowClass& HostClass() {
    static const pw::win32::WindowClass windowClass(L"PwCompletionTestHost", 0,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// The shipped C++ colouring in a control on a hidden host.
class CompletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = pw::SetAppProfile(&profile_);
        ASSERT_TRUE(host.Create(HostClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 400, 300}));
        ConfigManager::RegisterShared();
        auto text = pw::MakeRef<CQELPenwrightBufferManager>();
        text->SetFileExt(L".cpp");
        ASSERT_TRUE(ctrl.Create(host.Handle(), false, false, text, 1));
        MoveWindow(ctrl.Handle(), 0, 0, 380, 260, FALSE);
        ASSERT_TRUE(ctrl.SetConfigFile(PW_CONFIG_DIR L"/Penwright.ini"));
    }
    void TearDown() override { pw::SetAppProfile(saved_); }

    // The text with the caret at its end and the focus in the control.
    void Type(const wchar_t* text) {
        SendMessageW(ctrl.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        ASSERT_TRUE(PumpUntil([&] { return ctrl.Core()->IsParseSettled(); }));
        SetFocus(ctrl.Handle());
        Press(VK_END, true);
    }
    // A key-down as SendMessage brings it (the modifier from the thread's key state), followed by
    // the character the message loop would make of it.
    void Press(UINT vk, bool ctrlDown = false, wchar_t c = 0) {
        BYTE state[256] = {}, saved[256];
        GetKeyboardState(saved);
        state[VK_CONTROL] = ctrlDown ? 0x80 : 0;
        SetKeyboardState(state);
        SendMessageW(ctrl.Handle(), WM_KEYDOWN, vk, 1);
        if (c)
            SendMessageW(ctrl.Handle(), WM_CHAR, c, 1);
        SetKeyboardState(saved);
    }
    void Chars(std::wstring_view text) {
        for (wchar_t c : text) SendMessageW(ctrl.Handle(), WM_CHAR, c, 1);
    }
    const CompletionList& List() const { return ctrl.GetCompletionList(); }
    std::wstring Selected() const {
        const CompletionModel& model = List().Model();
        return model.Selected() >= 0 ? model.ItemAt(model.Selected()) : L"";
    }
    std::wstring LastRow() const {
        const std::wstring text = ctrl.GetWholeText();
        return text.substr(text.rfind(L'\n') + 1);
    }

    pw::MemoryProfile profile_;
    pw::Profile* saved_ = nullptr;
    pw::win32::Window host;
    CQELPenwrightCtrl ctrl;
};

TEST_F(CompletionTest, CtrlSpaceShowsTheWordsBeforeTheCaretAndEnterPutsTheChosenOneIn) {
    Type(L"int printer;\r\npri");
    Press(VK_SPACE, true, L' ');
    ASSERT_TRUE(List().IsShown());
    const HWND list = List().Handle();
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_TRUE(IsWindowEnabled(list));
    wchar_t name[64] = {};
    GetClassNameW(list, name, 64);
    EXPECT_STREQ(name, L"VantrellPWAutoCompleteWnd");
    EXPECT_EQ(GetClassLongW(list, GCL_STYLE), static_cast<DWORD>(CS_SAVEBITS | CS_DBLCLKS));
    const LONG style = GetWindowLongW(list, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_DLGFRAME), WS_CHILD | WS_DLGFRAME);
    EXPECT_TRUE(GetWindowLongW(list, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetFocus(), ctrl.Handle());
    EXPECT_EQ(LastRow(), L"pri");  // the space of Ctrl+Space is not typed
    EXPECT_EQ(Selected(), L"printer");

    // Below the caret's row, its text lined up with the word.
    RECT placed{};
    GetWindowRect(list, &placed);
    const std::optional<PixelRect> at = ctrl.Core()->CaretRect(2, 4, false, true);
    ASSERT_TRUE(at);
    POINT corner{at->left, at->bottom};
    ClientToScreen(ctrl.Handle(), &corner);
    EXPECT_EQ(placed.left, corner.x - Completion::kLeftShift);
    EXPECT_EQ(placed.top, corner.y);
    EXPECT_EQ(placed.right - placed.left, Completion::kWidth);

    Press(VK_DOWN);
    EXPECT_EQ(Selected(), L"private");  // a keyword of the schema
    Press(VK_UP);
    Press(VK_DOWN);
    Press(VK_RETURN, false, L'\r');
    EXPECT_FALSE(List().IsShown());
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(ctrl.GetWholeText(), L"int printer;\r\nprivate");
    EXPECT_EQ(ctrl.Core()->GetCaret().GetColumn(), 8);
}

TEST_F(CompletionTest, TypingTheRestOfAWordPutsItInOnceAndOtherCharactersClose) {
    Type(L"int print, printer;\r\npri");
    Press(VK_SPACE, true, L' ');
    Chars(L"n");
    EXPECT_TRUE(List().IsShown());
    EXPECT_EQ(LastRow(), L"prin");
    Chars(L"T");
    EXPECT_FALSE(List().IsShown());
    EXPECT_EQ(LastRow(), L"print");
    Chars(L" pr");
    Press(VK_SPACE, true, L' ');
    ASSERT_TRUE(List().IsShown());
    Chars(L"(");
    EXPECT_FALSE(List().IsShown());
    EXPECT_EQ(LastRow(), L"print pr(");
}

TEST_F(CompletionTest, TheHighlightedRowPaintsInTheSystemsHighlightAndTheMouseChooses) {
    Type(L"");
    Press(VK_SPACE, true, L' ');
    ASSERT_TRUE(List().IsShown());
    const HWND list = List().Handle();
    const CompletionModel& model = List().Model();
    const int height = model.GetItemHeight();
    EXPECT_GE(height, 7);
    EXPECT_TRUE(model.Scrolls());  // every keyword of the schema
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL);
    RECT window{}, client{};
    GetWindowRect(list, &window);
    GetClientRect(list, &client);
    EXPECT_EQ(client.bottom, model.VisibleRows() * height);
    EXPECT_LE(window.bottom - window.top, GetSystemMetrics(SM_CYSCREEN));

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    auto rowLit = [&](int row) {
        pw::win32::DibSection image(client.right, client.bottom);
        List().Draw(image.Dc(), client);
        int lit = 0;
        for (int x = Completion::kTextLeft + 2; x < client.right - 2; ++x)
            lit += image.Pixel(x, row * height + height / 2) == highlight ? 1 : 0;
        return lit > (client.right - Completion::kTextLeft) / 2;
    };
    EXPECT_TRUE(rowLit(0));
    EXPECT_FALSE(rowLit(1));
    Press(VK_DOWN);
    EXPECT_FALSE(rowLit(0));
    EXPECT_TRUE(rowLit(1));

    // The wheel scrolls by rows; a click chooses the row under it, a double click puts it in.
    SendMessageW(list, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<WORD>(-2 * WHEEL_DELTA)) << 16, 0);
    EXPECT_EQ(model.FirstVisible(), 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, height + 1));
    EXPECT_EQ(model.Selected(), 3);
    const std::wstring chosen = Selected();
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, height + 1));
    EXPECT_FALSE(List().IsShown());
    EXPECT_EQ(ctrl.GetWholeText(), chosen);
}

TEST_F(CompletionTest, LosingTheFocusOrAClickInTheTextClosesIt) {
    Type(L"int x;\r\n");
    Press(VK_SPACE, true, L' ');
    ASSERT_TRUE(List().IsShown());
    SetFocus(host.Handle());
    EXPECT_FALSE(List().IsShown());
    EXPECT_FALSE(IsWindowVisible(List().Handle()));

    SetFocus(ctrl.Handle());
    Press(VK_SPACE, true, L' ');
    ASSERT_TRUE(List().IsShown());
    SendMessageW(ctrl.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 5));
    SendMessageW(ctrl.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
    EXPECT_FALSE(List().IsShown());
    EXPECT_EQ(ctrl.GetWholeText(), L"int x;\r\n");
}

TEST_F(CompletionTest, TheListGoesWithTheControl) {
    Type(L"");
    Press(VK_SPACE, true, L' ');
    const HWND list = List().Handle();
    ASSERT_TRUE(IsWindow(list));
    DestroyWindow(ctrl.Handle());
    EXPECT_FALSE(IsWindow(list));
}

}  // namespace
