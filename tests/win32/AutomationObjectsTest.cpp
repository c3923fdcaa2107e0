// The control's automation objects (CurrPos, Selection, PrintOptions, PrintPreviewOptions and
// DataManager) driven by name through IDispatch, as scripts drive them, on a control that the
// DLL's class factory makes.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "AutomationClient.h"
#include "editor/win32/ComPtr.h"

namespace {

using pw::win32::ComPtr;

constexpr HRESULT kNotSupported = STD_CTL_SCODE(445);

using Var = pw::test::Variant;

// An automation object called by names; a failing call answers the code that scripts would see.
class Auto {
public:
    Auto() = default;
    explicit Auto(ComPtr<IDispatch> object) : object_(std::move(object)) {}

    HRESULT Invoke(const wchar_t* name, WORD flags, std::vector<Var> args, Var* result = nullptr) const {
        pw::test::Outcome outcome = pw::test::Invoke(object_.Get(), name, flags, std::move(args));
        if (result)
            *result = outcome.result;
        return outcome.hr == DISP_E_EXCEPTION ? (FAILED(outcome.error) ? outcome.error : E_FAIL) : outcome.hr;
    }
    HRESULT Get(const wchar_t* name, Var& value) const {
        return Invoke(name, DISPATCH_PROPERTYGET, {}, &value);
    }
    HRESULT Put(const wchar_t* name, const Var& value) const {
        return Invoke(name, DISPATCH_PROPERTYPUT, {value});
    }
    HRESULT PutRef(const wchar_t* name, const Var& value) const {
        return Invoke(name, DISPATCH_PROPERTYPUTREF, {value});
    }
    HRESULT Call(const wchar_t* name, std::initializer_list<int> args = {}) const {
        std::vector<Var> values;
        for (int n : args) values.emplace_back(static_cast<long>(n));
        return Invoke(name, DISPATCH_METHOD, values);
    }

    // A property's value; a failure is reported and gives a value no test expects.
    long Long(const wchar_t* name) const {
        Var value;
        EXPECT_EQ(Get(name, value), S_OK) << name;
        return V_VT(&value) == VT_I4 ? V_I4(&value) : LONG_MIN;
    }
    std::wstring Text(const wchar_t* name) const {
        Var value;
        EXPECT_EQ(Get(name, value), S_OK) << name;
        const BSTR text = V_VT(&value) == VT_BSTR ? V_BSTR(&value) : nullptr;
        return text ? std::wstring(text, SysStringLen(text)) : L"<none>";
    }
    VARIANT_BOOL Bool(const wchar_t* name) const {
        Var value;
        EXPECT_EQ(Get(name, value), S_OK) << name;
        return V_VT(&value) == VT_BOOL ? V_BOOL(&value) : VARIANT_BOOL{2};
    }
    Auto Object(const wchar_t* name) const {
        Var value;
        EXPECT_EQ(Get(name, value), S_OK) << name;
        return Auto(ComPtr<IDispatch>(V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : nullptr));
    }
    explicit operator bool() const { return bool(object_); }
    IDispatch* Get() const { return object_.Get(); }

private:
    ComPtr<IDispatch> object_;
};

struct Place {
    long row, col, strPos;
    friend bool operator==(const Place&, const Place&) = default;
};

Place PlaceOf(const Auto& position) {
    return {position.Long(L"Row"), position.Long(L"Col"), position.Long(L"StrPos")};
}

std::ostream& operator<<(std::ostream& out, const Place& p) {
    return out << "(" << p.row << ", " << p.col << ", " << p.strPos << ")";
}

class AutomationObjects : public pw::test::ControlDll {
protected:
    void SetUp() override {
        ControlDll::SetUp();
        control_ = Auto(ComPtr<IDispatch>::Adopt(Create()));
        ASSERT_TRUE(control_);
        // Places past a row's end are expected where the caret stops without virtual space.
        ASSERT_EQ(control_.Put(L"EnableVirtualSpace", Var(false)), S_OK);
    }
    void TearDown() override {
        control_ = Auto();
        ControlDll::TearDown();
    }

