// The control hosted in place by the system's ATL container: registered, made by the host from
// its class id, its window a child of the host's, painting its text, keys reaching the editor
// through the host's pre-translation and drawing into any device context.
#include <windows.h>
// After windows.h, which they need.
#include <ocidl.h>

#include <gtest/gtest.h>

#include <string>

#include "AutomationClient.h"
#include "ControlSite.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/DibSection.h"

namespace {

using pw::test::Call;
using pw::test::Get;
using pw::test::Put;

using ServerCall = HRESULT(STDAPICALLTYPE*)();
using AxWinInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

// A key going down in `hwnd`, as the host's message loop would hand it over.
MSG KeyDown(HWND hwnd, WPARAM key) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    return msg;
}

class ControlHosting : public pw::test::ControlDll {
protected:
    void SetUp() override {
        ControlDll::SetUp();
        ASSERT_EQ(Server("DllRegisterServer"), S_OK);
        frame_ = CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 420, 260,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(frame_);
    }
    void TearDown() override {
        if (frame_)
            DestroyWindow(frame_);
        Server("DllUnregisterServer");
        ControlDll::TearDown();
    }
    HRESULT Server(const char* name) {
        auto call = reinterpret_cast<ServerCall>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
        return call ? call() : E_NOTIMPL;
    }
    static void Pump() {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // The system's ATL with its container's window class, kept for the process: its class stays
    // registered.
    static AxGetControl AtlContainer() {
        static const AxGetControl getControl = []() -> AxGetControl {
            const HMODULE atl = LoadLibraryW(L"atl.dll");
            auto init =
                reinterpret_cast<AxWinInit>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
            return atl && init && init() ? reinterpret_cast<AxGetControl>(reinterpret_cast<void*>(
                                               GetProcAddress(atl, "AtlAxGetControl")))
                                         : nullptr;
        }();
        return getControl;
    }
    HWND frame_ = nullptr;
};

TEST_F(ControlHosting, InPlaceInTheAtlContainer) {
    const AxGetControl getControl = AtlContainer();
    ASSERT_TRUE(getControl);
    const HWND host = CreateWindowExW(0, L"AtlAxWin", ControlIds::kControlProgId, WS_CHILD | WS_VISIBLE, 10,
                                      10, 380, 200, frame_, nullptr, nullptr, nullptr);
    ASSERT_TRUE(host);
    ShowWindow(frame_, SW_SHOW);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(getControl(host, &unknown), S_OK);
    IDispatch* control = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control)), S_OK);

    // The control's window lives in the host's, at the size the host gave it.
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(Get(control, L"hWnd").result.Long()));
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetParent(window), host);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 380);
    EXPECT_EQ(client.bottom, 200);
    const HWND editor = GetWindow(window, GW_CHILD);
    ASSERT_TRUE(editor);

    // Its text is painted: dark glyph pixels on the light background.
    Put(control, L"Text", {L"int main() { return 0; }"});
    Pump();
    pw::win32::DibSection picture(380, 200);
    ASSERT_TRUE(pw::win32::CaptureClient(window, picture));
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 380; ++x) dark += GetRValue(picture.Pixel(x, y)) < 100;
    EXPECT_GT(dark, 20);

    // Keys go to the editor through the host's pre-translation: Enter is a character there, not
    // the host's default button, and an arrow moves the caret.
    SetFocus(editor);
    IOleInPlaceActiveObject* active = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active)), S_OK);
    MSG right = KeyDown(editor, VK_RIGHT);
    EXPECT_EQ(active->TranslateAccelerator(&right), S_OK);
    MSG enter = KeyDown(editor, VK_RETURN);
    EXPECT_EQ(active->TranslateAccelerator(&enter), S_OK);
    EXPECT_EQ(Get(control, L"Text").result.Text(), L"i\r\nnt main() { return 0; }");
    MSG letter = KeyDown(editor, 'A');
    EXPECT_EQ(active->TranslateAccelerator(&letter), S_FALSE);
    active->Release();

    // Drawn into another device context at another size, as a designer draws it.
    IViewObject* view = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    pw::win32::DibSection drawn(200, 100);
    PatBlt(drawn.Dc().Get(), 0, 0, 200, 100, BLACKNESS);
    const RECTL bounds{0, 0, 200, 100};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, drawn.Dc().Get(), &bounds, nullptr,
                         nullptr, 0),
              S_OK);
    int light = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) light += GetRValue(drawn.Pixel(x, y)) > 200;
    EXPECT_GT(light, 200 * 100 / 2);
    view->Release();

    control->Release();
    unknown->Release();
}

