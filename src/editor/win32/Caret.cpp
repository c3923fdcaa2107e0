#include "editor/win32/Caret.h"

namespace pw::win32 {

bool Caret::Create(HWND hwnd, int width, int height) {
    Destroy();
    if (!CreateCaret(hwnd, nullptr, width, height))
        return false;
    hwnd_ = hwnd;
    return true;
}

bool Caret::Exists() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return hwnd_ && GetGUIThreadInfo(GetCurrentThreadId(), &info) && info.hwndCaret == hwnd_;
}

void Caret::Destroy() {
    if (Exists())
        DestroyCaret();
    hwnd_ = nullptr;
    shown_ = false;
}

void Caret::Move(POINT client) const {
    if (Exists())
        SetCaretPos(client.x, client.y);
}

void Caret::Show(bool show) {
    if (!Exists() || show == shown_)
        return;
    if (show ? ShowCaret(hwnd_) : HideCaret(hwnd_))
        shown_ = show;
}

}  // namespace pw::win32
