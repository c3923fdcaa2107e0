#pragma once
// Windows only: what the options dialog works on, and the system boxes it opens, which a host
// or a test may replace.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

class CQELPenwrightCtrl;
class CQELPenwrightDoc;

namespace pw::options {

struct OptionsHost {
    CQELPenwrightCtrl* ctrl = nullptr;
    // The document the control shows, in a host built around documents; null elsewhere.
    CQELPenwrightDoc* document = nullptr;
    // Opens a file as a document of the host; empty when the host cannot, and then nothing
    // offers it.
    std::function<bool(const std::wstring& path)> openDocument;
    // Replace the system's colour dialog and message box (tests); empty means the system's.
    std::function<std::optional<COLORREF>(HWND owner, COLORREF initial)> chooseColor;
    std::function<int(HWND owner, const std::wstring& text, UINT type)> messageBox;

    // The colour the user chose starting from `initial`; none when cancelled.
    std::optional<COLORREF> PickColor(HWND owner, COLORREF initial) const;
    // The message box's answer (IDYES, IDOK...).
    int Ask(HWND owner, const std::wstring& text, UINT type) const;
};

}  // namespace pw::options
