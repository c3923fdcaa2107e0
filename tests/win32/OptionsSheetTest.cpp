// The options sheet under Wine over a real edit control: made modeless from its templates, its
// "Editor" page driven by clicks and typing, Apply and Cancel pressed as a user presses them,
// its message boxes answered by a recording host instead.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PumpUntil.h"
#include "buffer/PenwrightDoc.h"
#include "editor/win32/PenwrightCtrl.h"
#include "options/win32/OptionsSheet.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "resources/ResourceIds.h"

namespace {

using pw::options::OptionsHost;
using pw::options::OptionsSheet;

const pw::win32::WindowClass& ParentClass() {
    static const pw::win32::WindowClass windowClass(L"PwOptionsSheetTestParent", 0,
                                                    LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

std::wstring TextOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// A hidden parent with the control; the sheet shows over it, as a user sees it.
class OptionsSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = pw::SetAppProfile(&profile);
        ASSERT_TRUE(parent.Create(ParentClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{100, 80, 500, 380}));
        ASSERT_TRUE(ctrl.Create(parent.Handle(), true, true, nullptr, 7));
        ctrl.SetWholeText(L"a\tb");
        host.ctrl = &ctrl;
        host.messageBox = [this](HWND, const std::wstring& text, UINT) {
            told.push_back(text);
            return IDOK;
        };
    }
    void TearDown() override {
        if (sheet_ && IsWindow(sheet_))
            DestroyWindow(sheet_);
        pw::SetAppProfile(previous_);
    }

    // The sheet over the parent, on its editor page, the only one.
    void Open() {
        options_ = std::make_unique<OptionsSheet>(host);
        sheet_ = options_->Create(parent.Handle());
        ASSERT_NE(sheet_, nullptr);
        ASSERT_EQ(options_->Handle(), sheet_);
        ASSERT_NE(Page(), nullptr);
    }
    HWND Page() const { return PropSheet_GetCurrentPageHwnd(sheet_); }
    HWND Item(int id) const { return GetDlgItem(Page(), id); }
    bool Modified() const { return options_->Pages().front()->IsModified(); }
    void Click(int id) {
        ASSERT_TRUE(IsWindowEnabled(Item(id))) << id;
        SendMessageW(Item(id), BM_CLICK, 0, 0);
    }
    void TypeTabSize(const wchar_t* text) { SetWindowTextW(Item(PW_IDC_EDITOR_TAB_SIZE), text); }
    bool Apply() { return PropSheet_Apply(sheet_) != FALSE; }
    int TabSize() const { return ctrl.GetBuffer()->GetTabSize(); }

    pw::MemoryProfile profile;
    pw::Profile* previous_ = nullptr;
    pw::win32::Window parent;
    CQELPenwrightCtrl ctrl;
    OptionsHost host;
    std::vector<std::wstring> told;
    std::unique_ptr<OptionsSheet> options_;
    HWND sheet_ = nullptr;
};

TEST_F(OptionsSheetTest, EachControlClickedIsAppliedToTheControlAndKept) {
    struct Case {
        int id;
        EditorOptions::Option option;
        bool after;
    };
    // The control starts from the defaults: scroll bars, margins, indentation and colours on,
    // tabs kept, a thick overwrite caret, no virtual space.
    const Case cases[] = {
        {PW_IDC_EDITOR_VSCROLLBAR, EditorOptions::kVScrollBar, false},
        {PW_IDC_EDITOR_HSCROLLBAR, EditorOptions::kHScrollBar, false},
        {PW_IDC_EDITOR_LINE_NUMBERS, EditorOptions::kLineNumbers, false},
        {PW_IDC_EDITOR_SEL_MARGIN, EditorOptions::kSelMargin, false},
        {PW_IDC_EDITOR_AUTO_INDENT, EditorOptions::kAutoIndent, false},
        {PW_IDC_EDITOR_VIRTUAL_SPACE, EditorOptions::kVirtualSpace, true},
        {PW_IDC_EDITOR_SYNTAX_COLOR, EditorOptions::kSyntaxColor, false},
        {PW_IDC_EDITOR_INSERT_SPACES, EditorOptions::kTabWithSpace, true},
        {PW_IDC_EDITOR_THIN_CARET, EditorOptions::kWideCaret, false},
    };
    Open();
    EXPECT_EQ(TextOf(sheet_), pw::LoadString(9800));
    EXPECT_FALSE(IsWindowEnabled(Item(PW_IDC_EDITOR_AUTO_RELOAD))) << "no document";
    auto options = [&] {
        std::vector<bool> values;
        for (int option = 0; option < EditorOptions::kCount; ++option)
            values.push_back(ctrl.GetOption(static_cast<EditorOptions::Option>(option)));
        return values;
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ctrl.GetOption(c.option), !c.after) << c.id;
        // What the page showed goes back unchanged: only the clicked option differs afterwards.
        std::vector<bool> expected = options();
        expected[c.option] = c.after;
        Click(c.id);
        EXPECT_TRUE(Modified()) << c.id;
        EXPECT_EQ(ctrl.GetOption(c.option), !c.after) << "not before Apply " << c.id;
        EXPECT_TRUE(Apply()) << c.id;
        EXPECT_FALSE(Modified()) << c.id;
        EXPECT_EQ(options(), expected) << c.id;
        EXPECT_EQ(profile.ReadInt(L"Settings", std::wstring(EditorOptions::Key(c.option))), c.after ? 1u : 0u)
            << c.id;
    }
    TypeTabSize(L"8");
    EXPECT_TRUE(Modified());
    EXPECT_TRUE(Apply());
    EXPECT_EQ(TabSize(), 8);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"TabSize"), 8u);
    // The radio buttons' other halves take the options back.
    Click(PW_IDC_EDITOR_KEEP_TABS);
    Click(PW_IDC_EDITOR_THICK_CARET);
    EXPECT_TRUE(Apply());
    EXPECT_FALSE(ctrl.GetOption(EditorOptions::kTabWithSpace));
    EXPECT_TRUE(ctrl.GetOption(EditorOptions::kWideCaret));
    EXPECT_TRUE(told.empty());
}

