#pragma once
// Where the control sends a key before the host's dialog manager sees it: editing keys must
// reach the editor, not move the focus or press the host's default button.
#include <cstdint>

enum class KeyRoute {
    kFocusKeyDown,  // straight to the focus window as WM_KEYDOWN, reported as handled
    kEditorChar,    // to the editor as WM_CHAR, reported as handled
    kDefault,       // the host's usual pre-translation
};

// `message` and `virtualKey` as the message carries them; `editorHasFocus`: the edit control
// itself is the focus window.
KeyRoute RouteKey(uint32_t message, uint32_t virtualKey, bool editorHasFocus);
