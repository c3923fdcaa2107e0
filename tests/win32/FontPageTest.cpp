// The "Editor Font" page alone in a modeless property sheet over a real edit control: the faces
// it offers, its colour pickers painted and fed by a replaced colour dialog, and Apply giving the
// control the font and only the colours the user touched.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "ControlSetup.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/Painter.h"
#include "editor/win32/PenwrightCtrl.h"
#include "options/FontChoices.h"
#include "options/win32/ColorComboBox.h"
#include "options/win32/FontPage.h"
#include "platform/Profile.h"
#include "resources/ResourceIds.h"

namespace {

using pw::options::CQELPenwrightColorComboBox;
using pw::win32::Window;
using pw::win32::WindowClass;

const WindowClass& ParentClass() {
    static const WindowClass windowClass(L"PwFontPageTestParent", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

std::wstring ItemText(HWND combo, LRESULT index) {
    wchar_t text[LF_FACESIZE * 2] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) < LF_FACESIZE * 2)
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// The parent and the control stay hidden; the sheet shows, as a user sees it.
class FontPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = pw::SetAppProfile(&profile);
        ASSERT_TRUE(parent.Create(ParentClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 500, 300}));
        ASSERT_TRUE(CreateTestControl(ctrl, parent.Handle(), buffer));
        host.ctrl = &ctrl;
        host.chooseColor = [this](HWND, COLORREF initial) -> std::optional<COLORREF> {
            offered = initial;
            return picked;
        };
    }
    void TearDown() override {
        if (sheet)
            DestroyWindow(sheet);
        pw::SetAppProfile(previous_);
    }
    void OpenSheet() {
        PROPSHEETPAGEW description = page.Describe();
        HPROPSHEETPAGE pages[] = {CreatePropertySheetPageW(&description)};
        PROPSHEETHEADERW header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS | PSH_NOCONTEXTHELP;
        header.hwndParent = parent.Handle();
        header.pszCaption = L"Options";
        header.nPages = 1;
        header.phpage = pages;
        sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
        ASSERT_NE(sheet, nullptr);
        ASSERT_NE(page.Handle(), nullptr);
    }
    HWND Item(int id) const { return GetDlgItem(page.Handle(), id); }
    // A choice in a list as the user makes it: the combo selects and tells the page.
    void Choose(int id, LRESULT index) {
        SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(page.Handle(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
    void Choose(int id, const wchar_t* text) {
        const LRESULT index = SendMessageW(Item(id), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(text));
        ASSERT_GE(index, 0) << text;
        Choose(id, index);
    }
    std::wstring Shown(int id) const {
        return ItemText(Item(id), SendMessageW(Item(id), CB_GETCURSEL, 0, 0));
    }
    LRESULT Count(int id) const { return SendMessageW(Item(id), CB_GETCOUNT, 0, 0); }
    PainterColors& Colors() { return ctrl.GetPainter()->Colors(); }

    pw::MemoryProfile profile;
    pw::Profile* previous_ = nullptr;
    Window parent;
    CQELPenwrightCtrl ctrl;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    pw::options::OptionsHost host;
    pw::options::FontPage page{host};
    HWND sheet = nullptr;
    std::optional<COLORREF> picked;
    COLORREF offered = CLR_INVALID;
};

TEST_F(FontPageTest, TheFacesAreFixedPitchEachOnceAndAFaceBringsItsScriptsAndSizes) {
    OpenSheet();
    const HWND faces = Item(PW_IDC_FONT_FACE);
    std::set<std::wstring> seen;
    const pw::win32::WindowDC screen(nullptr);
    for (LRESULT i = 0; i < Count(PW_IDC_FONT_FACE); ++i) {
        const std::wstring face = ItemText(faces, i);
        EXPECT_TRUE(seen.insert(face).second) << "twice: " << testing::PrintToString(face);
        LOGFONTW font{};
        font.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        pw::win32::Font made(CreateFontIndirectW(&font));
        pw::win32::SelectScope select(screen, made.Get());
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen, &metrics);
        EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0)
            << "proportional: " << testing::PrintToString(face);
    }
    EXPECT_EQ(seen.count(L"DejaVu Sans Mono"), 1u);
    EXPECT_EQ(seen.count(L"DejaVu Sans"), 0u);

    Choose(PW_IDC_FONT_FACE, L"DejaVu Sans Mono");
    EXPECT_STREQ(page.Font().lfFaceName, L"DejaVu Sans Mono");
    ASSERT_GE(Count(PW_IDC_FONT_SCRIPT), 1);
    const LRESULT script = SendMessageW(Item(PW_IDC_FONT_SCRIPT), CB_GETCURSEL, 0, 0);
    ASSERT_GE(script, 0);
    EXPECT_EQ(SendMessageW(Item(PW_IDC_FONT_SCRIPT), CB_GETITEMDATA, script, 0), page.Font().lfCharSet);
    EXPECT_EQ(Count(PW_IDC_FONT_SIZE), 16) << "a scalable face offers the standard sizes";
    EXPECT_TRUE(page.IsModified());
}

