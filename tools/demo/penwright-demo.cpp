// penwright-demo: the Windows host of the edit control, showing the file named on its command line.
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
#include "buffer/BufferManager.h"
#include "config/ConfigManager.h"
#include "editor/win32/DibSection.h"
#include "editor/win32/FindReplaceDlg.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

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

// Handles what is queued (the parser's events), without waiting for more.
void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

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

    ConfigManager::RegisterShared();  // before the buffer, which takes the shared configuration
    pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    std::string error;
    if (!LoadTextFile(*buffer, file, std::nullopt, error))
        return Fail(error);

    // OLE rather than plain COM: the edit control takes and gives text by drag and drop.
    if (FAILED(OleInitialize(nullptr)))
        return Fail("cannot initialise OLE");
    int result = 0;
    {
        DemoWindow window;
        const std::wstring name = file.substr(pw::FolderOf(file).size());
        const std::wstring status = name + L": " + std::to_wstring(buffer->GetRowCount()) + L" rows";
        if (!window.Create(L"Penwright demo - " + name, status, kClientSize, buffer)) {
            result = Fail("cannot create the window");
        } else if (!window.View().SetConfigFile(DefaultConfigPath())) {
            result = Fail("cannot read the configuration " + pw::Narrow(DefaultConfigPath()));
        } else {
            window.Printing().SetTitle(name);
            window.View().Refresh();
            if (!screenshot.empty()) {
                // The configuration's events install the schema, which starts the whole parse;
                // the picture shows its folds too.
                PumpMessages();
                window.View().Core()->GetParser().WaitUntilParsed(10000);
                PumpMessages();
                result = Screenshot(window, screenshot);
            } else {
                ShowWindow(window.Handle(), SW_SHOWNORMAL);
                MSG msg;
                while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                    if (CQELPenwrightFindReplaceDlg::PreTranslate(msg))
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
