// The find dialog under Wine over a real edit control: made from its templates, driven by
// messages (typing in its combo boxes, Enter and Escape through IsDialogMessage, its buttons),
// its messages answered by a recording handler instead of message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "editor/win32/FindReplaceDlg.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/Profile.h"
#include "resources/ResourceIds.h"

namespace {

using pw::win32::Window;
using pw::win32::WindowClass;

class Parent : public Window {
public:
    LRESULT readOnly = 0;

protected:
    LRESULT OnNotify(const NMHDR& header) override {
        return static_cast<int>(header.code) == EditNotify::kReadOnly ? readOnly : 0;
    }
};

const WindowClass& ParentClass() {
    static const WindowClass windowClass(L"PwFindDialogTestParent", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

struct Told : FindMessages {
    void Inform(std::wstring_view text) override { texts.emplace_back(text); }
    std::vector<std::wstring> texts;
};

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The parent stays hidden; the dialog shows, as a user sees it.
class FindDialog : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = pw::SetAppProfile(&profile);
        ASSERT_TRUE(parent.Create(ParentClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{100, 80, 740, 560}));
        ASSERT_TRUE(ctrl.Create(parent.Handle(), true, true, nullptr, 7));
        MoveWindow(ctrl.Handle(), 20, 10, 600, 400, FALSE);
        ctrl.SetWholeText(L"ab Ab ab\r\nxab ab");
        // The thread's dialog outlives each test; its options come from this profile.
        profile.WriteInt(L"Settings", L"MatchWholeWord", 0);
        profile.WriteInt(L"Settings", L"MatchCase", 0);
        profile.WriteInt(L"Settings", L"SearchDirection", 1);
        Dialog().SetMessages(&told);
    }
    void TearDown() override {
        Dialog().Close();
        Dialog().SetMessages(nullptr);
        pw::SetAppProfile(previous_);
    }

    static CQELPenwrightFindReplaceDlg& Dialog() { return CQELPenwrightFindReplaceDlg::ForThread(); }
    static HWND Item(int id) { return GetDlgItem(Dialog().Handle(), id); }
    // Types into a combo box's edit as the keyboard would, the edit's selection typed over.
    static void Type(int combo, const std::wstring& keys) {
        const HWND edit = FindWindowExW(Item(combo), nullptr, L"Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        for (const wchar_t c : keys) SendMessageW(edit, WM_CHAR, c, 1);
    }
    static void Click(int id) {
        ASSERT_TRUE(IsWindowEnabled(Item(id))) << id;
        SendMessageW(Item(id), BM_CLICK, 0, 0);
    }
    // A key pressed in the dialog, as the host's message loop hands it on.
    static bool Press(UINT key) {
        MSG msg{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
        return CQELPenwrightFindReplaceDlg::PreTranslate(msg);
    }
    // The selection as (row, first position, last position).
    std::tuple<int, int, int> Selected() const {
        const CQELPenwrightSelection::Range range = ctrl.Core()->GetCaret().GetSelection().Normalized();
        return {range.first.row, range.first.pos, range.last.pos};
    }

    pw::MemoryProfile profile;
    pw::Profile* previous_ = nullptr;
    Parent parent;
    CQELPenwrightCtrl ctrl;
    Told told;
};

TEST_F(FindDialog, EachModeComesFromItsTemplateFocusedOnTheFindTextOverTheControl) {
    struct Expected {
        int id;
        const wchar_t* text;  // null: only in replace mode
        const wchar_t* replaceText;
    };
    const Expected items[] = {
        {PW_IDC_FIND_TEXT, L"ab", L"ab"},
        {PW_IDC_REPLACE_TEXT, nullptr, L""},
        {PW_IDC_WHOLE_WORD, L"Match whole word only", L"Match whole word only"},
        {PW_IDC_MATCH_CASE, L"Match case", L"Match case"},
        {PW_IDC_SEARCH_UP, L"Search Up", L"Search Up"},
        {PW_IDC_SEARCH_DOWN, L"Search Down", L"Search Down"},
        {PW_IDC_FIND_NEXT, L"&Find Next", L"&Find Next"},
        {PW_IDC_REPLACE, nullptr, L"&Replace"},
        {PW_IDC_REPLACE_ALL, nullptr, L"Replace &All"},
        {PW_IDC_REGEX, L"Regular expression", L"Regular expression"},
        {PW_IDC_IN_SELECTION, nullptr, L"In selection"},
        {PW_IDC_COUNT, L"C&ount", L"C&ount"},
        {IDCANCEL, L"Close", L"Close"},
    };
    HWND last = nullptr;
    std::optional<POINT> first;
    for (const bool replace : {false, true, false}) {
        ASSERT_TRUE(ctrl.ShowFindDialog(replace)) << replace;  // the word at the caret: "ab"
        const HWND dialog = Dialog().Handle();
        EXPECT_NE(dialog, last) << "a mode of its own is a dialog of its own";
        last = dialog;
        EXPECT_EQ(TextOf(dialog), replace ? L"Find & Replace" : L"Find");
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), parent.Handle());
        EXPECT_TRUE(IsWindowVisible(dialog));
        for (const Expected& item : items) {
            const wchar_t* text = replace ? item.replaceText : item.text;
            EXPECT_EQ(Item(item.id) != nullptr, text != nullptr) << item.id;
            if (text) {
                EXPECT_EQ(TextOf(Item(item.id)), text) << item.id;
            }
        }
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)),
                  replace ? PW_IDC_REPLACE : PW_IDC_FIND_NEXT);
        EXPECT_EQ(IsDlgButtonChecked(dialog, PW_IDC_SEARCH_DOWN), BST_CHECKED);
        const HWND focus = GetFocus();
        EXPECT_TRUE(focus == Item(PW_IDC_FIND_TEXT) || IsChild(Item(PW_IDC_FIND_TEXT), focus));
        const LRESULT selection = SendMessageW(Item(PW_IDC_FIND_TEXT), CB_GETEDITSEL, 0, 0);
        EXPECT_EQ(LOWORD(selection), 0);
        EXPECT_EQ(HIWORD(selection), 2);
        RECT shown, over;
        GetWindowRect(dialog, &shown);
        GetWindowRect(ctrl.Handle(), &over);
        if (!first) {
            // The first time centred over the control; then where the last one was closed.
            EXPECT_NEAR(shown.left + shown.right, over.left + over.right, 2);
            EXPECT_NEAR(shown.top + shown.bottom, over.top + over.bottom, 2);
            first = POINT{shown.left, shown.top};
        }
        EXPECT_EQ(shown.left, first->x);
        EXPECT_EQ(shown.top, first->y);
        Dialog().Close();
        EXPECT_EQ(Dialog().Handle(), nullptr);
    }
}

