// The window base under Wine: real windows, real messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "editor/win32/Window.h"
#include "platform/win32/Module.h"

namespace {

using pw::win32::Window;
using pw::win32::WindowClass;

const WindowClass& TestClass() {
    static const WindowClass windowClass(L"PwBaseTest", CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW));
    return windowClass;
}

// Writes down each unpacked call as text, so a table can say what a message should turn into.
class Recorder : public Window {
public:
    std::vector<std::string> calls;
    bool failCreate = false;
    bool throwOnChar = false;

protected:
    void Add(const std::string& call) { calls.push_back(call); }
    static std::string N(long long n) { return std::to_string(n); }

    bool OnCreate(const CREATESTRUCTW& create) override {
        Add("Create " + N(create.cx) + "x" + N(create.cy));
        return !failCreate;
    }
    void OnDestroy() override { Add("Destroy"); }
    void OnSize(UINT type, int width, int height) override {
        Add("Size " + N(type) + " " + N(width) + " " + N(height));
    }
    void OnScroll(int bar, UINT code, int thumb) override {
        Add("Scroll " + N(bar) + " " + N(code) + " " + N(thumb));
    }
    void OnMouseWheel(int delta, UINT keys, POINT p) override {
        Add("Wheel " + N(delta) + " " + N(keys) + " " + N(p.x) + "," + N(p.y));
    }
    void OnKey(UINT message, UINT key, LPARAM flags) override {
        Add("Key " + N(message) + " " + N(key) + " " + N(flags));
    }
    void OnChar(wchar_t ch, LPARAM) override {
        if (throwOnChar)
            throw std::runtime_error("handler failed");
        Add("Char " + N(ch));
    }
    void OnMouse(UINT message, UINT keys, POINT p) override {
        Add("Mouse " + N(message) + " " + N(keys) + " " + N(p.x) + "," + N(p.y));
        // As the control tells its parent of a press: its id, a code, the keys and the point.
        if (message == WM_LBUTTONDOWN)
            Add("Answer " + N(NotifyParent(-937, {static_cast<int32_t>(keys), p.x, p.y})));
    }
    bool OnSetCursor(HWND, UINT hitTest, UINT mouse) override {
        Add("Cursor " + N(hitTest) + " " + N(mouse));
        return true;
    }
    void OnContextMenu(HWND, POINT p) override { Add("Menu " + N(p.x) + "," + N(p.y)); }
    void OnTimer(UINT_PTR id) override { Add("Timer " + N(id)); }
    void OnCommand(UINT id, UINT code, HWND) override { Add("Command " + N(id) + " " + N(code)); }
    LRESULT OnNotify(const NMHDR& header) override {
        std::string values;
        if (header.code == static_cast<UINT>(-937))
            for (int i = 0; i < 3; ++i) values += " " + N(NotifyValues(header)[i]);
        Add("Notify " + N(header.idFrom) + " " + N(static_cast<int>(header.code)) + values);
        return 77;
    }
    UINT OnGetDlgCode(const MSG*) override {
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP)
            Add("App " + N(wParam) + " " + N(lParam));
        if (message == WM_PARENTNOTIFY)
            Add("ParentNotify " + N(LOWORD(wParam)) + " " + N(HIWORD(wParam)));
        return Default();
    }
};

RECT Rect(int x, int y, int w, int h) {
    return RECT{x, y, x + w, y + h};
}

