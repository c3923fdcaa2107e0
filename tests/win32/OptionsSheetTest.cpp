// The options sheet under Wine over a real edit control: made modeless from its templates, its
// "Editor" page driven by clicks and typing, Apply and Cancel pressed as a user presses them,
// its message boxes answered by a recording host instead.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ControlSetup.h"
#include "PumpUntil.h"
#include "buffer/PenwrightDoc.h"
#include "config/ConfigManager.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/Painter.h"
#include "editor/win32/PenwrightCtrl.h"
#include "options/win32/OptionsSheet.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "platform/TempFolder.h"
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

    // The sheet over the parent, on its first page, the editor page.
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
    PropSheet_PressButton(sheet_, PSBTN_CANCEL);
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

// The "Syntax Color" page over a configuration of its own in a temporary folder: the files it
// writes are the test's.
class ColorPageTest : public OptionsSheetTest {
protected:
    void SetUp() override {
        ConfigManager::RegisterShared();
        OptionsSheetTest::SetUp();
        temp.Write(
            "tst.pws",
            "lexClass:\n\tname = tst\n\tparent:file = <*.tst>\n//:lexClass\n"
            "lexClass:\n\tname = comment\n\tDisplayName = 'Comment'\n\tparent = tst\n"
            "\tstart:tag = '/*'\n\tend:tag = '*/'\n\ttxt:colorFG = 0x010203\n\ttxt:Bold = 1\n//:lexClass\n");
        temp.Write("Dark.ini", "[comment]\ncolorFG=0x00FF00\n");
        temp.Write("Penwright.ini", "[themes]\nDark=Dark.ini\n[schemes]\nTest=tst.pws\nGone=gone.pws\n");
        ctrl.GetBuffer()->SetFileExt(L".tst");
        ASSERT_TRUE(ctrl.SetConfigFile(temp.Path("Penwright.ini")));
        config = dynamic_cast<ConfigManager*>(ctrl.GetBuffer()->GetConfigManager().get());
        ASSERT_NE(config, nullptr);
        host.chooseColor = [this](HWND, COLORREF) { return std::optional<COLORREF>(chosenColor); };
        ReopenOnColors();
    }
    void ReopenOnColors() {
        if (sheet_)
            DestroyWindow(sheet_);
        Open();
        ASSERT_TRUE(PropSheet_SetCurSel(sheet_, nullptr, 2));
    }
    void TearDown() override {
        OptionsSheetTest::TearDown();
        // The configuration is the process's: the next tests find it as it was.
        if (config)
            config->SetCurrentTheme(L"Default");
        ctrl.SetConfigFile(PW_CONFIG_DIR L"/Penwright.ini");
    }

    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(Item(id), message, wParam, lParam);
    }
    // As a click on a list's line tells the page.
    void SelectLine(int id, int line) {
        Send(id, LB_SETCURSEL, line);
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(id)));
    }
    std::vector<std::wstring> Lines(int id) const {
        std::vector<std::wstring> lines;
        for (LRESULT i = 0; i < Send(id, LB_GETCOUNT); ++i) {
            wchar_t line[128] = {};
            Send(id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
            lines.push_back(line);
        }
        return lines;
    }
    bool ColorPageModified() const { return options_->Pages().back()->IsModified(); }

    pwtest::TempFolder temp;
    ConfigManager* config = nullptr;
    COLORREF chosenColor = RGB(0x12, 0x34, 0x56);
};

