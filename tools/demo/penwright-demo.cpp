// penwright-demo: a Windows host of the Penwright control, showing the file named on its command
// line. It hosts the control as any OLE container does, from the control's DLL beside it.
//   penwright-demo FILE                      a window with the file, until it is closed
//   penwright-demo FILE --screenshot OUT.png  draws the window into a PNG file and ends
// The file is coloured with the shipped configuration (EditConfig beside the program, else the
// source tree's).
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DemoWindow.h"
#include "Document.h"
#include "PngFile.h"
#include "activex/Identifiers.h"
#include "editor/win32/DibSection.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ModulePath.h"

namespace {

constexpr SIZE kClientSize{720, 400};

int Fail(const std::string& message) {
    std::fprintf(stderr, "penwright-demo: %s\n", message.c_str());
    return 2;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 1; i < count; ++i) result.emplace_back(arguments[i]);
    LocalFree(arguments);
    return result;
}

// Handles what comes (the parser's events and the repaints after them) until nothing has come for
// a while: the parse runs in the control's own thread, which a host does not see.
void PumpUntilQuiet() {
    constexpr DWORD kQuietMs = 500, kMostMs = 10000;
    const DWORD start = GetTickCount();
    DWORD last = start;
    while (GetTickCount() - last < kQuietMs && GetTickCount() - start < kMostMs) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            last = GetTickCount();
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
}

// A string for automation, let go with the scope.
class Bstr {
public:
    explicit Bstr(const std::wstring& text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    operator BSTR() const { return text_; }

private:
    BSTR text_;
};

int Screenshot(DemoWindow& window, const std::wstring& path) {
    RECT client;
    GetClientRect(window.Handle(), &client);
    pw::win32::DibSection image(client.right, client.bottom);
    if (!image || !pw::win32::CaptureClient(window.Handle(), image))
        return Fail("cannot draw the window");
    if (HRESULT hr = WritePng(image, path); FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
        return Fail("cannot write " + pw::Narrow(path) + ": error " + code);
    }
    std::printf("wrote %s (%ldx%ld)\n", pw::Narrow(path).c_str(), client.right, client.bottom);
    return 0;
}

}  // namespace

int main() {
    std::vector<std::wstring> args = Arguments();
    std::wstring file, screenshot;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == L"--screenshot" && i + 1 < args.size())
            screenshot = args[++i];
        else if (file.empty() && args[i].rfind(L"--", 0) != 0)
            file = args[i];
        else
            return Fail("usage: penwright-demo FILE [--screenshot OUT.png]");
    }
    if (file.empty())
        return Fail("usage: penwright-demo FILE [--screenshot OUT.png]");

    // OLE rather than plain COM: the control takes and gives text by drag and drop.
    if (FAILED(OleInitialize(nullptr)))
        return Fail("cannot initialise OLE");
    int result = 0;
    {
        const std::wstring dll = pw::FolderOf(pw::ModulePath()) + L"Penwright.dll";
        pw::win32::ComPtr<IPenwright> control = NewControl(dll);
        DemoWindow window;
        const std::wstring name = file.substr(pw::FolderOf(file).size());
        if (!control) {
            result = Fail("cannot make the control from " + pw::Narrow(dll));
        } else if (!window.Create(L"Penwright demo - " + name, name, kClientSize, control)) {
            result = Fail("cannot create the window");
        } else if (control->put_ConfigFile(Bstr(DefaultConfigPath())) != S_OK) {
            result = Fail("cannot use the configuration " + pw::Narrow(DefaultConfigPath()));
        } else if (control->OpenFile(Bstr(file)) != S_OK) {
            result = Fail("cannot read " + pw::Narrow(file));
        } else {
            window.UpdateStatus();
            if (!screenshot.empty()) {
                PumpUntilQuiet();
                result = Screenshot(window, screenshot);
            } else {
                ShowWindow(window.Handle(), SW_SHOWNORMAL);
                SetFocus(window.ControlWindow());
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    if (window.PreTranslate(msg))
                        continue;
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        }
    }
    OleUninitialize();
    return result;
}
