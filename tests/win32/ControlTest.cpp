// The edit control as a child of a parent that records its notifications, under Wine: window
// and class styles, the text and font messages, scroll bars, and the pixels of frames drawn by
// the control's draw operation into a DIB section (the window's own pixels carry a caret).
#include <windows.h>
// After windows.h, which it needs.
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "PumpUntil.h"
#include "config/ConfigManager.h"
#include "editor/Folds.h"
#include "editor/RowPrinter.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/Profile.h"
#include "win32/ControlSetup.h"

namespace {

using pw::win32::DibSection;
using pw::win32::Window;
using pw::win32::WindowClass;

constexpr COLORREF kHostMargin = RGB(255, 0, 255);
constexpr COLORREF kLineNumberText = RGB(0, 130, 132);
constexpr COLORREF kBreakpointBack = RGB(128, 0, 0);

const WindowClass& ParentClass() {
    static const WindowClass windowClass(L"PwControlTestParent", 0, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

struct Note {
    int code;
    std::vector<int32_t> values;
};

class Parent : public Window {
public:
    std::vector<Note> notes;
    std::vector<int32_t> marginRows;
    LRESULT readOnly = 0;
    bool drawMargins = false;
    std::wstring droppedFile;  // the first file of the last drop, and where it fell
    POINT dropPoint{};

    std::vector<Note> Codes(int code) const {
        std::vector<Note> found;
        for (const Note& note : notes)
            if (note.code == code)
                found.push_back(note);
        return found;
    }

protected:
    LRESULT OnNotify(const NMHDR& header) override {
        const int code = static_cast<int>(header.code);
        if (code == EditNotify::kDropFiles) {
            const auto& drop = reinterpret_cast<const PenwrightDropFilesNotify&>(header);
            wchar_t name[MAX_PATH] = {};
            DragQueryFileW(drop.drop, 0, name, MAX_PATH);
            droppedFile = name;
            dropPoint = drop.point;
            return 0;
        }
        if (code == EditNotify::kDrawMargin) {
            const auto& margin = reinterpret_cast<const PenwrightMarginNotify&>(header);
            marginRows.push_back(margin.row);
            if (drawMargins)
                pw::win32::DCHandle(margin.dc).FillSolid(margin.margin, kHostMargin);
            return drawMargins;
        }
        static const std::map<int, size_t> kValues = {{EditNotify::kParserEvent, 3},
                                                      {EditNotify::kScrolled, 1},
                                                      {EditNotify::kCaretMoved, 2},
                                                      {EditNotify::kReadOnly, 0}};
        const auto count = kValues.find(code);
        const int32_t* values = NotifyValues(header);
        notes.push_back(
            {code, std::vector<int32_t>(values, values + (count == kValues.end() ? 0 : count->second))});
        return code == EditNotify::kReadOnly ? readOnly : 0;
    }
};

// A parent with the control filling it, its text C++ coloured by the shipped configuration,
// drawn in DejaVu Sans Mono without antialiasing. The parent stays hidden: under Xvfb without a
// window manager a shown top-level window takes two seconds to destroy.
class Control : public ::testing::Test {
protected:
    void SetUp() override {
        previousProfile_ = pw::SetAppProfile(&profile_);
        ASSERT_TRUE(parent.Create(ParentClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, RECT{0, 0, 480, 320}));
        ASSERT_TRUE(CreateTestControl(ctrl, parent.Handle(), buffer));
    }
    void TearDown() override { pw::SetAppProfile(previousProfile_); }

    void SetText(const wchar_t* text) { ASSERT_TRUE(SetControlText(ctrl, text)); }
    // A frame as the control draws it, of the control's client size.
    void Draw(DibSection& image) { ctrl.DrawRows(image.Dc(), RECT{0, 0, image.Width(), image.Height()}); }
    int RowHeight() const { return ctrl.Core()->GetTextLayout().GetRowHeight(); }
    const EditRects& Rects() const { return ctrl.Core()->GetRects(); }
    // Whether any pixel of the rectangle has the colour.
    static bool Has(const DibSection& image, RECT area, COLORREF colour) {
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (image.Pixel(x, y) == colour)
                    return true;
        return false;
    }
    RECT Band(const PixelRect& column, int screenRow) const {
        return {column.left, screenRow * RowHeight(), column.right, (screenRow + 1) * RowHeight()};
    }

    pw::MemoryProfile profile_;
    pw::Profile* previousProfile_ = nullptr;
    Parent parent;
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    CQELPenwrightCtrl ctrl;
};

constexpr const wchar_t* kSource = L"int f() {\r\n    return 1;\r\n}\r\nint g() {\r\n    return 2;\r\n}";

TEST_F(Control, IsAChildOfItsClassThatWantsEveryKey) {
    wchar_t name[64];
    GetClassNameW(ctrl.Handle(), name, 64);
    EXPECT_STREQ(name, L"VantrellPenwrightor");
    EXPECT_EQ(GetClassLongPtrW(ctrl.Handle(), GCL_STYLE), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
    const LONG_PTR style = GetWindowLongPtrW(ctrl.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL),
              WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongPtrW(ctrl.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_EQ(GetDlgCtrlID(ctrl.Handle()), 7);
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_GETDLGCODE, 0, 0), 0x87);

    ctrl.SetOption(EditorOptions::kHScrollBar, false, false);
    EXPECT_FALSE(GetWindowLongPtrW(ctrl.Handle(), GWL_STYLE) & WS_HSCROLL);

    // A window of another class taken over: its scroll bars say which options are on.
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VSCROLL, 0, 0, 200, 100, parent.Handle(),
                                 nullptr, nullptr, nullptr);
    CQELPenwrightCtrl attached;
    ASSERT_TRUE(attached.Attach(other));
    EXPECT_TRUE(attached.GetOption(EditorOptions::kVScrollBar));
    EXPECT_FALSE(attached.GetOption(EditorOptions::kHScrollBar));
    EXPECT_EQ(SendMessageW(other, WM_GETDLGCODE, 0, 0), 0x87);
    SendMessageW(other, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"attached"));
    EXPECT_EQ(attached.GetWholeText(), L"attached");
    DestroyWindow(attached.Detach());
}

TEST_F(Control, ConfigurationAndTabSize) {
    EXPECT_FALSE(ctrl.SetConfigFile(L"" PW_CONFIG_DIR));  // a folder: kept, but not used
    EXPECT_EQ(ctrl.GetConfigFile(), L"" PW_CONFIG_DIR);
    EXPECT_FALSE(ctrl.SetConfigFile(PW_CONFIG_DIR L"/none.ini"));
    EXPECT_TRUE(ctrl.SetConfigFile(PW_CONFIG_DIR L"/Penwright.ini"));

    SetText(L"\tx");
    EXPECT_TRUE(ctrl.SetTabSize(8));
    EXPECT_EQ(ctrl.Core()->GetTextLayout().GetTabSize(), 8);
    EXPECT_FALSE(ctrl.SetTabSize(0));
    EXPECT_EQ(ctrl.Core()->GetTextLayout().GetTabSize(), 8);
}

TEST_F(Control, TextAndFontMessages) {
    SetText(L"ab\r\ncd");
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_GETTEXTLENGTH, 0, 0), 6);
    wchar_t text[8] = {};
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_GETTEXT, 8, reinterpret_cast<LPARAM>(text)), 6);
    EXPECT_STREQ(text, L"ab\r\ncd");
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_GETTEXT, 3, reinterpret_cast<LPARAM>(text)),
              2);  // room for 2 and a zero
    EXPECT_STREQ(text, L"ab");
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_GETTEXT, 0, reinterpret_cast<LPARAM>(text)), 6);

    LOGFONTW wanted{};
    wanted.lfHeight = -20;
    wanted.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy(wanted.lfFaceName, L"DejaVu Sans Mono");
    pw::win32::Font font(CreateFontIndirectW(&wanted));
    const int rowHeight = RowHeight();
    EXPECT_EQ(SendMessageW(ctrl.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), 0), 0);
    LOGFONTW got{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(ctrl.Handle(), WM_GETFONT, 0, 0)), sizeof got, &got);
    EXPECT_EQ(got.lfHeight, -20);
    EXPECT_GT(RowHeight(), rowHeight);                           // the layout measures the new font
    EXPECT_FALSE(profile_.ReadBinary(L"Settings", L"LogFont"));  // WM_SETFONT does not persist
}

