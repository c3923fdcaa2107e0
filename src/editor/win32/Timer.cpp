#include "editor/win32/Timer.h"

namespace pw::win32 {

bool Timer::Start(HWND hwnd, UINT periodMs) {
    if (hwnd_ && hwnd_ != hwnd)
        Stop();
    if (!SetTimer(hwnd, id_, periodMs, nullptr))
        return false;
    hwnd_ = hwnd;
    return true;
}

void Timer::Stop() {
    if (!hwnd_)
        return;
    KillTimer(hwnd_, id_);
    hwnd_ = nullptr;
}

}  // namespace pw::win32
