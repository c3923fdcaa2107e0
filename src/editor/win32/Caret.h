#pragma once
// Windows only: the system caret of one window. There is one caret per thread, so a caret made
// for another window since ours ends ours; this object then leaves that one alone.
#include <windows.h>

namespace pw::win32 {

class Caret {
public:
    Caret() = default;
    Caret(const Caret&) = delete;
    Caret& operator=(const Caret&) = delete;
    ~Caret() { Destroy(); }

    // A new caret of the size, hidden, replacing the thread's caret.
    bool Create(HWND hwnd, int width, int height);
    void Destroy();
    // Whether the thread's caret is still the one made here.
    bool Exists() const;
    void Move(POINT client) const;
    // Shows or hides it; unlike ShowCaret and HideCaret, calls do not add up.
    void Show(bool show);
    bool Shown() const { return shown_ && Exists(); }

private:
    HWND hwnd_ = nullptr;
    bool shown_ = false;
};

}  // namespace pw::win32