TEST_F(Control, ScrollBarsCountVisibleRowsAndPixels) {
    std::wstring text;
    for (int i = 1; i <= 100; ++i) text += L"x;\r\n";
    SetText(text.c_str());  // 101 rows, the last empty
    SCROLLINFO v{sizeof v, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(ctrl.Handle(), SB_VERT, &v);
    EXPECT_EQ(v.nMin, 1);
    EXPECT_EQ(v.nMax, 101);
    EXPECT_EQ(static_cast<int>(v.nPage), ctrl.RowsPerPage());
    EXPECT_EQ(v.nPos, 1);

    SendMessageW(ctrl.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(ctrl.GetTopRow(), 1 + ctrl.RowsPerPage());
    GetScrollInfo(ctrl.Handle(), SB_VERT, &v);
    EXPECT_EQ(v.nPos, ctrl.GetTopRow());

    SCROLLINFO h{sizeof h, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(ctrl.Handle(), SB_HORZ, &h);
    EXPECT_GE(h.nMax, 2 * Rects().text.Width());
    SendMessageW(ctrl.Handle(), WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(ctrl.Core()->GetTextLayout().GetHorzOffset(), ctrl.Core()->GetTextLayout().GetCharWidth());

    SetText(L"short");  // the whole text fits: back to the top, the bar disabled
    EXPECT_EQ(ctrl.GetTopRow(), 1);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    GetScrollBarInfo(ctrl.Handle(), OBJID_VSCROLL, &bar);
    EXPECT_TRUE(bar.rgstate[0] & STATE_SYSTEM_UNAVAILABLE);
}

TEST_F(Control, TellsItsParentOfFocusScrollingParsingAndAsksBeforeEditing) {
    std::wstring text;
    for (int i = 1; i <= 60; ++i) text += L"x;\r\n";
    SetText(text.c_str());
    std::vector<int32_t> parserCodes;
    for (const Note& note : parent.Codes(EditNotify::kParserEvent)) parserCodes.push_back(note.values[0]);
    EXPECT_NE(std::find(parserCodes.begin(), parserCodes.end(), 3), parserCodes.end());  // parse finished

    SetFocus(ctrl.Handle());
    ASSERT_FALSE(parent.Codes(EditNotify::kCaretMoved).empty());
    EXPECT_EQ(parent.Codes(EditNotify::kCaretMoved).back().values, (std::vector<int32_t>{1, 1}));

    // The system's rows per notch; half notches add up.
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    SendMessageW(ctrl.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(ctrl.GetTopRow(), 1 + static_cast<int>(lines));
    for (int half = 0; half < 2; ++half)
        SendMessageW(ctrl.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
    EXPECT_EQ(ctrl.GetTopRow(), 1 + 2 * static_cast<int>(lines));
    ASSERT_FALSE(parent.Codes(EditNotify::kScrolled).empty());
    EXPECT_EQ(parent.Codes(EditNotify::kScrolled).back().values, (std::vector<int32_t>{1}));

    EXPECT_TRUE(ctrl.CanEdit());
    parent.readOnly = 1;
    EXPECT_FALSE(ctrl.CanEdit());
}

TEST_F(Control, FramePixels) {
    SetText(kSource);
    CQELPenwrightLineMarksManager& marks = buffer->GetLineMarks();
    marks.SetMark(2, LineMarkKind::Bookmark);
    marks.SetMark(3, LineMarkKind::Breakpoint);
    DibSection image(400, 200);
    Draw(image);
    const EditRects& r = Rects();
    const int cw = ctrl.Core()->GetTextLayout().GetCharWidth();
    const COLORREF window = GetSysColor(COLOR_WINDOW), face = GetSysColor(COLOR_BTNFACE);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);

    // The keyword and the name after it are inked in different colours.
    auto inkIn = [&](int left, int right) {
        for (int y = 0; y < RowHeight(); ++y)
            for (int x = left; x < right; ++x)
                if (COLORREF c = image.Pixel(x, y); c != image.Pixel(r.text.right - 1, 0))
                    return c;
        return image.Pixel(r.text.right - 1, 0);
    };
    const COLORREF keyword = inkIn(r.text.left, r.text.left + 3 * cw);
    const COLORREF name = inkIn(r.text.left + 4 * cw, r.text.left + 5 * cw);
    EXPECT_NE(keyword, name);

    // The margin: the halftone of the window and face colours, a shadow line at its right edge,
    // a glyph on the bookmark's row.
    for (int y = 0; y < RowHeight(); ++y) {
        const COLORREF c = image.Pixel(3, y);
        EXPECT_TRUE(c == window || c == face) << y;
        EXPECT_EQ(image.Pixel(r.selMargin.right - 1, y), shadow);
    }
    auto glyph = [&](int screenRow) {
        const RECT band = Band(r.selMargin, screenRow);
        for (int y = band.top; y < band.bottom; ++y)
            for (int x = band.left; x < band.right - 1; ++x)
                if (COLORREF c = image.Pixel(x, y); c != window && c != face)
                    return true;
        return false;
    };
    EXPECT_FALSE(glyph(0));
    EXPECT_TRUE(glyph(1));  // bookmark
    EXPECT_TRUE(glyph(2));  // breakpoint

    // Line numbers and their dotted separator; nothing below the last row.
    EXPECT_TRUE(Has(image, Band(r.lineNumbers, 0), kLineNumberText));
    const int evenY = (2 * RowHeight() + 1) & ~1;
    EXPECT_EQ(image.Pixel(r.lineNumbers.right - 1, evenY), kLineNumberText);
    EXPECT_FALSE(Has(image,
                     RECT{r.lineNumbers.left, 6 * RowHeight(), r.lineNumbers.right - 1, 7 * RowHeight()},
                     kLineNumberText));

    // The breakpoint's row is dark red for this paint; the host's colours stay as they were.
    EXPECT_EQ(image.Pixel(r.text.right - 1, 2 * RowHeight() + 1), kBreakpointBack);
    EXPECT_EQ(ctrl.Core()->GetRowColors().Get(3).back, kColorNotSet);

    // Nodes: a box where f's body starts, the line through the row inside it.
    EXPECT_TRUE(Has(image, Band(r.nodeColumn, 0), shadow));
    const int centre = r.nodeColumn.left + r.nodeColumn.Width() / 2;
    EXPECT_EQ(image.Pixel(centre, RowHeight() + 1), shadow);
    EXPECT_FALSE(Has(image, Band(r.nodeColumn, 6), shadow));
}

TEST_F(Control, SelectedTextAndASelectedLineEndPaintTheSelectionColours) {
    SetText(kSource);
    ctrl.SetActive(true);
    DibSection image(400, 200);
    ctrl.DrawRows(image.Dc(), RECT{0, 0, 400, 200}, [](int row) {
        if (row == 1)
            return RowSelection{0, 3, 0, 3, false};  // "int"
        if (row == 2)
            return RowSelection{4, 13, 4, 13, true};  // "return 1;" and on past the line end
        return RowSelection{};
    });
    const int cw = ctrl.Core()->GetTextLayout().GetCharWidth();
    const COLORREF band = GetSysColor(COLOR_HIGHLIGHT);
    const int left = Rects().text.left;
    EXPECT_TRUE(Has(image, RECT{left, 0, left + 3 * cw, RowHeight()}, band));
    EXPECT_FALSE(Has(image, RECT{left + 4 * cw, 0, Rects().text.right, RowHeight()}, band));
    EXPECT_EQ(image.Pixel(left + 2, RowHeight() + 1), image.Pixel(399, 0));  // the indent is not selected
    EXPECT_EQ(image.Pixel(Rects().text.right - 1, RowHeight() + 1), band);   // the line end is
    EXPECT_FALSE(Has(image, Band(Rects().text, 2), band));

    ctrl.SetActive(false);  // the inactive colours
    ctrl.DrawRows(image.Dc(), RECT{0, 0, 400, 200}, [](int row) {
        return row == 2 ? RowSelection{4, 13, 4, 13, true} : RowSelection{};
    });
    EXPECT_EQ(image.Pixel(Rects().text.right - 1, RowHeight() + 1), GetSysColor(COLOR_INACTIVECAPTION));
}

// Keys as SendMessage delivers them: the modifiers come from the thread's key state.
void Key(HWND hwnd, UINT vk, std::initializer_list<int> held = {}) {
    BYTE state[256] = {}, saved[256];
    GetKeyboardState(saved);
    for (int k : held) state[k] = 0x80;
    SetKeyboardState(state);
    SendMessageW(hwnd, WM_KEYDOWN, vk, 1);
    SetKeyboardState(saved);
}

TEST_F(Control, CaretKeysMoveAndSelectAndTheFramePaintsTheSelection) {
    SetText(kSource);
    SetFocus(ctrl.Handle());
    EditCaret& caret = ctrl.Core()->GetCaret();
    Key(ctrl.Handle(), VK_DOWN);
    Key(ctrl.Handle(), VK_END);
    EXPECT_EQ(caret.GetRow(), 2);
    EXPECT_EQ(caret.GetColumn(), 14);  // after "    return 1;"
    EXPECT_EQ(parent.Codes(EditNotify::kCaretMoved).back().values, (std::vector<int32_t>{2, 14}));
    Key(ctrl.Handle(), VK_HOME, {VK_SHIFT});  // to the first non-blank, selecting
    EXPECT_EQ(caret.GetSelectedText(), L"return 1;");
    DibSection image(400, 200);
    ctrl.SetActive(true);  // the hidden parent is never activated
    Draw(image);
    EXPECT_TRUE(Has(image, Band(Rects().text, 1), GetSysColor(COLOR_HIGHLIGHT)));
    Key(ctrl.Handle(), 'A', {VK_CONTROL});
    EXPECT_EQ(caret.GetSelectedText(), std::wstring(kSource));
}

void Chars(HWND hwnd, std::wstring_view text) {
    for (wchar_t c : text) SendMessageW(hwnd, WM_CHAR, c, 1);
}

TEST_F(Control, TypesDeletesCopiesPastesAndUndoes) {
    SetText(L"ab\r\ncd");
    SetFocus(ctrl.Handle());
    const HWND hwnd = ctrl.Handle();
    // A character outside the BMP comes as two WM_CHARs and goes with one Backspace.
    Chars(hwnd, L"x\xD83D\xDE00y");
    EXPECT_EQ(ctrl.GetWholeText(), L"x\xD83D\xDE00yab\r\ncd");
    Key(hwnd, VK_BACK);
    Key(hwnd, VK_BACK);
    EXPECT_EQ(ctrl.GetWholeText(), L"xab\r\ncd");
    for (int step = 0; step < 3; ++step) Key(hwnd, 'Z', {VK_CONTROL});  // each deletion, then the typing
    EXPECT_EQ(ctrl.GetWholeText(), L"ab\r\ncd");

    // A column copy reaches another window with its marker; a paste puts it back as a column.
    Key(hwnd, VK_DOWN, {VK_SHIFT, VK_MENU});
    Key(hwnd, VK_RIGHT, {VK_SHIFT, VK_MENU});
    Key(hwnd, 'C', {VK_CONTROL});
    ASSERT_TRUE(OpenClipboard(parent.Handle()));
    const HANDLE unicode = GetClipboardData(CF_UNICODETEXT);
    EXPECT_TRUE(unicode && std::wstring(static_cast<const wchar_t*>(GlobalLock(unicode))) == L"a\r\nc\r\n");
    if (unicode)
        GlobalUnlock(unicode);
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"MSDEVColumnSelect")));
    CloseClipboard();
    Key(hwnd, VK_END);
    Key(hwnd, 'V', {VK_CONTROL});
    EXPECT_EQ(ctrl.GetWholeText(), L"ab\r\ncda\r\n  c");

    // The host sees the key first and may keep it from the control.
    ctrl.SetKeyDownHandler([](int& code, const KeyModifiers&) {
        if (code == VK_BACK)
            code = 0;
    });
    Key(hwnd, VK_BACK);
    EXPECT_EQ(ctrl.GetWholeText(), L"ab\r\ncda\r\n  c");
}

TEST_F(Control, FilesDroppedOnItAreToldToTheParent) {
    const std::wstring name = L"C:\\src\\a.cpp";
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t));
    ASSERT_TRUE(memory);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->pt = {5, 6};
    files->fWide = TRUE;
    std::copy(name.begin(), name.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(memory);
    SendMessageW(ctrl.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the control frees it
    EXPECT_EQ(parent.droppedFile, name);
    EXPECT_EQ(parent.dropPoint.x, 5);
    EXPECT_EQ(parent.dropPoint.y, 6);
}

TEST_F(Control, TheMouseSelectsDragsAndDropsAndLetsGoWithTheCapture) {
    SetText(L"abc def\r\nxyz");
    const HWND hwnd = ctrl.Handle();
    auto send = [&](UINT message, WPARAM keys, int row, int col) {
        const POINT at = At(ctrl, row, col);
        SendMessageW(hwnd, message, keys, MAKELPARAM(at.x, at.y));
    };
    // Selecting "abc" by dragging, then moving it after "def".
    send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 1);
    EXPECT_EQ(GetCapture(), hwnd);
    SetCursorPos(0, 0);  // the tracking timer reads the cursor: keep it off the window
    send(WM_MOUSEMOVE, MK_LBUTTON, 1, 4);
    ctrl.Core()->GetMouse().OnTrackTimer(At(ctrl, 1, 4).x, At(ctrl, 1, 4).y, {false, false, false, true});
    send(WM_LBUTTONUP, 0, 1, 4);
    EXPECT_EQ(ctrl.Core()->GetCaret().GetSelectedText(), L"abc");
    EXPECT_NE(GetCapture(), hwnd);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 2);
    send(WM_MOUSEMOVE, MK_LBUTTON, 1, 8);
    send(WM_LBUTTONUP, 0, 1, 8);
    EXPECT_EQ(ctrl.GetWholeText(), L" defabc\r\nxyz");
    // Copied with Ctrl down at the release.
    send(WM_LBUTTONDOWN, MK_LBUTTON, 1, 6);
    send(WM_MOUSEMOVE, MK_LBUTTON, 2, 4);
    send(WM_LBUTTONUP, MK_CONTROL, 2, 4);
    EXPECT_EQ(ctrl.GetWholeText(), L" defabc\r\nxyzabc");
    // A right drag dropped by the menu's command, sent as WM_COMMAND.
    send(WM_RBUTTONDOWN, MK_RBUTTON, 2, 5);
    send(WM_MOUSEMOVE, MK_RBUTTON, 1, 1);
    SendMessageW(hwnd, WM_COMMAND, CQELPenwrightCtrl::kCopyHere, 0);
    EXPECT_EQ(ctrl.GetWholeText(), L"abc defabc\r\nxyzabc");
    SendMessageW(hwnd, WM_COMMAND, CQELPenwrightCtrl::kMoveHere, 0);  // no drag under way: nothing
    EXPECT_EQ(ctrl.GetWholeText(), L"abc defabc\r\nxyzabc");
    ReleaseCapture();

    // Selecting ends when another window takes the capture.
    send(WM_LBUTTONDOWN, MK_LBUTTON, 2, 2);
    ASSERT_TRUE(ctrl.Core()->GetMouse().IsBusy());
    SetCapture(parent.Handle());
    EXPECT_FALSE(ctrl.Core()->GetMouse().IsBusy());
    ReleaseCapture();
}