    void SetText(const wchar_t* text) { ASSERT_EQ(control_.Put(L"Text", Var(text)), S_OK); }
    // Selects from the anchor to the moving end through the selection's own place objects.
    void Select(const Auto& selection, Place anchor, Place end, bool block) {
        ASSERT_EQ(control_.Object(L"CurrPos").Call(L"SetPos", {1, 1}), S_OK);
        ASSERT_EQ(selection.Put(L"BlockSelectionMode", Var(block)), S_OK);
        ASSERT_EQ(selection.Object(L"Start").Call(L"SetPos", {int(anchor.row), int(anchor.col)}), S_OK);
        ASSERT_EQ(selection.Object(L"End").Call(L"SetPos", {int(end.row), int(end.col)}), S_OK);
    }

    Auto control_;
};

constexpr int kProperty = INT_MIN;  // a case that puts a property, not a method with two arguments

TEST_F(AutomationObjects, CaretPlaceFromRowsAndColumns) {
    SetText(L"ab\tcd\r\nx\r\n\tyz");
    struct Case {
        const wchar_t* member;
        int a, b;
        HRESULT result;
        Place after;
    } const cases[] = {
        {L"SetPos", 1, 1, S_OK, {1, 1, 0}},
        {L"SetPos", 1, 4, S_OK, {1, 5, 3}},  // inside a tab: after it
        {L"SetPos", 9, 2, S_OK, {3, 5, 1}},  // the last row
        {L"SetPos", 2, 40, S_OK, {2, 2, 1}},
        {L"SetPos", INT_MAX, INT_MAX, S_OK, {3, 7, 3}},
        {L"SetPosStr", 1, 3, S_OK, {1, 5, 3}},
        {L"SetPosStr", 1, 99, S_OK, {1, 7, 5}},
        {L"Row", 3, kProperty, S_OK, {3, 5, 1}},
        {L"Col", 6, kProperty, S_OK, {1, 6, 4}},
        {L"StrPos", 2, kProperty, S_OK, {1, 3, 2}},
        {L"SetPos", 0, 1, E_INVALIDARG, {1, 2, 1}},
        {L"SetPos", 1, 0, E_INVALIDARG, {1, 2, 1}},
        {L"SetPos", INT_MIN, -1, E_INVALIDARG, {1, 2, 1}},
        {L"SetPosStr", 1, -1, E_INVALIDARG, {1, 2, 1}},
        {L"SetPosStr", 0, 0, E_INVALIDARG, {1, 2, 1}},
        {L"Row", 0, kProperty, E_INVALIDARG, {1, 2, 1}},
        {L"Col", -3, kProperty, E_INVALIDARG, {1, 2, 1}},
        {L"StrPos", -1, kProperty, E_INVALIDARG, {1, 2, 1}},
    };
    const Auto caret = control_.Object(L"CurrPos");
    for (const Case& c : cases) {
        ASSERT_EQ(caret.Call(L"SetPos", {1, 2}), S_OK);
        EXPECT_EQ(c.b == kProperty ? caret.Put(c.member, Var(static_cast<long>(c.a)))
                                   : caret.Call(c.member, {c.a, c.b}),
                  c.result)
            << c.member << " " << c.a << " " << c.b;
        EXPECT_EQ(PlaceOf(caret), c.after) << c.member << " " << c.a << " " << c.b;
    }
}

TEST_F(AutomationObjects, EveryStringPositionIsAPlaceTheCaretKeeps) {
    const wchar_t* rows[] = {L"\ta\t\tb", L"", L"abc\tdefgh\t", L"\t"};
    SetText(L"\ta\t\tb\r\n\r\nabc\tdefgh\t\r\n\t");
    const Auto caret = control_.Object(L"CurrPos");
    for (int row = 1; row <= 4; ++row) {
        const int length = static_cast<int>(wcslen(rows[row - 1]));
        long lastCol = 0;
        for (int pos = 0; pos <= length + 2; ++pos) {
            ASSERT_EQ(caret.Call(L"SetPosStr", {row, pos}), S_OK);
            const Place at = PlaceOf(caret);
            EXPECT_EQ(at.row, row);
            EXPECT_EQ(at.strPos, std::min(pos, length)) << row << " " << pos;
            EXPECT_TRUE(pos > length ? at.col == lastCol : at.col > lastCol) << row << " " << pos;
            lastCol = at.col;
            ASSERT_EQ(caret.Call(L"SetPos", {int(at.row), int(at.col)}), S_OK);
            EXPECT_EQ(PlaceOf(caret), at) << row << " " << pos;
        }
    }
}

TEST_F(AutomationObjects, SelectionEndsAndCorners) {
    SetText(L"abcd\r\nefgh\r\nijkl");
    struct Case {
        Place anchor, end;
        bool block;
        const wchar_t* text;
        Place first, last;
    } const cases[] = {
        {{1, 2, 1}, {2, 3, 2}, false, L"bcd\r\nef", {1, 2, 1}, {2, 3, 2}},
        {{2, 3, 2}, {1, 2, 1}, false, L"bcd\r\nef", {1, 2, 1}, {2, 3, 2}},
        {{1, 4, 3}, {3, 2, 1}, true, L"bc\r\nfg\r\njk\r\n", {1, 2, 1}, {3, 4, 3}},
        {{3, 2, 1}, {1, 4, 3}, true, L"bc\r\nfg\r\njk\r\n", {1, 2, 1}, {3, 4, 3}},
        {{2, 2, 1}, {2, 2, 1}, false, L"", {2, 2, 1}, {2, 2, 1}},
    };
    const Auto selection = control_.Object(L"Selection");
    for (const Case& c : cases) {
        Select(selection, c.anchor, c.end, c.block);
        EXPECT_EQ(selection.Text(L"Text"), c.text) << c.anchor << c.end;
        EXPECT_EQ(selection.Bool(L"BlockSelectionMode"), c.block ? VARIANT_TRUE : VARIANT_FALSE);
        EXPECT_EQ(PlaceOf(selection.Object(L"Start")), c.anchor);
        EXPECT_EQ(PlaceOf(selection.Object(L"End")), c.end);
        EXPECT_EQ(PlaceOf(control_.Object(L"CurrPos")), c.end);
        EXPECT_EQ(PlaceOf(selection.Object(L"NormalStart")), c.first) << c.anchor << c.end;
        EXPECT_EQ(PlaceOf(selection.Object(L"NormalEnd")), c.last) << c.anchor << c.end;
    }
}

TEST_F(AutomationObjects, SelectedTextReplacedAsOneStep) {
    const wchar_t* original = L"abcd\r\nefgh\r\nijkl";
    struct Case {
        Place anchor, end;
        bool block;
        const wchar_t* text;
        const wchar_t* after;
    } const cases[] = {
        {{1, 2, 1}, {2, 3, 2}, false, L"XY", L"aXYgh\r\nijkl"},
        {{2, 3, 2}, {1, 2, 1}, false, L"", L"agh\r\nijkl"},
        {{2, 1, 0}, {2, 1, 0}, false, L"Z\r\n", L"abcd\r\nZ\r\nefgh\r\nijkl"},
        {{3, 2, 1}, {1, 4, 3}, true, L"Q", L"aQd\r\neh\r\nil"},
    };
    const Auto selection = control_.Object(L"Selection");
    for (const Case& c : cases) {
        SetText(original);
        Select(selection, c.anchor, c.end, c.block);
        EXPECT_EQ(selection.Put(L"Text", Var(c.text)), S_OK);
        EXPECT_EQ(control_.Text(L"Text"), c.after) << c.anchor << c.end;
        EXPECT_EQ(selection.Text(L"Text"), L"");
        EXPECT_EQ(control_.Call(L"Undo"), S_OK);
        EXPECT_EQ(control_.Text(L"Text"), original) << c.anchor << c.end;
    }
    // Read only, the text stays and the script hears why.
    Select(selection, {1, 1, 0}, {1, 3, 2}, false);
    ASSERT_EQ(control_.Put(L"ReadOnly", Var(true)), S_OK);
    EXPECT_EQ(selection.Put(L"Text", Var(L"no")), CTL_E_PERMISSIONDENIED);
    EXPECT_EQ(control_.Text(L"Text"), original);
}

TEST_F(AutomationObjects, ResetCollapsesAtTheMovingEnd) {
    SetText(L"abcd\r\nefgh");
    const Auto selection = control_.Object(L"Selection");
    for (bool block : {false, true}) {
        Select(selection, {2, 4, 3}, {1, 2, 1}, block);
        ASSERT_EQ(selection.Call(L"Reset"), S_OK);
        EXPECT_EQ(selection.Text(L"Text"), L"");
        EXPECT_EQ(PlaceOf(selection.Object(L"Start")), (Place{1, 2, 1}));
        EXPECT_EQ(PlaceOf(selection.Object(L"End")), (Place{1, 2, 1}));
    }
}

TEST_F(AutomationObjects, NormalisedEndsCannotBeMoved) {
    SetText(L"abcd\r\nefgh");
    const Auto selection = control_.Object(L"Selection");
    Select(selection, {1, 2, 1}, {2, 3, 2}, false);
    for (const wchar_t* name : {L"NormalStart", L"NormalEnd"}) {
        const Auto corner = selection.Object(name);
        for (const wchar_t* property : {L"Row", L"Col", L"StrPos"})
            EXPECT_EQ(corner.Put(property, Var(1L)), kNotSupported) << name << "." << property;
        EXPECT_EQ(corner.Call(L"SetPos", {1, 1}), kNotSupported) << name;
        EXPECT_EQ(corner.Call(L"SetPosStr", {1, 0}), kNotSupported) << name;
    }
    EXPECT_EQ(selection.Text(L"Text"), L"bcd\r\nef");
}

TEST_F(AutomationObjects, ObjectsKeepTheControlAlive) {
    SetText(L"one\r\ntwo");
    const Auto caret = control_.Object(L"CurrPos");
    const Auto options = control_.Object(L"PrintOptions");
    control_ = Auto();
    EXPECT_EQ(caret.Call(L"SetPos", {2, 2}), S_OK);
    EXPECT_EQ(PlaceOf(caret), (Place{2, 2, 1}));
    EXPECT_EQ(options.Object(L"Footer").Text(L"FormatString"), L"Page &p of &P");
}

TEST_F(AutomationObjects, PrintOptionNumbersStayInRange) {
    struct Case {
        const wchar_t* name;
        int value;
        HRESULT result;
        long read;  // LONG_MIN: what it was before
    } const cases[] = {
        {L"MarginLeft", 0, S_OK, 0},
        {L"MarginTop", 2500, S_OK, 2500},
        {L"MarginBottom", INT_MAX, S_OK, INT_MAX},
        {L"MarginRight", -1, E_INVALIDARG, LONG_MIN},
        {L"MarginTop", INT_MIN, E_INVALIDARG, LONG_MIN},
        {L"BlackWhiteContrast", 128, S_OK, 128},
        {L"BlackWhiteContrast", 300, S_OK, 255},
        {L"BlackWhiteContrast", -7, S_OK, 0},
    };
    const Auto options = control_.Object(L"PrintOptions");
    for (const Case& c : cases) {
        const long before = options.Long(c.name);
        EXPECT_EQ(options.Put(c.name, Var(static_cast<long>(c.value))), c.result) << c.name << " " << c.value;
        EXPECT_EQ(options.Long(c.name), c.read == LONG_MIN ? before : c.read) << c.name << " " << c.value;
    }
    for (const wchar_t* name : {L"BlackWhitePrinting", L"Landscape"})
        for (bool on : {true, false, true}) {
            EXPECT_EQ(options.Put(name, Var(on)), S_OK);
            EXPECT_EQ(options.Bool(name), on ? VARIANT_TRUE : VARIANT_FALSE) << name;
        }
    const VARIANT_BOOL metric = options.Bool(L"MarginsMeasureMetrics");
    EXPECT_TRUE(FAILED(options.Put(L"MarginsMeasureMetrics", Var(metric != VARIANT_TRUE))));
    EXPECT_EQ(options.Bool(L"MarginsMeasureMetrics"), metric);
    const Auto printer = options.Object(L"PrinterInfo");
    for (const wchar_t* name : {L"DeviceName", L"DriverName", L"PortName"}) {
        EXPECT_NE(printer.Text(name), L"<none>") << name;
        EXPECT_TRUE(FAILED(printer.Put(name, Var(L"x")))) << name;
    }
}

TEST_F(AutomationObjects, BandFontsGoInAndComeBack) {
    const Auto options = control_.Object(L"PrintOptions");
    const Auto header = options.Object(L"Header");
    const Auto defaultFont = options.Object(L"Footer").Object(L"Font");
    ASSERT_TRUE(defaultFont);
    FONTDESC description{sizeof(FONTDESC),
                         const_cast<LPOLESTR>(L"DejaVu Sans Mono"),
                         {},
                         FW_BOLD,
                         DEFAULT_CHARSET,
                         TRUE,
                         FALSE,
                         TRUE};
    description.cySize.int64 = 15 * 10000;
    ComPtr<IDispatch> font;
    ASSERT_EQ(OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(font.Out())), S_OK);
    ASSERT_EQ(header.PutRef(L"Font", Var(font.Get())), S_OK);