TEST(WindowBase, MessagesArriveUnpackedInTheirHandlers) {
    Recorder window;
    ASSERT_TRUE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(10, 10, 300, 200)));
    EXPECT_EQ(Window::FromHandle(window.Handle()), &window);
    ASSERT_FALSE(window.calls.empty());
    EXPECT_EQ(window.calls.front(), "Create 300x200");

    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        std::string call;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480), "Size 0 640 480", 0},
        {WM_VSCROLL, SB_LINEDOWN, 0, "Scroll 1 1 0", 0},
        {WM_HSCROLL, SB_PAGELEFT, 0, "Scroll 0 2 0", 0},
        {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(-5, 30), "Wheel -240 8 -5,30", 0},
        {WM_KEYDOWN, VK_RIGHT, 0x014D0001, "Key 256 39 21823489", 0},
        {WM_SYSKEYDOWN, 'F', 0x20210001, "Key 260 70 539033601", 0},
        {WM_CHAR, 0x263A, 1, "Char 9786", 0},
        {WM_LBUTTONDBLCLK, MK_LBUTTON | MK_SHIFT, MAKELPARAM(12, 34), "Mouse 515 5 12,34", 0},
        {WM_MOUSEMOVE, 0, MAKELPARAM(-3, -4), "Mouse 512 0 -3,-4",
         0},  // points left of the window are negative
        {WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "Cursor 1 512", TRUE},
        {WM_CONTEXTMENU, 0, MAKELPARAM(100, 200), "Menu 100,200", 0},
        {WM_TIMER, 200, 0, "Timer 200", 0},
        {WM_COMMAND, MAKEWPARAM(57645, 0), 0, "Command 57645 0", 0},
        {WM_APP, 5, -6, "App 5 -6", 0},
    };
    for (const Case& c : cases) {
        window.calls.clear();
        EXPECT_EQ(SendMessageW(window.Handle(), c.message, c.wParam, c.lParam), c.result) << c.call;
        EXPECT_EQ(window.calls, std::vector<std::string>{c.call});
    }

    NMHDR header{window.Handle(), 100, static_cast<UINT>(-947)};
    window.calls.clear();
    EXPECT_EQ(SendMessageW(window.Handle(), WM_NOTIFY, 100, reinterpret_cast<LPARAM>(&header)), 77);
    EXPECT_EQ(window.calls, std::vector<std::string>{"Notify 100 -947"});
    EXPECT_EQ(SendMessageW(window.Handle(), WM_GETDLGCODE, 0, 0), 0x87);
    EXPECT_EQ(window.NotifyParent(-951), 0);  // no parent to ask

    // Without an override the window's default handling answers: WM_SETTEXT sets the title.
    EXPECT_TRUE(SendMessageW(window.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"title")));
    wchar_t title[16] = {};
    GetWindowTextW(window.Handle(), title, 16);
    EXPECT_STREQ(title, L"title");

    HWND hwnd = window.Handle();
    window.calls.clear();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(window.calls, std::vector<std::string>{"Destroy"});
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
}

TEST(WindowBase, AThrowingHandlerStopsAtTheWindowProcedure) {
    Recorder window;
    window.throwOnChar = true;
    ASSERT_TRUE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 100, 100)));
    EXPECT_EQ(SendMessageW(window.Handle(), WM_CHAR, 'a', 1), 0);
    window.throwOnChar = false;
    window.calls.clear();
    SendMessageW(window.Handle(), WM_CHAR, 'b', 1);
    EXPECT_EQ(window.calls, std::vector<std::string>{"Char 98"});
}

TEST(WindowBase, FailedCreateHandlerFailsTheCreation) {
    Recorder window;
    window.failCreate = true;
    EXPECT_FALSE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 100, 100)));
    EXPECT_EQ(window.Handle(), nullptr);
    window.failCreate = false;
    EXPECT_TRUE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 100, 100)));
    EXPECT_FALSE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 100, 100)));
}

TEST(WindowBase, DestroyingTheObjectDestroysItsWindow) {
    HWND hwnd;
    {
        Recorder window;
        ASSERT_TRUE(window.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 100, 100)));
        hwnd = window.Handle();
    }
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowBase, AChildTellsItsParentWhatTheParentRecords) {
    Recorder parent;
    ASSERT_TRUE(parent.Create(TestClass(), nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 300, 200)));
    parent.calls.clear();
    {
        Recorder child;
        ASSERT_TRUE(
            child.Create(TestClass(), parent.Handle(), WS_CHILD | WS_VISIBLE, 0, Rect(5, 5, 50, 50), 100));
        EXPECT_EQ(GetDlgCtrlID(child.Handle()), 100);
        EXPECT_EQ(GetParent(child.Handle()), parent.Handle());

        // The press arrives through the queue; the child's notification reaches the parent's
        // handler, whose answer comes back to the child.
        PostMessageW(child.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, -8));
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        EXPECT_EQ(child.calls.back(), "Answer 77");
    }
    // The system's own messages about the child's creation and end come in too.
    EXPECT_EQ(parent.calls, (std::vector<std::string>{"ParentNotify 1 100", "Notify 100 -937 1 7 -8",
                                                      "ParentNotify 2 100"}));
}

// A window procedure of someone else's, whose window we take over.
int g_foreignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP)
        return ++g_foreignCalls * 1000;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A class of the name in the module with the foreign procedure, as someone else registers it.