TEST_F(FindDialog, TypingEnablesFindNextAndEnterFindsWithTheOptionsUntilEscapeSavesThem) {
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    Type(PW_IDC_FIND_TEXT, L"\b");
    EXPECT_EQ(TextOf(Item(PW_IDC_FIND_TEXT)), L"");
    EXPECT_FALSE(IsWindowEnabled(Item(PW_IDC_FIND_NEXT)));
    Type(PW_IDC_FIND_TEXT, L"Ab");
    EXPECT_TRUE(IsWindowEnabled(Item(PW_IDC_FIND_NEXT)));
    EXPECT_EQ(Dialog().Model().findText, L"Ab");
    Click(PW_IDC_MATCH_CASE);
    SetFocus(Item(PW_IDC_FIND_TEXT));
    EXPECT_TRUE(Press(VK_RETURN));
    EXPECT_EQ(Selected(), std::make_tuple(1, 4, 6));
    EXPECT_TRUE(told.texts.empty());
    EXPECT_TRUE(Press(VK_RETURN));  // the only one with that case
    EXPECT_EQ(told.texts, std::vector<std::wstring>{L"Finished searching!"});
    EXPECT_EQ(Selected(), std::make_tuple(1, 4, 6));
    Click(PW_IDC_SEARCH_UP);
    Click(PW_IDC_WHOLE_WORD);
    EXPECT_TRUE(Press(VK_ESCAPE));
    EXPECT_EQ(Dialog().Handle(), nullptr);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"MatchCase"), 1u);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"MatchWholeWord"), 1u);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"SearchDirection"), 0u);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"FindHistoryCount"), 1u);
    EXPECT_EQ(profile.ReadString(L"Settings", L"FindHistory_0"), L"Ab");

    // Shown again, it has what it saved.
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    EXPECT_EQ(IsDlgButtonChecked(Dialog().Handle(), PW_IDC_SEARCH_UP), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(Dialog().Handle(), PW_IDC_MATCH_CASE), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Item(PW_IDC_FIND_TEXT), CB_GETCOUNT, 0, 0), 1);
}