TEST_F(ColorPageTest, ClassesOfEachFileTypeWithTheirColoursAndStyles) {
    EXPECT_EQ(Lines(PW_IDC_COLORS_FILE_TYPES), (std::vector<std::wstring>{L"Test", L"Gone"}));
    EXPECT_EQ(Lines(PW_IDC_COLORS_ATTRIBUTES), (std::vector<std::wstring>{L"tst", L"Comment"}));
    SelectLine(PW_IDC_COLORS_ATTRIBUTES, 1);
    EXPECT_EQ(IsDlgButtonChecked(Page(), PW_IDC_COLORS_BOLD), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(Page(), PW_IDC_COLORS_ITALIC), BST_UNCHECKED);
    wchar_t shown[64] = {};
    SendMessageW(Item(PW_IDC_TEXT_COLOR), CB_GETLBTEXT,
                 SendMessageW(Item(PW_IDC_TEXT_COLOR), CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"Custom");  // 0x010203 is no named colour
    // The theme shows the class in its own colour, and says so.
    EXPECT_EQ(TextOf(Item(PW_IDC_COLORS_THEME_NOTE)), L"");
    SendMessageW(Item(PW_IDC_COLORS_THEME), CB_SETCURSEL, 1, 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(PW_IDC_COLORS_THEME, CBN_SELCHANGE), 0);
    EXPECT_NE(TextOf(Item(PW_IDC_COLORS_THEME_NOTE)).find(L"colorFG = 0x00FF00"), std::wstring::npos);
    // A scheme whose file is missing has no classes to show.
    SelectLine(PW_IDC_COLORS_FILE_TYPES, 1);
    EXPECT_TRUE(Lines(PW_IDC_COLORS_ATTRIBUTES).empty());
    EXPECT_FALSE(IsWindowEnabled(Item(PW_IDC_COLORS_BOLD)));
}

// End to end: a colour chosen on the page, applied, the file written, the scheme reloaded and
// the text drawn in the new colour.
TEST_F(ColorPageTest, AppliedColoursReachTheFileAndTheText) {
    ctrl.SetWholeText(L"/* c */");
    ASSERT_TRUE(PumpUntil([&] { return ctrl.Core()->IsParseSettled(); }));
    SelectLine(PW_IDC_COLORS_ATTRIBUTES, 1);
    chosenColor = RGB(0x00, 0x80, 0xFF);
    Click(PW_IDC_BACK_PICK);
    Click(PW_IDC_COLORS_BOLD);  // off: the attribute goes
    EXPECT_TRUE(ColorPageModified());
    // The class's line shows the colour before Apply.
    pw::win32::DibSection line(150, 16);
    DRAWITEMSTRUCT item{ODT_LISTBOX,
                        PW_IDC_COLORS_ATTRIBUTES,
                        1,
                        ODA_DRAWENTIRE,
                        ODS_SELECTED,
                        Item(PW_IDC_COLORS_ATTRIBUTES),
                        line.Dc(),
                        {0, 0, 150, 16},
                        0};
    SendMessageW(Page(), WM_DRAWITEM, PW_IDC_COLORS_ATTRIBUTES, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(line.Pixel(140, 8), chosenColor);
    EXPECT_EQ(temp.Read("tst.pws").find("0x0080FF"), std::string::npos) << "not before Apply";
    ASSERT_TRUE(Apply());
    EXPECT_FALSE(ColorPageModified());
    const std::string file = temp.Read("tst.pws");
    EXPECT_NE(file.find("\ttxt:colorBK = 0x0080FF\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("txt:Bold"), std::string::npos) << file;
    EXPECT_NE(file.find("\ttxt:colorFG = 0x010203\n"), std::string::npos) << file;

    ASSERT_TRUE(PumpUntil([&] { return ctrl.Core()->IsParseSettled(); }));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT area{0, 0, 400, 200};
    ctrl.DrawRows(pw::win32::DCHandle(dc), area);
    const POINT inComment = At(ctrl, 1, 3);  // the blank after "/*"
    EXPECT_EQ(GetPixel(dc, inComment.x, inComment.y - 2), RGB(0x00, 0x80, 0xFF));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The file cannot take the edits (it is gone): the user is told which, and nothing is lost.
TEST_F(ColorPageTest, AFileThatCannotBeWrittenKeepsTheEdits) {
    SelectLine(PW_IDC_COLORS_ATTRIBUTES, 1);
    Click(PW_IDC_TEXT_PICK);
    std::filesystem::remove(temp.Native("tst.pws"));
    EXPECT_FALSE(Apply());
    EXPECT_TRUE(ColorPageModified());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told.front().find(L"tst.pws"), std::wstring::npos);
    // Back again, the same Apply writes it.
    temp.Write("tst.pws", "lexClass:\n\tname = comment\n//:lexClass\n");
    EXPECT_TRUE(Apply());
    EXPECT_NE(temp.Read("tst.pws").find("txt:colorFG = 0x123456"), std::string::npos);
}

// Reset takes every colour and style of the class back to the defaults, in the file too.
TEST_F(ColorPageTest, ResetLeavesTheClassToTheDefaults) {
    SelectLine(PW_IDC_COLORS_ATTRIBUTES, 1);
    Click(PW_IDC_COLORS_RESET);
    EXPECT_EQ(IsDlgButtonChecked(Page(), PW_IDC_COLORS_BOLD), BST_UNCHECKED);
    EXPECT_TRUE(ColorPageModified());
    ASSERT_TRUE(Apply());
    const std::string file = temp.Read("tst.pws");
    EXPECT_EQ(file.find("txt:"), std::string::npos) << file;
    EXPECT_NE(file.find("DisplayName = 'Comment'"), std::string::npos) << file;
}

// One Apply reaches every page the user changed.
TEST_F(ColorPageTest, OneApplyReachesEveryPage) {
    Click(PW_IDC_COLORS_BOLD);  // on "tst"
    SendMessageW(Item(PW_IDC_COLORS_THEME), CB_SETCURSEL, 1, 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(PW_IDC_COLORS_THEME, CBN_SELCHANGE), 0);
    ASSERT_TRUE(PropSheet_SetCurSel(sheet_, nullptr, 0));
    Click(PW_IDC_EDITOR_LINE_NUMBERS);
    ASSERT_TRUE(PropSheet_SetCurSel(sheet_, nullptr, 1));
    Click(PW_IDC_BACK_PICK);
    ASSERT_TRUE(Apply());
    EXPECT_FALSE(ctrl.GetOption(EditorOptions::kLineNumbers));
    EXPECT_EQ(ctrl.GetPainter()->Colors().back.custom, static_cast<int32_t>(chosenColor));
    EXPECT_NE(temp.Read("tst.pws").find("txt:Bold = 1"), std::string::npos);
    EXPECT_EQ(config->GetCurrentTheme(), L"Dark");
    for (const auto& page : options_->Pages()) EXPECT_FALSE(page->IsModified());
}

// "Open Schema File" closes the sheet and has the host open the file, the changes waiting in the
// sheet applied or dropped as the user answers.
TEST_F(ColorPageTest, OpeningTheSchemaFileAsksAboutWaitingChanges) {
    struct Case {
        std::vector<int> answers;  // to the question, then to applying first
        bool opened;
        bool written;
    };
    const Case cases[] = {
        {{IDNO}, false, false},
        {{IDYES, IDCANCEL}, false, false},
        {{IDYES, IDNO}, true, false},
        {{IDYES, IDYES}, true, true},
    };
    std::vector<std::wstring> opened;
    host.openDocument = [&](const std::wstring& path) {
        opened.push_back(path);
        return true;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.answers.size() << " answers, the last " << c.answers.back());
        std::vector<int> answers = c.answers;
        told.clear();
        opened.clear();
        host.messageBox = [&](HWND, const std::wstring& text, UINT) {
            told.push_back(text);
            const int answer = answers.empty() ? IDCANCEL : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        };
        if (!Page())
            ReopenOnColors();
        Click(PW_IDC_COLORS_ITALIC);
        SendMessageW(Page(), WM_COMMAND, PW_IDC_COLORS_OPEN_SCHEMA, 0);
        EXPECT_TRUE(answers.empty());
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.front(), pw::LoadString(9789, {L"tst", L".pws"}));
        EXPECT_EQ(opened.size(), c.opened ? 1u : 0u);
        if (c.opened) {
            EXPECT_EQ(opened.front(), config->GetSchemes().front().path);
            EXPECT_TRUE(PumpUntil([&] { return Page() == nullptr; }));
        } else {
            Click(PW_IDC_COLORS_ITALIC);  // back as it was
        }
        EXPECT_EQ(temp.Read("tst.pws").find("txt:Italic") != std::string::npos, c.written);
    }
    // A host that cannot open documents is never asked to.
    host.openDocument = nullptr;
    ReopenOnColors();
    told.clear();
    SendMessageW(Page(), WM_COMMAND, PW_IDC_COLORS_OPEN_SCHEMA, 0);
    EXPECT_TRUE(told.empty());
}

}  // namespace
