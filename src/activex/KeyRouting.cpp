#include "activex/KeyRouting.h"

namespace {

// The system's values, written out so that this stays free of the Windows headers.
constexpr uint32_t kKeyDown = 0x0100;  // WM_KEYDOWN
constexpr uint32_t kBack = 0x08, kTab = 0x09, kReturn = 0x0D, kEscape = 0x1B;
constexpr uint32_t kPrior = 0x21, kNext = 0x22, kLeft = 0x25, kDown = 0x28, kInsert = 0x2D, kDelete = 0x2E;

}  // namespace

KeyRoute RouteKey(uint32_t message, uint32_t virtualKey, bool editorHasFocus) {
    if (message != kKeyDown)
        return KeyRoute::kDefault;
    switch (virtualKey) {
        case kBack:
        case kPrior:
        case kNext:
        case kInsert:
        case kDelete:
            return KeyRoute::kFocusKeyDown;
        case kTab:
        case kReturn:
        case kEscape:
            return editorHasFocus ? KeyRoute::kEditorChar : KeyRoute::kDefault;
        default:
            return virtualKey >= kLeft && virtualKey <= kDown ? KeyRoute::kFocusKeyDown : KeyRoute::kDefault;
    }
}