TEST_F(FindDialog, ReplaceReplacesTheSelectedMatchAndReplaceAllTellsHowMany) {
    ASSERT_TRUE(ctrl.ShowFindDialog(true));
    SendMessageW(Item(PW_IDC_REPLACE_TEXT), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    Type(PW_IDC_REPLACE_TEXT, L"x");
    Click(PW_IDC_WHOLE_WORD);
    Click(PW_IDC_REPLACE);  // nothing selected yet: only found
    EXPECT_EQ(Selected(), std::make_tuple(1, 1, 3));
    SetFocus(Item(PW_IDC_REPLACE_TEXT));
    EXPECT_TRUE(Press(VK_RETURN));  // the default: Replace
    EXPECT_EQ(ctrl.GetWholeText(), L"x Ab ab\r\nxab ab");
    EXPECT_EQ(Selected(), std::make_tuple(1, 3, 5));

    parent.readOnly = 1;
    Click(PW_IDC_REPLACE_ALL);
    EXPECT_EQ(ctrl.GetWholeText(), L"x Ab ab\r\nxab ab");
    parent.readOnly = 0;
    Click(PW_IDC_REPLACE_ALL);
    EXPECT_EQ(ctrl.GetWholeText(), L"x x x\r\nxab x");
    EXPECT_EQ(told.texts,
              (std::vector<std::wstring>{L"0 match found and replaced!", L"3 match found and replaced!"}));
    EXPECT_EQ(SendMessageW(Item(PW_IDC_REPLACE_TEXT), CB_GETCOUNT, 0, 0), 1);

    // Picking from a list takes the entry, whatever the edit still shows.
    Type(PW_IDC_REPLACE_TEXT, L"yz");
    SendMessageW(Item(PW_IDC_REPLACE_TEXT), CB_SETCURSEL, 0, 0);
    SendMessageW(Dialog().Handle(), WM_COMMAND, MAKEWPARAM(PW_IDC_REPLACE_TEXT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(PW_IDC_REPLACE_TEXT)));
    EXPECT_EQ(Dialog().Model().replaceText, L"x");
}

TEST_F(FindDialog, ExpressionsCountAndReplaceWithinTheSelection) {
    ASSERT_TRUE(ctrl.ShowFindDialog(true));
    SendMessageW(Item(PW_IDC_FIND_TEXT), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    Type(PW_IDC_FIND_TEXT, L"[aA](b)");
    SendMessageW(Item(PW_IDC_REPLACE_TEXT), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    Type(PW_IDC_REPLACE_TEXT, L"<$1>");
    Click(PW_IDC_REGEX);
    Click(PW_IDC_COUNT);
    ctrl.Core()->GetCaret().Select(2, 1, 2, 7, false);  // "xab ab"
    Click(PW_IDC_IN_SELECTION);
    Click(PW_IDC_REPLACE_ALL);
    EXPECT_EQ(ctrl.GetWholeText(), L"ab Ab ab\r\nx<b> <b>");
    EXPECT_EQ(told.texts, (std::vector<std::wstring>{L"5 matches found.", L"2 match found and replaced!"}));
    Dialog().Close();
    EXPECT_EQ(profile.GetInt(L"Settings", L"RegularExpression", 0), 1);
}

TEST_F(FindDialog, ItRemembersWhereItWasWhileThatIsOnScreenAndLetsGoOfADestroyedControl) {
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    SetWindowPos(Dialog().Handle(), nullptr, 37, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Dialog().Close();
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    RECT shown;
    GetWindowRect(Dialog().Handle(), &shown);
    EXPECT_EQ(shown.left, 37);
    EXPECT_EQ(shown.top, 45);
    SetWindowPos(Dialog().Handle(), nullptr, -5000, -5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Dialog().Close();
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    GetWindowRect(Dialog().Handle(), &shown);
    EXPECT_NE(MonitorFromRect(&shown, MONITOR_DEFAULTTONULL), nullptr);

    // F3 and Shift+F3 in the control search again for the dialog's text.
    SendMessageW(ctrl.Handle(), WM_KEYDOWN, VK_F3, 1);
    EXPECT_EQ(Selected(), std::make_tuple(1, 1, 3));
    SendMessageW(ctrl.Handle(), WM_KEYDOWN, VK_F3, 1);
    EXPECT_EQ(Selected(), std::make_tuple(1, 4, 6));
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE shift = keys[VK_SHIFT];
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(ctrl.Handle(), WM_KEYDOWN, VK_F3, 1);  // Shift+F3: up
    keys[VK_SHIFT] = shift;
    SetKeyboardState(keys);
    EXPECT_EQ(Selected(), std::make_tuple(1, 1, 3));

    DestroyWindow(ctrl.Handle());
    EXPECT_EQ(Dialog().Target(), nullptr);
    Click(PW_IDC_FIND_NEXT);
    EXPECT_TRUE(told.texts.empty());
    EXPECT_FALSE(ctrl.ShowFindDialog(true));
    EXPECT_FALSE(Dialog().Show(nullptr, true, L"x"));
}

// The one test of the real message box: modal, so a timer of this thread finds it, reads it and
// presses its button.
std::vector<std::wstring> boxTexts;

BOOL CALLBACK ReadText(HWND child, LPARAM) {
    boxTexts.push_back(TextOf(child));
    return TRUE;
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM dialog) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (window != reinterpret_cast<HWND>(dialog) && std::wstring(name) == L"#32770" &&
        IsWindowVisible(window)) {
        EnumChildWindows(window, ReadText, 0);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

TEST_F(FindDialog, WithoutAHandlerTheMessageIsAMessageBox) {
    Dialog().SetMessages(nullptr);
    ASSERT_TRUE(ctrl.ShowFindDialog(false));
    Type(PW_IDC_FIND_TEXT, L"zz");
    static HWND dialog;
    dialog = Dialog().Handle();
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), AnswerBox, reinterpret_cast<LPARAM>(dialog));
    });
    Click(PW_IDC_FIND_NEXT);  // back once the box is answered
    KillTimer(nullptr, timer);
    EXPECT_NE(std::find(boxTexts.begin(), boxTexts.end(), L"Finished searching!"), boxTexts.end());
}

}  // namespace
