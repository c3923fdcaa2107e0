#pragma once
// Windows only: a window timer by its id, killed when the object ends. A tick the system queued
// before Stop may still arrive after it, so a handler asks Running() first.
#include <windows.h>

namespace pw::win32 {

class Timer {
public:
    explicit Timer(UINT_PTR id) : id_(id) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer() { Stop(); }

    // (Re)starts it: WM_TIMER with the id every `periodMs` until Stop.
    bool Start(HWND hwnd, UINT periodMs);
    void Stop();
    bool Running() const { return hwnd_ != nullptr; }
    UINT_PTR Id() const { return id_; }

private:
    UINT_PTR id_;
    HWND hwnd_ = nullptr;
};

}  // namespace pw::win32