TEST_F(Control, ADisabledControlLooksWashedOut) {
    SetText(kSource);
    DibSection enabled(400, 200), disabled(400, 200);
    Draw(enabled);
    EnableWindow(ctrl.Handle(), FALSE);
    Draw(disabled);
    int ink = 0, washed = 0;
    for (int y = 0; y < RowHeight(); ++y)
        for (int x = Rects().text.left; x < 200; ++x)
            if (enabled.Pixel(x, y) != enabled.Pixel(399, 0)) {
                ++ink;
                const COLORREF c = disabled.Pixel(x, y);
                washed += GetRValue(c) >= 250 && GetGValue(c) >= 250 && GetBValue(c) >= 250;
            }
    ASSERT_GT(ink, 20);
    EXPECT_GT(washed, ink / 4);  // about every other pixel of the text
    EXPECT_LT(washed, ink);
}

TEST_F(Control, AFoldedBlockShowsItsMarkerAndHidesItsRows) {
    SetText(kSource);
    std::vector<CollapsibleBlock> blocks;
    ctrl.Core()->GetParser().GetCurrentSchema()->GetCollapsibleBlocks(4, blocks, nullptr);
    ASSERT_FALSE(blocks.empty());
    Folds::Collapse(buffer->GetLineMarks(), blocks.front());
    DibSection image(400, 200);
    Draw(image);
    const EditRects& r = Rects();
    const int cw = ctrl.Core()->GetTextLayout().GetCharWidth();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const int cut = r.text.left + blocks.front().start.col * cw;
    // Row 4 ends at the block's start with the boxed marker; rows 5 and 6 are gone.
    EXPECT_FALSE(Has(image, RECT{r.text.left, 3 * RowHeight(), cut, 4 * RowHeight()}, shadow));
    EXPECT_TRUE(Has(image, RECT{cut, 3 * RowHeight(), cut + 2, 4 * RowHeight()}, shadow));
    RECT numbers = Band(r.lineNumbers, 4);
    numbers.right -= 1;  // the separator
    EXPECT_FALSE(Has(image, numbers, kLineNumberText));
}

