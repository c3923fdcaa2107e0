// A DLL that holds window classes, for the test that a class goes away with its DLL.
#include <windows.h>

#include "editor/win32/Window.h"

// Through the window base: registered once, from this DLL, unregistered when it unloads.
extern "C" __declspec(dllexport) BOOL RegisterBaseClass() {
    static const pw::win32::WindowClass windowClass(L"PwDllBaseClass", 0, nullptr);
    return windowClass.Registered();
}

// Plainly, for comparison: Windows keeps this one after the DLL is gone.
extern "C" __declspec(dllexport) BOOL RegisterPlainClass(HINSTANCE dll) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = dll;
    wc.lpszClassName = L"PwDllPlainClass";
    return RegisterClassExW(&wc) != 0;
}
