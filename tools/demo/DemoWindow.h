#pragma once
// The demo's top-level window: an OLE container whose one control, the Penwright control from its
// DLL, fills it but for a status line at the foot. The host hears the control's events: Ctrl+F
// and Ctrl+H open the find dialog, Ctrl+P prints and Ctrl+Shift+P previews, and the status line
// follows the caret. Its menu bar opens the control's options dialog.
#include <windows.h>

#include <memory>
#include <string>

#include "ControlSite.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/ComPtr.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/Window.h"

class DemoEvents;

// A new control from the DLL at `path` (loaded for the rest of the process), made by its class
// factory as the registry would lead a host to it; null when that fails.
pw::win32::ComPtr<IPenwright> NewControl(const std::wstring& path);

class DemoWindow : public pw::win32::Window {
public:
    DemoWindow();
    ~DemoWindow() override;

    // A window of the client size hosting `control` in place, with `name` (the document's) in
    // its status line; not shown yet.
    bool Create(const std::wstring& title, const std::wstring& name, SIZE client,
                pw::win32::ComPtr<IPenwright> control);
    IPenwright* Control() const { return control_.Get(); }
    // The control's window, which the host's site places.
    HWND ControlWindow() const;
    // The message loop's first stop: the active control takes its keys.
    bool PreTranslate(MSG& msg);
    // The status line: the document, its rows and the caret.
    void UpdateStatus();

protected:
    bool OnCreate(const CREATESTRUCTW& create) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    void OnPrintClient(HDC dc, UINT flags) override;
    LRESULT OnEraseBackground(HDC) override { return TRUE; }
    void OnDestroy() override;
    void OnCommand(UINT id, UINT code, HWND control) override;

private:
    RECT StatusRect() const;
    RECT ControlRect() const;
    void DrawStatus(const pw::win32::DCHandle& dc) const;

    std::wstring name_;
    std::wstring status_;
    pw::win32::Font font_;
    pw::win32::ComPtr<IPenwright> control_;
    std::unique_ptr<ControlSite> site_;
    std::unique_ptr<DemoEvents> events_;
    DWORD cookie_ = 0;
};