TEST_F(Control, PrintsRowsIntoAnyDeviceContextWrappingLongOnes) {
    SetText(L"int a;\r\nint b = 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10 + 11;\r\nint c;");
    auto ink = [](const DibSection& page, int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < page.Width(); ++x) count += page.Pixel(x, y) != RGB(255, 255, 255);
        return count;
    };
    const int rowHeight = RowHeight();
    for (int flags : {0, PrintFlag::kMeasureOnly}) {
        DibSection page(150, 10 * rowHeight);
        page.Dc().FillSolid(RECT{0, 0, 150, 10 * rowHeight}, RGB(255, 255, 255));
        EXPECT_EQ(ctrl.PrintRows(page.Dc(), RECT{0, 0, 150, 10 * rowHeight}, 1, flags), 3);
        if (flags == PrintFlag::kMeasureOnly) {
            EXPECT_EQ(ink(page, 0, page.Height()), 0);
            continue;
        }
        // The long row takes the second line and continues on the third: "int c;" comes after.
        EXPECT_GT(ink(page, rowHeight, 2 * rowHeight), 0);
        EXPECT_GT(ink(page, 2 * rowHeight, 3 * rowHeight), 0);
        EXPECT_GT(ink(page, 3 * rowHeight, 5 * rowHeight), 0);
        EXPECT_EQ(ink(page, 6 * rowHeight, 10 * rowHeight), 0);
    }
    // A page with room for two lines takes the first row only: the long one does not fit.
    DibSection small(150, 2 * rowHeight);
    EXPECT_EQ(ctrl.PrintRows(small.Dc(), RECT{0, 0, 150, 2 * rowHeight}, 1, 0), 1);
}

TEST_F(Control, TheHostMayDrawTheMarginAndADarkThemePaintsDarkBands) {
    SetText(kSource);
    parent.drawMargins = true;
    DibSection image(400, 200);
    Draw(image);
    EXPECT_EQ(image.Pixel(3, 1), kHostMargin);
    ASSERT_GE(parent.marginRows.size(), 6u);
    EXPECT_EQ(std::vector<int32_t>(parent.marginRows.begin(), parent.marginRows.begin() + 6),
              (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));

    auto* config = dynamic_cast<ConfigManager*>(buffer->GetConfigManager().get());
    ASSERT_NE(config, nullptr);
    config->SetCurrentTheme(L"Dark", ctrl.Core()->GetParser().GetCurrentSchema().get());  // the parser's copy
    ctrl.Refresh();
    ASSERT_TRUE(PumpUntil([&] { return ctrl.Core()->IsParseSettled(); }));
    Draw(image);
    for (int screenRow : {0, 8}) {  // a row of text and the band below the text
        const COLORREF band = image.Pixel(Rects().text.right - 1, screenRow * RowHeight() + 1);
        EXPECT_LT(GetRValue(band) + GetGValue(band) + GetBValue(band), 3 * 100) << screenRow;
    }
}

}  // namespace