TEST_F(OptionsSheetTest, ATabSizeOutsideOneToSixtyFourKeepsThePageAndTellsTheUser) {
    Open();
    const int before = TabSize();
    for (const wchar_t* text : {L"65", L"0", L""}) {
        told.clear();
        TypeTabSize(text);
        Click(PW_IDC_EDITOR_LINE_NUMBERS);
        EXPECT_FALSE(Apply()) << text;
        ASSERT_EQ(told.size(), 1u) << text;
        EXPECT_EQ(told.front(), pw::LoadString(9801));
        EXPECT_TRUE(Modified()) << text;
        EXPECT_EQ(GetFocus(), Item(PW_IDC_EDITOR_TAB_SIZE)) << text;
        EXPECT_EQ(TabSize(), before) << text;
        EXPECT_TRUE(ctrl.GetOption(EditorOptions::kLineNumbers)) << "nothing applied " << text;
        Click(PW_IDC_EDITOR_LINE_NUMBERS);
    }
    TypeTabSize(L"64");
    EXPECT_TRUE(Apply());
    EXPECT_EQ(TabSize(), 64);
}

TEST_F(OptionsSheetTest, AProfileThatCannotBeWrittenIsToldAfterApplying) {
    profile.failWrites = true;
    Open();
    Click(PW_IDC_EDITOR_SEL_MARGIN);
    EXPECT_TRUE(Apply());
    EXPECT_FALSE(ctrl.GetOption(EditorOptions::kSelMargin));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told.front(), pw::LoadString(9802));
}

TEST_F(OptionsSheetTest, CancelLeavesTheControlAndTheDocumentAsTheyWere) {
    CQELPenwrightDoc document;
    std::vector<int> hints;
    document.AddView([&](int hint) { hints.push_back(hint); });
    host.document = &document;
    Open();
    Click(PW_IDC_EDITOR_AUTO_RELOAD);
    Click(PW_IDC_EDITOR_LINE_NUMBERS);
    TypeTabSize(L"3");
    const int before = TabSize();
    options_->Cancel();
    EXPECT_TRUE(PumpUntil([&] { return Page() == nullptr; })) << "the caller's loop destroys the sheet then";
    EXPECT_TRUE(ctrl.GetOption(EditorOptions::kLineNumbers));
    EXPECT_EQ(TabSize(), before);
    EXPECT_EQ(document.GetAutoReload(), 0);
    EXPECT_TRUE(hints.empty());
    EXPECT_TRUE(profile.ReadInt(L"Settings", L"LineNumbers") == std::nullopt);

    // With a document the page offers its reload flag, and Apply tells its views.
    DestroyWindow(sheet_);
    Open();
    Click(PW_IDC_EDITOR_AUTO_RELOAD);
    EXPECT_TRUE(Apply());
    EXPECT_EQ(document.GetAutoReload(), 1);
    EXPECT_EQ(hints, std::vector<int>{2});
}

}  // namespace