    const Auto back = header.Object(L"Font");
    ASSERT_TRUE(back);
    EXPECT_NE(back.Get(), font.Get());
    EXPECT_EQ(back.Text(L"Name"), L"DejaVu Sans Mono");
    Var size;
    ASSERT_EQ(back.Get(L"Size", size), S_OK);
    ASSERT_EQ(VariantChangeType(&size, &size, 0, VT_R8), S_OK);
    EXPECT_NEAR(V_R8(&size), 15.0, 0.75);  // within a screen pixel
    for (const wchar_t* name : {L"Bold", L"Italic", L"Strikethrough"})
        EXPECT_EQ(back.Bool(name), VARIANT_TRUE) << name;
    EXPECT_EQ(back.Bool(L"Underline"), VARIANT_FALSE);
    EXPECT_TRUE(FAILED(header.PutRef(L"Font", Var(static_cast<IDispatch*>(nullptr)))));
    EXPECT_EQ(header.Object(L"Font").Text(L"Name"), L"DejaVu Sans Mono");

    // Clear gives the header the font the footer started with.
    ASSERT_EQ(header.Call(L"Clear"), S_OK);
    const Auto cleared = header.Object(L"Font");
    for (const wchar_t* name : {L"Name", L"Bold", L"Italic"}) {
        Var want, got;
        ASSERT_EQ(defaultFont.Get(name, want), S_OK);
        ASSERT_EQ(cleared.Get(name, got), S_OK);
        EXPECT_EQ(VarCmp(&want, &got, LOCALE_USER_DEFAULT, 0), VARCMP_EQ) << name;
    }
}

