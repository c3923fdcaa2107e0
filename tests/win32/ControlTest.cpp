// The edit control as a child of a parent that records its notifications, under Wine: window
// and class styles, the text and font messages, scroll bars, and the pixels of frames drawn by
// the control's draw operation into a DIB section (the window's own pixels carry a caret).
#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "PumpUntil.h"
#include "config/ConfigManager.h"
#include "editor/FoldTooltip.h"
#include "editor/Folds.h"
#include "editor/RowPrinter.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/DropSource.h"
#include "editor/win32/GlobalMemory.h"
#include "editor/win32/PenwrightCtrl.h"
#include "editor/win32/TextDataObject.h"
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

    // The host sees the key first and may keep it, and its character, from the control.
    ctrl.SetKeyHandler([](UINT message, int& code, const KeyModifiers&) {
        if (message == WM_KEYDOWN && (code == VK_BACK || code == 'Q'))
            code = 0;
    });
    Key(hwnd, VK_BACK);
    PostMessageW(hwnd, WM_CHAR, 'q', 1);  // as TranslateMessage queues it before the key arrives
    Key(hwnd, 'Q');
    for (MSG msg; PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    EXPECT_EQ(ctrl.GetWholeText(), L"ab\r\ncda\r\n  c");
}

// A drop of one file as the shell hands it over, at (5, 6).
std::string DropFilesBytes(const std::wstring& name) {
    DROPFILES files{};
    files.pFiles = sizeof(DROPFILES);
    files.pt = {5, 6};
    files.fWide = TRUE;
    std::string bytes(reinterpret_cast<const char*>(&files), sizeof files);
    bytes.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
    return bytes.append(sizeof(wchar_t), '\0');  // the list's end
}

pw::win32::Global BlockOf(const std::string& bytes) {
    return pw::win32::MakeBlock(bytes.size(), [&](void* data) {
        std::copy(bytes.begin(), bytes.end(), static_cast<char*>(data));
        return true;
    });
}

const std::wstring kDroppedName = L"C:\\src\\a.cpp";

TEST_F(Control, FilesDroppedOnItAreToldToTheParent) {
    const std::wstring name = kDroppedName;
    HGLOBAL memory = BlockOf(DropFilesBytes(name)).Release();
    ASSERT_TRUE(memory);
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

    // Over the marker its hidden text shows in the tooltip, which a key hides again.
    const HWND focus = GetFocus();
    SendMessageW(ctrl.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(cut + 4, 3 * RowHeight() + RowHeight() / 2));
    const HWND tooltip = FindWindowW(pw::win32::TooltipWindow::kClassName, nullptr);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_TRUE(IsWindowVisible(tooltip));
    EXPECT_EQ(GetFocus(), focus);
    const auto* window = static_cast<pw::win32::TooltipWindow*>(pw::win32::Window::FromHandle(tooltip));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Text(), FoldTooltip::Text(*buffer, blocks.front()));
    SendMessageW(ctrl.Handle(), WM_KEYDOWN, VK_SHIFT, 0);
    EXPECT_FALSE(IsWindowVisible(tooltip));
}

