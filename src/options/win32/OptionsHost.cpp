#include "options/win32/OptionsHost.h"

#include <commdlg.h>

namespace pw::options {

std::optional<COLORREF> OptionsHost::PickColor(HWND owner, COLORREF initial) const {
    if (chooseColor)
        return chooseColor(owner, initial);
    // The dialog's sixteen custom colours live as long as the process, as users expect.
    static COLORREF custom[16] = {};
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.rgbResult = initial;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!::ChooseColorW(&choose))
        return std::nullopt;
    return choose.rgbResult;
}

int OptionsHost::Ask(HWND owner, const std::wstring& text, UINT type) const {
    if (messageBox)
        return messageBox(owner, text, type);
    wchar_t title[256] = L"";
    GetWindowTextW(owner ? GetAncestor(owner, GA_ROOT) : nullptr, title, 256);
    return ::MessageBoxW(owner, text.c_str(), title, type);
}

}  // namespace pw::options
