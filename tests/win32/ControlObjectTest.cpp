// The control object as hosts drive it without showing it: properties, text and rows, undo,
// files and their errors, events through a connection point, persistence in streams and property
// bags, and the refusals a host asking for script safety gets.
#include <windows.h>
// After windows.h, which they need.
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "AutomationClient.h"
#include "OptionsSheetCanceller.h"
#include "activex/win32/TypeLibrary.h"

namespace {

using pw::test::Call;
using pw::test::Get;
using pw::test::Put;
using pw::test::Variant;

class ControlObject : public pw::test::ControlDll {
protected:
    void SetUp() override {
        ControlDll::SetUp();
        control_ = Create();
        ASSERT_TRUE(control_);
    }
    void TearDown() override {
        if (control_)
            control_->Release();
        ControlDll::TearDown();
    }
    void SetText(const wchar_t* text) { ASSERT_EQ(Put(control_, L"Text", {text}).hr, S_OK); }
    std::wstring Text() { return Get(control_, L"Text").result.Text(); }
    template <class I>
    I* As(REFIID iid) {
        I* object = nullptr;
        control_->QueryInterface(iid, reinterpret_cast<void**>(&object));
        return object;
    }
    IDispatch* control_ = nullptr;
};

TEST_F(ControlObject, PropertiesKeepWhatTheyAreGiven) {
    struct Case {
        const wchar_t* name;
        Variant value;
    };
    const Case cases[] = {
        {L"BorderStyle", 2L},
        {L"ShowLineNumbers", false},
        {L"ShowSelectionMargin", false},
        {L"ShowScrollBarVert", false},
        {L"ShowScrollBarHorz", false},
        {L"EnableVirtualSpace", true},
        {L"EnableAutoIndent", false},
        {L"ShowWhiteSpace", true},
        {L"EnableSyntaxColorization", false},
        {L"ReadOnly", true},
        {L"TabSize", 8L},
        {L"ConfigFile", L"C:\\nowhere\\Penwright.ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Put(control_, c.name, {c.value}).hr, S_OK) << c.name;
        const pw::test::Outcome got = Get(control_, c.name);
        EXPECT_EQ(got.hr, S_OK) << c.name;
        EXPECT_EQ(
            VarCmp(const_cast<Variant*>(&got.result), const_cast<Variant*>(&c.value), LOCALE_USER_DEFAULT, 0),
            static_cast<HRESULT>(VARCMP_EQ))
            << c.name;
    }
    // A window exists before any host shows the control.
    EXPECT_TRUE(
        IsWindow(reinterpret_cast<HWND>(static_cast<LONG_PTR>(Get(control_, L"hWnd").result.Long()))));
    EXPECT_EQ(Put(control_, L"TabSize", {0L}).error, E_INVALIDARG);
    EXPECT_EQ(Get(control_, L"TabSize").result.Long(), 8);
}

TEST_F(ControlObject, TheFontIsAFontObjectBothWays) {
    IDispatch* font = pw::test::GetObject(control_, L"Font");
    ASSERT_TRUE(font);
    EXPECT_FALSE(Get(font, L"Name").result.Text().empty());
    // A font of the host's, given by reference, is the control's font from then on.
    EXPECT_EQ(Put(font, L"Size", {20L}).hr, S_OK);
    EXPECT_EQ(pw::test::Invoke(control_, L"Font", DISPATCH_PROPERTYPUTREF, {font}).hr, S_OK);
    font->Release();
    IDispatch* again = pw::test::GetObject(control_, L"Font");
    ASSERT_TRUE(again);
    EXPECT_NEAR(Get(again, L"Size").result.Long(), 20, 1);
    again->Release();
    EXPECT_EQ(pw::test::Invoke(control_, L"Font", DISPATCH_PROPERTYPUTREF, {static_cast<IDispatch*>(nullptr)})
                  .error,
              E_INVALIDARG);
}

TEST_F(ControlObject, TextAndRows) {
    SetText(L"ab\r\nc");
    EXPECT_EQ(Get(control_, L"RowsCount").result.Long(), 2);
    EXPECT_EQ(Get(control_, L"TextLength").result.Long(), 3);  // line ends are not counted
    EXPECT_EQ(Get(control_, L"RowText", {2L}).result.Text(), L"c");
    EXPECT_EQ(Get(control_, L"RowTextLength", {1L}).result.Long(), 2);
    EXPECT_EQ(Text(), L"ab\r\nc");
    // A leading U+FEFF is the host's text, and a null string is the empty text.
    SetText(L"\xFEFFx");
    EXPECT_EQ(Text(), L"\xFEFFx");
    SetText(nullptr);
    EXPECT_EQ(Text(), L"");

    // Rows outside the text are refused and change nothing; one past the last appends.
    SetText(L"one\r\ntwo");
    struct Edit {
        const wchar_t* member;
        std::vector<Variant> arguments;
        HRESULT error;
        const wchar_t* text;
    };
    const Edit edits[] = {
        {L"InsertRow", {0L, L"x"}, E_INVALIDARG, L"one\r\ntwo"},
        {L"InsertRow", {4L, L"x"}, E_INVALIDARG, L"one\r\ntwo"},
        {L"RemoveRow", {3L}, E_INVALIDARG, L"one\r\ntwo"},
        {L"RowText", {-1L, L"x"}, E_INVALIDARG, L"one\r\ntwo"},
        {L"InsertRow", {3L, L"three"}, S_OK, L"one\r\ntwo\r\nthree"},
        {L"InsertRow", {1L, L"zero"}, S_OK, L"zero\r\none\r\ntwo\r\nthree"},
        {L"RowText", {2L, L"ONE"}, S_OK, L"zero\r\nONE\r\ntwo\r\nthree"},
        {L"RemoveRow", {3L}, S_OK, L"zero\r\nONE\r\nthree"},
    };
    for (const Edit& e : edits) {
        const bool put = std::wstring(e.member) == L"RowText";
        const pw::test::Outcome done =
            put ? Put(control_, e.member, e.arguments) : Call(control_, e.member, e.arguments);
        EXPECT_EQ(done.error, e.error == S_OK ? S_OK : e.error) << e.member << " " << e.text;
        EXPECT_EQ(Text(), e.text) << e.member;
    }
    // The host's row edits are undo steps: undone in turn they give the first text back.
    while (Get(control_, L"CanUndo").result.Bool()) Call(control_, L"Undo");
    EXPECT_EQ(Text(), L"one\r\ntwo");
    EXPECT_TRUE(Get(control_, L"CanRedo").result.Bool());
}

TEST_F(ControlObject, ReadOnlyRefusesEveryEditAndUndoKeepsTheModifiedState) {
    SetText(L"text");
    EXPECT_FALSE(Get(control_, L"Modified").result.Bool());
    Put(control_, L"ReadOnly", {true});
    Put(control_, L"RowText", {1L, L"changed"});
    Call(control_, L"InsertRow", {1L, L"new"});
    Call(control_, L"SelectAll");
    IDispatch* selection = pw::test::GetObject(control_, L"Selection");
    ASSERT_TRUE(selection);
    Put(selection, L"Text", {L"replaced"});
    selection->Release();
    EXPECT_EQ(Text(), L"text");
    Put(control_, L"ReadOnly", {false});
    Put(control_, L"RowText", {1L, L"changed"});
    EXPECT_TRUE(Get(control_, L"Modified").result.Bool());
    Call(control_, L"ClearUndoBuffer");
    EXPECT_FALSE(Get(control_, L"CanUndo").result.Bool());
    EXPECT_TRUE(Get(control_, L"Modified").result.Bool());
    // The host marks the text saved or changed; neither touches the undo steps.
    Put(control_, L"RowText", {1L, L"again"});
    for (const bool modified : {false, true, false}) {
        EXPECT_EQ(Put(control_, L"Modified", {modified}).hr, S_OK);
        EXPECT_EQ(Get(control_, L"Modified").result.Bool(), modified);
        EXPECT_TRUE(Get(control_, L"CanUndo").result.Bool());
    }
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST_F(ControlObject, FilesSaveAndOpenAndTheirErrorsReachTheCaller) {
    const pw::test::Outcome unnamed = Call(control_, L"SaveFile");
    EXPECT_TRUE(FAILED(unnamed.error)) << "a save without a file name reports it";

    const std::wstring path = TempPath(L"pw-control-object.txt");
    SetText(L"saved\r\ntext");
    Put(control_, L"RowText", {1L, L"edited"});
    ASSERT_EQ(Call(control_, L"SaveFileAs", {path.c_str()}).hr, S_OK);
    EXPECT_FALSE(Get(control_, L"Modified").result.Bool());

    IDispatch* other = Create();
    ASSERT_TRUE(other);
    Call(other, L"AddRemoveBookmark", {1L});
    ASSERT_EQ(Call(other, L"OpenFile", {path.c_str()}).hr, S_OK);
    EXPECT_EQ(Get(other, L"Text").result.Text(), L"edited\r\ntext");
    EXPECT_FALSE(Get(other, L"Modified").result.Bool());
    Put(other, L"RowText", {2L, L"again"});
    EXPECT_EQ(Call(other, L"SaveFile").hr, S_OK);

    // A missing file is the scripting languages' "file not found", naming the file.
    const std::wstring missing = TempPath(L"pw-missing.txt");
    const pw::test::Outcome failed = Call(other, L"OpenFile", {missing.c_str()});
    EXPECT_EQ(failed.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.error, static_cast<HRESULT>(0x800A0035)) << std::hex << failed.error;  // file not found
    EXPECT_NE(failed.description.find(L"pw-missing.txt"), std::wstring::npos);
    EXPECT_EQ(Get(other, L"Text").result.Text(), L"edited\r\nagain");
    other->Release();
    SetText(L"");
    ASSERT_EQ(Call(control_, L"OpenFile", {path.c_str()}).hr, S_OK);
    EXPECT_EQ(Text(), L"edited\r\nagain");
    DeleteFileW(path.c_str());
}

// Events as a C++ host receives them; KeyDown's sink may keep keys from the editor.
class EventSink final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, __uuidof(_DPenwrightEvents))) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        ++fired[id];
        if (id == DISPID_KEYDOWN && params->cArgs == 2 && params->rgvarg[1].vt == (VT_I2 | VT_BYREF) &&
            *params->rgvarg[1].piVal == swallow)
            *params->rgvarg[1].piVal = 0;
        if (id == 1 && params->cArgs == 2)
            lastPosition = {params->rgvarg[1].lVal, params->rgvarg[0].lVal};
        return S_OK;
    }
    std::map<DISPID, int> fired;
    std::pair<long, long> lastPosition;
    short swallow = 0;
};

