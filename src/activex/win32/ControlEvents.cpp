// The edit control's notifications as the control's events: the caret, changes, the mouse and
// keys; and its question whether the text is read only.
#include "activex/win32/ControlObject.h"

namespace {

short ShiftState() {
    auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
    return static_cast<short>((down(VK_SHIFT) ? 1 : 0) | (down(VK_CONTROL) ? 2 : 0) |
                              (down(VK_MENU) ? 4 : 0));
}

}  // namespace

LRESULT CPenwrightCtrl::OnEditorNotify(const NMHDR& header) {
    const int32_t* values = pw::win32::Window::NotifyValues(header);
    // A host that lets the control go inside a handler must not destroy it under the call.
    const pw::win32::ComPtr<IPenwright> keep(this);
    switch (static_cast<int>(header.code)) {
        case EditNotify::kReadOnly:
            return readOnly_ ? 1 : 0;
        case EditNotify::kCaretMoved: {
            std::array<VARIANT, 2> arguments{};
            arguments[0].vt = arguments[1].vt = VT_I4;
            arguments[0].lVal = values[0];
            arguments[1].lVal = values[1];
            events_.Fire(1, arguments);
            const CQELPenwrightSelection& selection = Editor().Core()->GetCaret().GetSelection();
            const auto now = std::pair(selection.GetStart(), selection.GetEnd());
            if (now != lastSelection_) {
                lastSelection_ = now;
                events_.Fire(3, {});
            }
            break;
        }
        case EditNotify::kRowsChanged:
            events_.Fire(2, {});
            break;
        case EditNotify::kLeftButtonDown:
            FireMouse(DISPID_MOUSEDOWN, 1, values);
            break;
        case EditNotify::kLeftButtonUp:
            FireMouse(DISPID_MOUSEUP, 1, values);
            break;
        case EditNotify::kRightButtonDown:
            FireMouse(DISPID_MOUSEDOWN, 2, values);
            break;
        case EditNotify::kRightButtonUp:
            FireMouse(DISPID_MOUSEUP, 2, values);
            break;
        case EditNotify::kDoubleClick:
            events_.Fire(DISPID_DBLCLICK, {});
            break;
        case EditNotify::kMouseMoved: {
            auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
            const short buttons = static_cast<short>((down(VK_LBUTTON) ? 1 : 0) | (down(VK_RBUTTON) ? 2 : 0) |
                                                     (down(VK_MBUTTON) ? 4 : 0));
            FireMouse(DISPID_MOUSEMOVE, buttons, values);
            break;
        }
    }
    return 0;
}

void CPenwrightCtrl::FireMouse(DISPID id, short button, const int32_t* values) {
    std::array<VARIANT, 4> arguments{};
    arguments[0].vt = arguments[1].vt = VT_I2;
    arguments[0].iVal = button;
    arguments[1].iVal = ShiftState();
    arguments[2].vt = arguments[3].vt = VT_I4;
    arguments[2].lVal = values[1];  // the first value is the key flags
    arguments[3].lVal = values[2];
    events_.Fire(id, arguments);
}

void CPenwrightCtrl::FireKey(DISPID id, int& keyCode, const KeyModifiers& modifiers) {
    const pw::win32::ComPtr<IPenwright> keep(this);
    short code = static_cast<short>(keyCode);
    std::array<VARIANT, 2> arguments{};
    arguments[0].vt = VT_I2 | VT_BYREF;
    arguments[0].piVal = &code;
    arguments[1].vt = VT_I2;
    arguments[1].iVal =
        static_cast<short>((modifiers.shift ? 1 : 0) | (modifiers.ctrl ? 2 : 0) | (modifiers.alt ? 4 : 0));
    events_.Fire(id, arguments);
    keyCode = static_cast<unsigned short>(code);
    if (id == DISPID_KEYDOWN)
        lastKeyCancelled_ = code == 0;
}