TEST_F(Control, PrintsRowsIntoAnyDeviceContextWrappingLongOnes) {
    ctrl.SetOption(EditorOptions::kLineNumbers, false, false);  // the page's width is the text's
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

// Another program's data object: one format's bytes in global memory, handed out as they are
// (the text need not end in NUL nor fill whole units).
class RawData final : public pw::win32::ComObject<IDataObject> {
public:
    RawData(UINT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = BlockOf(bytes_).Release();
        medium->pUnkForRelease = nullptr;
        return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK
                                                                                        : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    UINT format_;
    std::string bytes_;
};

pw::win32::ComPtr<IDataObject> Raw(UINT format, std::string bytes) {
    return pw::win32::ComPtr<IDataObject>::Adopt(new RawData(format, std::move(bytes)));
}

// The control made with OLE on the thread, so that the system knows its drop target; the tests
// call that target as the system would during a drag from another program.
class DragDrop : public Control {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        Control::SetUp();
        target = pw::win32::ComPtr<IDropTarget>(ctrl.GetDropTarget());
        ASSERT_TRUE(target);
        SetText(L"abc def\r\nxyz");
    }
    void TearDown() override {
        DestroyWindow(ctrl.Handle());  // revoked while OLE is still there
        target.Reset();
        Control::TearDown();
        OleUninitialize();
    }
    POINTL ScreenAt(int row, int col) const {
        POINT point = At(ctrl, row, col);
        ClientToScreen(ctrl.Handle(), &point);
        return {point.x, point.y};
    }
    // The effect the control answers to a drag with `keys` that allows `allowed`.
    DWORD Enter(IDataObject* data, DWORD keys, int row, int col, DWORD allowed = kBoth) {
        EXPECT_EQ(target->DragEnter(data, keys, ScreenAt(row, col), &allowed), S_OK);
        return allowed;
    }
    DWORD Over(DWORD keys, int row, int col, DWORD allowed = kBoth) {
        EXPECT_EQ(target->DragOver(keys, ScreenAt(row, col), &allowed), S_OK);
        return allowed;
    }
    DWORD Drop(IDataObject* data, DWORD keys, int row, int col, DWORD allowed = kBoth) {
        EXPECT_EQ(target->Drop(data, keys, ScreenAt(row, col), &allowed), S_OK);
        return allowed;
    }

    static constexpr DWORD kBoth = DROPEFFECT_MOVE | DROPEFFECT_COPY;
    pw::win32::ComPtr<IDropTarget> target;
};

TEST_F(DragDrop, TheSystemKnowsTheDropTargetWhileTheControlHasTheWindow) {
    IDropTarget* other = ctrl.GetDropTarget();
    EXPECT_EQ(RegisterDragDrop(ctrl.Handle(), other), DRAGDROP_E_ALREADYREGISTERED);
    // A window taken over and given back: registered meanwhile, free again afterwards.
    HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 200, 100, parent.Handle(), nullptr,
                                 nullptr, nullptr);
    pw::win32::ComPtr<IDropTarget> gone;
    {
        CQELPenwrightCtrl attached;
        ASSERT_TRUE(attached.Attach(plain));
        EXPECT_EQ(RegisterDragDrop(plain, other), DRAGDROP_E_ALREADYREGISTERED);
        gone = pw::win32::ComPtr<IDropTarget>(attached.GetDropTarget());
    }
    EXPECT_EQ(RegisterDragDrop(plain, other), S_OK);
    EXPECT_EQ(RevokeDragDrop(plain), S_OK);
    DestroyWindow(plain);
    // The system may still hold the target of a control that went: it refuses everything.
    const pw::win32::ComPtr<IDataObject> text = pw::win32::TextDataObject::Make(L"x", false);
    DWORD effect = kBoth;
    EXPECT_EQ(gone->DragEnter(text.Get(), 0, ScreenAt(1, 1), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(gone->Drop(text.Get(), 0, ScreenAt(1, 1), &effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

struct EffectCase {
    DWORD keys;
    DWORD allowed;
    LRESULT readOnly;
    DWORD effect;
};

const EffectCase kEffectCases[] = {
    {0, DROPEFFECT_MOVE | DROPEFFECT_COPY, 0, DROPEFFECT_MOVE},
    {MK_CONTROL, DROPEFFECT_MOVE | DROPEFFECT_COPY, 0, DROPEFFECT_COPY},
    {0, DROPEFFECT_COPY, 0, DROPEFFECT_COPY},  // the source allows copying only
    {MK_CONTROL, DROPEFFECT_COPY, 0, DROPEFFECT_COPY},
    {MK_CONTROL, DROPEFFECT_MOVE, 0, DROPEFFECT_NONE},
    {0, DROPEFFECT_MOVE | DROPEFFECT_COPY, 1, DROPEFFECT_NONE},  // read only
};

TEST_F(DragDrop, TextMovesUnlessCtrlOrTheSourceSaysCopyAndNeverIntoReadOnlyText) {
    const pw::win32::ComPtr<IDataObject> text = pw::win32::TextDataObject::Make(L"XY", false);
    for (const EffectCase& c : kEffectCases) {
        parent.readOnly = c.readOnly;
        EXPECT_EQ(Enter(text.Get(), c.keys, 1, 5, c.allowed), c.effect) << c.keys << " " << c.allowed;
        EXPECT_EQ(Over(c.keys, 2, 2, c.allowed), c.effect) << c.keys << " " << c.allowed;
        EXPECT_EQ(target->DragLeave(), S_OK);
    }
    // Data without text is refused, dropped or not.
    const pw::win32::ComPtr<IDataObject> other = Raw(RegisterClipboardFormatW(L"PwTestOther"), "x");
    parent.readOnly = 0;
    EXPECT_EQ(Enter(other.Get(), 0, 1, 5), DROPEFFECT_NONE);
    EXPECT_EQ(Over(0, 1, 6), DROPEFFECT_NONE);
    EXPECT_EQ(Drop(other.Get(), 0, 1, 6), DROPEFFECT_NONE);
    // Text in a block too small for one unit is no text.
    const pw::win32::ComPtr<IDataObject> odd = Raw(CF_UNICODETEXT, "x");
    EXPECT_EQ(Enter(odd.Get(), 0, 1, 5), DROPEFFECT_MOVE);
    EXPECT_EQ(Drop(odd.Get(), 0, 1, 5), DROPEFFECT_NONE);
    parent.readOnly = 1;
    EXPECT_EQ(Enter(text.Get(), 0, 1, 5), DROPEFFECT_NONE);
    EXPECT_EQ(Drop(text.Get(), 0, 1, 5), DROPEFFECT_NONE);
    EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz");
}

TEST_F(DragDrop, WhileTextHoversTheCaretShowsTheDropPointAndLeavingPutsItBack) {
    const pw::win32::ComPtr<IDataObject> text = pw::win32::TextDataObject::Make(L"XY", false);
    const EditCaret& caret = ctrl.Core()->GetCaret();
    ASSERT_EQ(std::pair(caret.GetRow(), caret.GetColumn()), std::pair(1, 1));
    Enter(text.Get(), 0, 2, 3);
    EXPECT_EQ(std::pair(caret.GetRow(), caret.GetColumn()), std::pair(2, 3));
    Over(0, 1, 6);
    EXPECT_EQ(std::pair(caret.GetRow(), caret.GetColumn()), std::pair(1, 6));
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_EQ(std::pair(caret.GetRow(), caret.GetColumn()), std::pair(1, 1));
    EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz");
}

enum class Source { kStream, kBlock, kRaw };

struct DropCase {
    Source source;
    std::wstring_view text;
    int row, col;
    DWORD keys;
    const wchar_t* after;
    const wchar_t* selected;
};

const DropCase kDropCases[] = {
    {Source::kStream, L"XY", 1, 5, 0, L"abc XYdef\r\nxyz", L"XY"},
    {Source::kStream, L"XY", 1, 5, MK_CONTROL, L"abc XYdef\r\nxyz", L"XY"},
    {Source::kStream, L"1\r\n2", 1, 2, 0, L"a1\r\n2bc def\r\nxyz", L"1\r\n2"},
    {Source::kBlock, L"1\r\n2", 1, 2, 0, L"a1bc def\r\nx2yz", L"1\r\n2\r\n"},  // as a block copies
    // Another program's block: no NUL at its end and an odd byte over, or a NUL inside.
    {Source::kRaw, L"QR", 2, 1, 0, L"abc def\r\nQRxyz", L"QR"},
    {Source::kRaw, std::wstring_view(L"Q\0R", 3), 2, 1, 0, L"abc def\r\nQxyz", L"Q"},
};

TEST_F(DragDrop, DroppedTextLandsAtTheDropPointAsOneSelectedStep) {
    for (const DropCase& c : kDropCases) {
        SetText(L"abc def\r\nxyz");
        std::string bytes(reinterpret_cast<const char*>(c.text.data()), c.text.size() * sizeof(wchar_t));
        const pw::win32::ComPtr<IDataObject> data =
            c.source == Source::kRaw
                ? Raw(CF_UNICODETEXT, bytes + 'x')
                : pw::win32::TextDataObject::Make(std::wstring(c.text), c.source == Source::kBlock);
        const DWORD effect = c.keys & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
        EXPECT_EQ(Enter(data.Get(), c.keys, 1, 1), effect) << c.after;
        EXPECT_EQ(Drop(data.Get(), c.keys, c.row, c.col), effect) << c.after;
        EXPECT_EQ(ctrl.GetWholeText(), c.after);
        EXPECT_EQ(ctrl.Core()->GetCaret().GetSelectedText(), c.selected) << c.after;
        EXPECT_EQ(ctrl.Core()->GetCaret().GetSelection().IsBlock(), c.source == Source::kBlock) << c.after;
        EXPECT_TRUE(SendMessageW(ctrl.Handle(), WM_UNDO, 0, 0)) << c.after;
        EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz") << c.after;
        EXPECT_FALSE(SendMessageW(ctrl.Handle(), EM_CANUNDO, 0, 0)) << c.after;
    }
}

TEST_F(DragDrop, DroppedFilesAreToldToTheParent) {
    const pw::win32::ComPtr<IDataObject> files = Raw(CF_HDROP, DropFilesBytes(kDroppedName));
    EXPECT_EQ(Enter(files.Get(), 0, 1, 2), DROPEFFECT_COPY);
    EXPECT_EQ(Over(0, 2, 3), DROPEFFECT_COPY);
    EXPECT_EQ(Drop(files.Get(), 0, 2, 3), DROPEFFECT_COPY);
    EXPECT_EQ(parent.droppedFile, kDroppedName);
    const POINT at = At(ctrl, 2, 3);
    EXPECT_EQ(parent.dropPoint.x, at.x);
    EXPECT_EQ(parent.dropPoint.y, at.y);
    EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz");
}

// Real input: SendInput reaches the thread once its window is in front.
void SendMouse(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    SendInput(1, &input, sizeof input);
}

void SendEscape() {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_ESCAPE;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
}

// Another program's window taking drops: it answers `effect` and keeps the text it got.
class TakingTarget final : public pw::win32::ComObject<IDropTarget> {
public:
    explicit TakingTarget(DWORD effect) : effect_(effect) {}
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        *effect &= effect_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect &= effect_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (const std::optional<pw::win32::Clipboard::Content> content = pw::win32::TextOf(*data))
            taken = content->text;
        *effect &= effect_;
        return S_OK;
    }
    std::wstring taken;

private:
    DWORD effect_;
};

// The steps of a drag once the system runs it: its loop dispatches this thread timer's ticks.
// 'b' back onto the control after "def", 'u' the left button released, 'e' Escape.
struct DragScript {
    std::string steps;
    size_t next = 0;
    POINT back{};
};
DragScript* runningScript = nullptr;

void CALLBACK NextDragStep(HWND, UINT, UINT_PTR, DWORD) {
    DragScript& script = *runningScript;
    if (script.next == script.steps.size())
        return;
    switch (script.steps[script.next++]) {
        case 'b':
            SendMouse(MOUSEEVENTF_MOVE, script.back);
            break;
        case 'u':
            SendMouse(MOUSEEVENTF_LEFTUP);
            break;
        case 'e':
            SendEscape();
            break;
    }
}

struct RealDragCase {
    const char* steps;
    DWORD takes;  // what the other program's window answers
    const wchar_t* after;
    const wchar_t* taken;
};

const RealDragCase kRealDragCases[] = {
    {"bu", DROPEFFECT_MOVE, L" defabc\r\nxyz", L""},  // back onto itself: moved within the text
    {"u", DROPEFFECT_MOVE, L" def\r\nxyz", L"abc"},   // moved to the other program
    {"u", DROPEFFECT_COPY, L"abc def\r\nxyz", L"abc"},
    {"e", DROPEFFECT_MOVE, L"abc def\r\nxyz", L""},  // Escape cancels
};

TEST_F(DragDrop, TheSelectionDraggedOutOfTheWindowGoesOnAsTheSystemsDrag) {
    ShowWindow(parent.Handle(), SW_SHOW);
    SetForegroundWindow(parent.Handle());
    SetFocus(ctrl.Handle());
    POINT outside{440, 250};  // the parent's, below the control
    ClientToScreen(parent.Handle(), &outside);
    for (const RealDragCase& c : kRealDragCases) {
        SetText(L"abc def\r\nxyz");
        ctrl.Core()->GetCaret().Select(1, 1, 1, 4, true);
        const auto other = pw::win32::ComPtr<TakingTarget>::Adopt(new TakingTarget(c.takes));
        ASSERT_EQ(RegisterDragDrop(parent.Handle(), other.Get()), S_OK);
        const POINTL press = ScreenAt(1, 2);
        SendMouse(MOUSEEVENTF_MOVE, {press.x, press.y});
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        ASSERT_TRUE(PumpUntil([&] { return GetCapture() == ctrl.Handle(); }, 5000)) << c.steps;
        const POINTL back = ScreenAt(1, 8);
        DragScript script{c.steps, 0, {back.x, back.y}};
        runningScript = &script;
        const UINT_PTR timer = SetTimer(nullptr, 0, 150, NextDragStep);
        SendMouse(MOUSEEVENTF_MOVE, outside);
        EXPECT_TRUE(
            PumpUntil([&] { return script.next == script.steps.size() && GetCapture() == nullptr; }, 10000))
            << c.steps;
        KillTimer(nullptr, timer);
        runningScript = nullptr;
        if (GetKeyState(VK_LBUTTON) & 0x8000)
            SendMouse(MOUSEEVENTF_LEFTUP);
        pw::PumpMessages(50);
        RevokeDragDrop(parent.Handle());
        EXPECT_EQ(ctrl.GetWholeText(), c.after) << c.steps;
        EXPECT_EQ(other->taken, c.taken) << c.steps;
        EXPECT_FALSE(ctrl.Core()->GetMouse().IsBusy()) << c.steps;
        // Whatever happened is one step at the most.
        SendMessageW(ctrl.Handle(), WM_UNDO, 0, 0);
        EXPECT_EQ(ctrl.GetWholeText(), L"abc def\r\nxyz") << c.steps;
        EXPECT_FALSE(SendMessageW(ctrl.Handle(), EM_CANUNDO, 0, 0)) << c.steps;
    }
}

struct FormatCase {
    bool block;
    UINT format;  // 0: the column marker's
    DWORD aspect;
    DWORD tymed;
    HRESULT answer;
};

const FormatCase kFormatCases[] = {
    {false, CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
    {false, CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
    {false, CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_TYMED},
    {false, CF_UNICODETEXT, DVASPECT_ICON, TYMED_HGLOBAL, DV_E_DVASPECT},
    {false, CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
    {false, 0, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},  // a stream has no marker
    {true, 0, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
    {true, CF_UNICODETEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK},
};

TEST(TextDataObject, OffersTheTextAndForABlockTheMarkerAndListsWhatItOffers) {
    const UINT column = pw::win32::Clipboard::ColumnFormat();
    for (const FormatCase& c : kFormatCases) {
        const pw::win32::ComPtr<IDataObject> data = pw::win32::TextDataObject::Make(L"one\r\ntwo", c.block);
        FORMATETC format{static_cast<CLIPFORMAT>(c.format ? c.format : column), nullptr, c.aspect, -1,
                         c.tymed};
        EXPECT_EQ(data->QueryGetData(&format), c.answer) << c.format << " " << c.block;
        pw::win32::Medium medium;
        EXPECT_EQ(data->GetData(&format, medium.Out()), c.answer) << c.format << " " << c.block;
        if (c.answer == S_OK && c.format == CF_UNICODETEXT) {
            EXPECT_EQ(pw::win32::ReadUnicode(medium.Memory()), L"one\r\ntwo");
        }
        // What the object lists is what it answers for, nothing more.
        pw::win32::ComPtr<IEnumFORMATETC> formats;
        ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Out()), S_OK);
        std::vector<CLIPFORMAT> listed;
        for (FORMATETC next{}; formats->Next(1, &next, nullptr) == S_OK;) {
            EXPECT_EQ(data->QueryGetData(&next), S_OK);
            listed.push_back(next.cfFormat);
        }
        EXPECT_EQ(listed.size(), c.block ? 2u : 1u);
    }
}

TEST(TextDataObject, CountsItsReferencesAndAnswersForItsInterfacesOnly) {
    const pw::win32::ComPtr<IDataObject> data = pw::win32::TextDataObject::Make(L"x", false);
    EXPECT_EQ(data->AddRef(), 2u);
    EXPECT_EQ(data->Release(), 1u);
    pw::win32::ComPtr<IUnknown> unknown;
    EXPECT_EQ(data->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.Out())), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(data.Get()));
    void* none = &none;
    EXPECT_EQ(data->QueryInterface(IID_IDropTarget, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(data->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    FORMATETC any{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->GetData(&any, nullptr), E_INVALIDARG);
    EXPECT_EQ(data->QueryGetData(nullptr), E_INVALIDARG);
}

struct ContinueCase {
    BOOL escape;
    DWORD keys;
    HRESULT answer;
};

const ContinueCase kContinueCases[] = {
    {FALSE, MK_LBUTTON, S_OK},
    {FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
    {FALSE, 0, DRAGDROP_S_DROP},
    {FALSE, MK_CONTROL, DRAGDROP_S_DROP},
    {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
    {TRUE, 0, DRAGDROP_S_CANCEL},
};

TEST(DropSource, EscapeCancelsAndTheLeftButtonReleasedDrops) {
    const pw::win32::ComPtr<IDropSource> source = pw::win32::DropSource::Make();
    for (const ContinueCase& c : kContinueCases)
        EXPECT_EQ(source->QueryContinueDrag(c.escape, c.keys), c.answer) << c.escape << " " << c.keys;
    EXPECT_EQ(source->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
}

}  // namespace