TEST_F(ControlObject, EventsReachAConnectedSinkAndKeyDownMayCancelTheKey) {
    IConnectionPointContainer* container = As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ASSERT_TRUE(container);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(__uuidof(_DPenwrightEvents), &point), S_OK);
    EventSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    SetText(L"ab\r\ncd");
    Call(control_, L"SelectAll");
    EXPECT_GE(sink.fired[1], 1);
    EXPECT_EQ(sink.lastPosition, (std::pair<long, long>{2, 3}));
    EXPECT_GE(sink.fired[3], 1) << "SelChange";

    const HWND editor = GetWindow(
        reinterpret_cast<HWND>(static_cast<LONG_PTR>(Get(control_, L"hWnd").result.Long())), GW_CHILD);
    ASSERT_TRUE(editor);
    sink.swallow = VK_DELETE;
    SendMessageW(editor, WM_KEYDOWN, VK_DELETE, 1);
    SendMessageW(editor, WM_KEYUP, VK_DELETE, 1);
    EXPECT_EQ(Text(), L"ab\r\ncd");
    EXPECT_EQ(sink.fired[DISPID_KEYDOWN], 1);
    EXPECT_EQ(sink.fired[DISPID_KEYUP], 1);
    sink.swallow = 0;
    SendMessageW(editor, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(Text(), L"");
    EXPECT_GE(sink.fired[2], 1) << "Change";

    // Frozen events are dropped; a sink let go hears nothing more.
    IOleControl* control = As<IOleControl>(IID_IOleControl);
    const int moves = sink.fired[1];
    control->FreezeEvents(TRUE);
    SetText(L"x");
    Call(control_, L"SelectAll");
    EXPECT_EQ(sink.fired[1], moves);
    control->FreezeEvents(FALSE);
    control->Release();
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    Call(control_, L"SelectAll");
    EXPECT_EQ(sink.fired[1], moves);
    point->Release();
    container->Release();
}