TEST_F(AutomationObjects, TextPropertiesKeepWhatTheyAreGiven) {
    const Auto options = control_.Object(L"PrintOptions");
    const Auto header = options.Object(L"Header");
    const Auto footer = options.Object(L"Footer");
    const Auto preview = control_.Object(L"PrintPreviewOptions");
    const Auto data = control_.Object(L"DataManager");
    EXPECT_EQ(header.Text(L"FormatString"), L"&w &b&b &d &t");
    EXPECT_EQ(footer.Text(L"FormatString"), L"Page &p of &P");
    EXPECT_EQ(preview.Text(L"Title"), L"Penwright");
    struct Case {
        const Auto& object;
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* read;
    } const cases[] = {
        {header, L"FormatString", L"&p/&P", L"&p/&P"},
        {footer, L"FormatString", nullptr, L""},
        {header, L"TextLeft", L"left", L"left"},
        {footer, L"TextCenter", L"\x00e9t\x00e9", L"\x00e9t\x00e9"},
        {footer, L"TextRight", L"right", L"right"},
        {header, L"TextRight", L"", L""},
        {preview, L"Title", L"Report", L"Report"},
        {preview, L"Title", nullptr, L""},
        {data, L"FileExt", L".java", L".java"},
        {data, L"FileExt", L".JAVA", L".java"},  // the same extension: kept as it was
        {data, L"FileExt", L".txt", L".txt"},
        {data, L"FileExt", nullptr, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.object.Put(c.name, Var(c.value)), S_OK);
        EXPECT_EQ(c.object.Text(c.name), c.read) << c.name << " " << (c.value ? c.value : L"null");
    }
    // Clearing one band leaves the other.
    EXPECT_EQ(header.Call(L"Clear"), S_OK);
    for (const wchar_t* name : {L"FormatString", L"TextLeft", L"TextCenter", L"TextRight"})
        EXPECT_EQ(header.Text(name), L"") << name;
    EXPECT_EQ(footer.Text(L"TextRight"), L"right");
}

}  // namespace