bool RegisterForeignClass(const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ForeignProc;
    wc.hInstance = pw::ThisModule();
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

TEST(WindowBase, AttachSubclassesAWindowAndDetachGivesItBack) {
    ASSERT_TRUE(RegisterForeignClass(L"PwForeign"));
    HWND hwnd = CreateWindowExW(0, L"PwForeign", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                pw::ThisModule(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    g_foreignCalls = 0;
    {
        Recorder window;
        ASSERT_TRUE(window.Attach(hwnd));
        Recorder second;
        EXPECT_FALSE(second.Attach(hwnd));  // one object per window
        EXPECT_EQ(Window::FromHandle(hwnd), &window);
        // Ours first, then the window's own procedure through Default.
        EXPECT_EQ(SendMessageW(hwnd, WM_APP, 1, 2), 1000);
        EXPECT_EQ(window.calls, std::vector<std::string>{"App 1 2"});
        EXPECT_EQ(window.Detach(), hwnd);
        EXPECT_EQ(SendMessageW(hwnd, WM_APP, 1, 2), 2000);
        EXPECT_EQ(window.calls.size(), 1u);

        ASSERT_TRUE(window.Attach(hwnd));
    }
    // The object's end gives the window back alive.
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&ForeignProc));
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 3000);
    DestroyWindow(hwnd);
    UnregisterClassW(L"PwForeign", pw::ThisModule());
}

TEST(WindowBase, AWindowOfOurClassMadeByNameIsAttachedWithoutSubclassing) {
    // As a host makes the control from a dialog template: by the class name, without an object.
    HWND hwnd = CreateWindowExW(0, TestClass().Name(), L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, pw::ThisModule(), nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
    {
        Recorder window;
        ASSERT_TRUE(window.Attach(hwnd));
        // Default handling is the system's, not a second round through our procedure.
        EXPECT_TRUE(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"named")));
        EXPECT_EQ(SendMessageW(hwnd, WM_APP, 3, 4), 0);
        EXPECT_EQ(window.calls, std::vector<std::string>{"App 3 4"});
    }
    ASSERT_TRUE(IsWindow(hwnd));
    wchar_t title[16] = {};
    GetWindowTextW(hwnd, title, 16);
    EXPECT_STREQ(title, L"named");
    EXPECT_TRUE(DestroyWindow(hwnd));
}

bool ClassExists(const wchar_t* name, WNDPROC* procedure = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(pw::ThisModule(), name, &wc))
        return false;
    if (procedure)
        *procedure = wc.lpfnWndProc;
    return true;
}

TEST(WindowBase, ClassesAreRegisteredInTheModuleOnceAndGoWithTheirOwner) {
    {
        WindowClass first(L"PwTwice", 0, nullptr);
        ASSERT_TRUE(first.Registered());
        EXPECT_TRUE(ClassExists(L"PwTwice"));
        {
            WindowClass second(L"PwTwice", 0, nullptr);  // already there: used as it is
            EXPECT_TRUE(second.Registered());
            Recorder window;
            EXPECT_TRUE(window.Create(second, nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 50, 50)));
        }
        EXPECT_TRUE(ClassExists(L"PwTwice"));  // the second did not own it
    }
    EXPECT_FALSE(ClassExists(L"PwTwice"));

    // A class of the name left behind with another procedure (an earlier load of the DLL) is
    // replaced by ours, or our windows would never reach their objects.
    ASSERT_TRUE(RegisterForeignClass(L"PwStale"));
    {
        WindowClass replacing(L"PwStale", 0, nullptr);
        ASSERT_TRUE(replacing.Registered());
        WNDPROC procedure = nullptr;
        ASSERT_TRUE(ClassExists(L"PwStale", &procedure));
        EXPECT_NE(procedure, &ForeignProc);
        Recorder window;
        ASSERT_TRUE(window.Create(replacing, nullptr, WS_OVERLAPPEDWINDOW, 0, Rect(0, 0, 50, 50)));
        EXPECT_EQ(Window::FromHandle(window.Handle()), &window);
    }
    EXPECT_FALSE(ClassExists(L"PwStale"));
}

// A function of a DLL by name (through void (*)(): GetProcAddress's type fits no function).
template <class F>
F Export(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

TEST(WindowBase, AClassOfADllGoesWhenTheDllUnloads) {
    HMODULE dll = LoadLibraryW(L"pw_class_dll.dll");
    ASSERT_NE(dll, nullptr) << GetLastError();
    auto registerBase = Export<BOOL (*)()>(dll, "RegisterBaseClass");
    auto registerPlain = Export<BOOL (*)(HINSTANCE)>(dll, "RegisterPlainClass");
    ASSERT_TRUE(registerBase && registerPlain);
    ASSERT_TRUE(registerBase());
    ASSERT_TRUE(registerPlain(dll));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // In the DLL's name, not the program's.
    EXPECT_TRUE(GetClassInfoExW(dll, L"PwDllBaseClass", &wc));
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"PwDllBaseClass", &wc));

    ASSERT_TRUE(FreeLibrary(dll));
    EXPECT_FALSE(GetClassInfoExW(dll, L"PwDllBaseClass", &wc));
    EXPECT_TRUE(GetClassInfoExW(dll, L"PwDllPlainClass", &wc));  // the system keeps what nobody removes
    UnregisterClassW(L"PwDllPlainClass", dll);
}

}  // namespace