// A property bag over a map, as hosts keep one.
class MemoryBag final : public IPropertyBag {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto found = values.find(name);
        if (found == values.end())
            return E_INVALIDARG;
        return VariantCopy(value, &found->second);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        values[name] = *static_cast<Variant*>(value);
        return S_OK;
    }
    std::map<std::wstring, Variant> values;
};

TEST_F(ControlObject, PersistsThroughStreamsAndPropertyBags) {
    SetText(L"kept\r\ntext");
    Put(control_, L"BorderStyle", {3L});
    Put(control_, L"ShowLineNumbers", {false});
    Put(control_, L"ReadOnly", {true});
    auto same = [&](IDispatch* other) {
        for (const wchar_t* name :
             {L"Text", L"BorderStyle", L"ShowLineNumbers", L"ReadOnly", L"ShowWhiteSpace"}) {
            Variant mine = Get(control_, name).result, theirs = Get(other, name).result;
            EXPECT_EQ(VarCmp(&mine, &theirs, LOCALE_USER_DEFAULT, 0), static_cast<HRESULT>(VARCMP_EQ))
                << name;
        }
    };

    IPersistStreamInit* persist = As<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_TRUE(persist);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    IDispatch* other = Create();
    IPersistStreamInit* otherPersist = nullptr;
    other->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&otherPersist));
    ASSERT_EQ(otherPersist->Load(stream), S_OK);
    same(other);

    // Bytes cut short or a count beyond the data are refused, and the control stays as it was.
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    for (const uint32_t cut : {uint32_t{3}, uint32_t{10}, static_cast<uint32_t>(stat.cbSize.QuadPart - 1)}) {
        IStream* broken = nullptr;
        CreateStreamOnHGlobal(nullptr, TRUE, &broken);
        ULARGE_INTEGER size{};
        size.QuadPart = cut;
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        stream->CopyTo(broken, size, nullptr, nullptr);
        broken->Seek(start, STREAM_SEEK_SET, nullptr);
        EXPECT_TRUE(FAILED(otherPersist->Load(broken))) << cut;
        broken->Release();
    }
    IStream* huge = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &huge);
    const uint32_t count = 0x7FFFFFF0;
    huge->Write(&count, sizeof count, nullptr);
    huge->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(otherPersist->Load(huge)));
    huge->Release();
    same(other);
    otherPersist->Release();
    other->Release();
    stream->Release();
    persist->Release();

    // The bag: saved options are 0 or 1; a bag's True is true; a border style outside the table is
    // ignored.
    IPersistPropertyBag* bagged = As<IPersistPropertyBag>(IID_IPersistPropertyBag);
    MemoryBag bag;
    ASSERT_EQ(bagged->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.values[L"ShowLineNumbers"].Long(), 0);
    EXPECT_EQ(bag.values[L"EditorText"].Text(), L"kept\r\ntext");
    other = Create();
    IPersistPropertyBag* otherBag = nullptr;
    other->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&otherBag));
    ASSERT_EQ(otherBag->Load(&bag, nullptr), S_OK);
    same(other);
    MemoryBag typed;
    typed.values[L"ShowWhiteSpace"] = Variant(true);
    typed.values[L"ReadOnly"] = Variant(L"True");
    typed.values[L"BorderStyle"] = Variant(9L);
    typed.values[L"EditorText"] = Variant(L"from html");
    ASSERT_EQ(otherBag->Load(&typed, nullptr), S_OK);
    EXPECT_TRUE(Get(other, L"ShowWhiteSpace").result.Bool());
    EXPECT_TRUE(Get(other, L"ReadOnly").result.Bool());
    EXPECT_EQ(Get(other, L"BorderStyle").result.Long(), 3);
    EXPECT_EQ(Get(other, L"Text").result.Text(), L"from html");
    otherBag->Release();
    other->Release();
    bagged->Release();
}