bool Shown(HWND hwnd) {
    return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(ControlHosting, ActivatesAndDeactivatesInAContainerOfItsOwn) {
    IDispatch* control = Create();
    ASSERT_TRUE(control);
    IOleObject* object = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)), S_OK);
    ControlSite container(frame_);
    ASSERT_EQ(container.Embed(object, RECT{5, 5, 205, 105}), S_OK);
    EXPECT_TRUE(container.inPlaceActive);
    EXPECT_FALSE(container.uiActive);
    const HWND window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(Get(control, L"hWnd").result.Long()));
    const HWND editor = GetWindow(window, GW_CHILD);
    EXPECT_EQ(GetParent(window), frame_);
    EXPECT_TRUE(Shown(window));
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 200);

    // A click activates the user interface; the frame is given the active object, which routes keys.
    SendMessageW(editor, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_TRUE(container.uiActive);
    ASSERT_TRUE(container.activeObject);
    SetFocus(editor);
    EXPECT_TRUE(container.focusInside);
    Put(control, L"Text", {L"ab"});
    MSG del = KeyDown(editor, VK_DELETE);
    EXPECT_EQ(container.activeObject->TranslateAccelerator(&del), S_OK);
    EXPECT_EQ(Get(control, L"Text").result.Text(), L"b");

    // The find dialog it opens takes its own keys through the host's loop: Escape closes it.
    EXPECT_EQ(Call(control, L"ShowFindReplaceDialog", {true}).hr, S_OK);
    EXPECT_EQ(Get(control, L"FindReplaceDialogVisible").result.Long(), 2);
    MSG escape = KeyDown(GetFocus(), VK_ESCAPE);
    EXPECT_EQ(container.activeObject->TranslateAccelerator(&escape), S_OK);
    Pump();
    EXPECT_EQ(Get(control, L"FindReplaceDialogVisible").result.Long(), 0);
    EXPECT_EQ(Call(control, L"ShowFindReplaceDialog", {false}).hr, S_OK);
    EXPECT_EQ(Get(control, L"FindReplaceDialogVisible").result.Long(), 1);
    EXPECT_EQ(Call(control, L"HideFindReplaceDialog").hr, S_OK);
    EXPECT_EQ(Get(control, L"FindReplaceDialogVisible").result.Long(), 0);
    SetFocus(editor);
    SetFocus(frame_);
    EXPECT_FALSE(container.focusInside);

    // Deactivated, the window leaves the host's hidden, and the control still edits.
    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(container.inPlaceActive);
    EXPECT_FALSE(container.uiActive);
    EXPECT_FALSE(container.activeObject);
    EXPECT_NE(GetParent(window), frame_);
    EXPECT_FALSE(Shown(window));
    EXPECT_EQ(Call(control, L"InsertRow", {1L, L"a"}).hr, S_OK);
    EXPECT_EQ(Get(control, L"Text").result.Text(), L"a\r\nb");

    // In design mode a click leaves the control to the designer.
    container.userMode = false;
    IOleControl* oleControl = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&oleControl)), S_OK);
    oleControl->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE);
    ASSERT_EQ(container.Embed(object, RECT{5, 5, 205, 105}), S_OK);
    SendMessageW(editor, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(frame_),
                 MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_FALSE(container.uiActive);
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(container.inPlaceActive);

    // A host that destroys its window with the control still in it leaves a control that answers.
    const HWND child = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame_,
                                       nullptr, nullptr, nullptr);
    ControlSite childSite(child);
    ASSERT_EQ(childSite.Embed(object, RECT{0, 0, 100, 100}), S_OK);
    DestroyWindow(child);
    EXPECT_EQ(Get(control, L"Text").result.Text(), L"a\r\nb");
    EXPECT_EQ(Put(control, L"Text", {L"after"}).hr, S_OK);
    EXPECT_EQ(Get(control, L"RowsCount").result.Long(), 1);
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    oleControl->Release();
    inPlace->Release();
    object->Release();
    control->Release();
}

}  // namespace