TEST_F(FontPageTest, EachColourItemIsPaintedWithASwatchOfItsColour) {
    struct Named {
        const wchar_t* name;
        COLORREF color;
    };
    const Named items[] = {
        {L"Black", 0x000000},    {L"White", 0xFFFFFF},     {L"Maroon", 0x000080}, {L"Dark Green", 0x008000},
        {L"Olive", 0x008080},    {L"Dark Blue", 0x800000}, {L"Purple", 0x800080}, {L"Teal", 0x808000},
        {L"Gray-25%", 0xC0C0C0}, {L"Gray-50%", 0x808080},  {L"Red", 0x0000FF},    {L"Green", 0x00FF00},
        {L"Yellow", 0x00FFFF},   {L"Blue", 0xFF0000},      {L"Pink", 0xFF00FF},   {L"Turquoise", 0xFFFF00},
        {L"Custom", 0x123456},
    };
    picked = 0x123456;
    OpenSheet();
    SendMessageW(Item(PW_IDC_SEL_BACK_PICK), BM_CLICK, 0, 0);
    ASSERT_EQ(Count(PW_IDC_SEL_BACK_COLOR), 17);

    pw::win32::DibSection section(120, 20);
    ASSERT_TRUE(section);
    for (LRESULT i = 0; i < 17; ++i) {
        const Named& expected = items[i];
        EXPECT_EQ(ItemText(Item(PW_IDC_SEL_BACK_COLOR), i), expected.name);
        DRAWITEMSTRUCT draw{ODT_COMBOBOX,
                            PW_IDC_SEL_BACK_COLOR,
                            static_cast<UINT>(i),
                            ODA_DRAWENTIRE,
                            0,
                            Item(PW_IDC_SEL_BACK_COLOR),
                            section.Dc(),
                            RECT{0, 0, 120, 20},
                            0};
        section.Dc().FillSolid(RECT{0, 0, 120, 20}, RGB(1, 2, 3));
        SendMessageW(page.Handle(), WM_DRAWITEM, PW_IDC_SEL_BACK_COLOR, reinterpret_cast<LPARAM>(&draw));
        const RECT swatch = CQELPenwrightColorComboBox::SwatchRect(draw.rcItem);
        EXPECT_EQ(section.Pixel((swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2),
                  expected.color)
            << testing::PrintToString(std::wstring(expected.name));
        EXPECT_EQ(section.Pixel(swatch.right + 30, 1), GetSysColor(COLOR_WINDOW))
            << "beside it, the list's back";
    }
}

TEST_F(FontPageTest, TheDotsButtonOffersTheShownColourAndSelectsWhatWasPicked) {
    struct Pick {
        std::optional<COLORREF> picked;
        const wchar_t* shown;
        LRESULT count;
    };
    const Pick picks[] = {
        {0x123456, L"Custom", 17}, {std::nullopt, L"Custom", 17}, {0xFF123456, L"Custom", 17},
        {0x00FF00, L"Green", 16},  {0x654321, L"Custom", 17},
    };
    OpenSheet();
    COLORREF shown = GetSysColor(COLOR_WINDOW);
    for (const Pick& p : picks) {
        picked = p.picked;
        SendMessageW(Item(PW_IDC_BACK_PICK), BM_CLICK, 0, 0);
        EXPECT_EQ(offered, shown);
        EXPECT_EQ(Shown(PW_IDC_BACK_COLOR), p.shown);
        EXPECT_EQ(Count(PW_IDC_BACK_COLOR), p.count);
        if (p.picked)
            shown = *p.picked & 0xFFFFFF;
    }
}

TEST_F(FontPageTest, ApplyGivesTheControlTheFontAndOnlyTheTouchedColours) {
    ctrl.GetPainter()->SetColor(PainterColors::kSelText, 0x0000FF, false);
    OpenSheet();
    EXPECT_EQ(Shown(PW_IDC_SEL_TEXT_COLOR), L"Red") << "the control's own colour";
    EXPECT_FALSE(page.IsModified());

    Choose(PW_IDC_FONT_STYLE, 3);  // bold italic
    const HWND sizeEdit = FindWindowExW(Item(PW_IDC_FONT_SIZE), nullptr, L"Edit", nullptr);
    ASSERT_NE(sizeEdit, nullptr);
    SendMessageW(sizeEdit, EM_SETSEL, 0, -1);
    for (const wchar_t c : std::wstring(L"-14")) SendMessageW(sizeEdit, WM_CHAR, c, 1);
    Choose(PW_IDC_BACK_COLOR, L"Yellow");
    picked = GetSysColor(COLOR_HIGHLIGHTTEXT);  // the selected text's default again
    SendMessageW(Item(PW_IDC_SEL_TEXT_PICK), BM_CLICK, 0, 0);
    ASSERT_TRUE(page.IsModified());

    struct Sample {
        int id;
        COLORREF back;
    };
    pw::win32::DibSection section(60, 30);
    ASSERT_TRUE(section);
    for (const Sample& s :
         {Sample{PW_IDC_SAMPLE, 0x00FFFF}, Sample{PW_IDC_SELECTED_SAMPLE, GetSysColor(COLOR_HIGHLIGHT)}}) {
        DRAWITEMSTRUCT draw{ODT_STATIC,   static_cast<UINT>(s.id), 0, ODA_DRAWENTIRE, 0, Item(s.id),
                            section.Dc(), RECT{0, 0, 60, 30},      0};
        SendMessageW(page.Handle(), WM_DRAWITEM, static_cast<WPARAM>(s.id), reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(section.Pixel(1, 1), s.back) << "the sample shows the colours before Apply: " << s.id;
    }

    SendMessageW(sheet, PSM_APPLY, 0, 0);
    EXPECT_FALSE(page.IsModified());
    const LOGFONTW& font = ctrl.GetPainter()->GetLogFont();
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_TRUE(font.lfItalic);
    const pw::win32::WindowDC screen(nullptr);
    EXPECT_EQ(pw::options::PointSize(font.lfHeight, GetDeviceCaps(screen, LOGPIXELSY)), 14) << "typed -14";
    EXPECT_STREQ(font.lfFaceName, page.Font().lfFaceName);

    struct Stored {
        PainterColors::Slot slot;
        int32_t custom;
    };
    const Stored colors[] = {{PainterColors::kText, kColorNotSet},
                             {PainterColors::kBack, 0x00FFFF},
                             {PainterColors::kSelText, kColorNotSet},
                             {PainterColors::kSelBack, kColorNotSet}};
    for (const Stored& s : colors) {
        EXPECT_EQ(Colors().At(s.slot).custom, s.custom) << s.slot;
        const int stored = profile.GetInt(L"Settings", std::wstring(PainterColors::Key(s.slot)), 0x7777);
        EXPECT_EQ(stored, s.custom) << "persisted: " << s.slot;
    }
}

}  // namespace