TEST_F(ControlObject, AHostAskingForSafetyKeepsScriptsFromFilesAndDevices) {
    IObjectSafety* safety = As<IObjectSafety>(IID_IObjectSafety);
    ASSERT_TRUE(safety);
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              S_OK);
    const std::wstring path = TempPath(L"pw-unsafe.txt");
    struct Refused {
        const wchar_t* member;
        WORD flags;
        std::vector<Variant> arguments;
    };
    const Refused refused[] = {
        {L"OpenFile", DISPATCH_METHOD, {path.c_str()}},
        {L"SaveFileAs", DISPATCH_METHOD, {path.c_str()}},
        {L"ConfigFile", DISPATCH_PROPERTYPUT, {path.c_str()}},
        {L"PrintText2", DISPATCH_METHOD, {false}},
        {L"PrintText", DISPATCH_METHOD, {1234L}},
    };
    for (const Refused& r : refused)
        EXPECT_EQ(pw::test::Invoke(control_, r.member, r.flags, r.arguments).error, CTL_E_PERMISSIONDENIED)
            << r.member;
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    SetText(L"still editable");
    EXPECT_EQ(Text(), L"still editable");
    safety->Release();
}

TEST_F(ControlObject, TheOptionsDialogShowsModallyEvenToUntrustedCallers) {
    IObjectSafety* safety = As<IObjectSafety>(IID_IObjectSafety);
    ASSERT_TRUE(safety);
    ASSERT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              S_OK);
    safety->Release();
    Put(control_, L"ShowLineNumbers", {true});
    pw::test::OptionsSheetCanceller canceller;
    EXPECT_EQ(Call(control_, L"ShowOptionsDialog").hr, S_OK);
    EXPECT_NE(canceller.Cancelled(), nullptr);
    EXPECT_FALSE(IsWindow(canceller.Cancelled())) << "gone when the call returns";
    EXPECT_TRUE(Get(control_, L"ShowLineNumbers").result.Bool());
}

}  // namespace
