// The edit control's completion list: Ctrl+Space opens it, and while it shows the control hands
// it the keys and characters it answers, keeping the focus itself.
#include <algorithm>
#include <utility>

#include "editor/win32/PenwrightCtrl.h"

namespace {

using Key = CompletionModel::Key;

Key ListKeyOf(UINT vk) {
    static constexpr std::pair<UINT, Key> kKeys[] = {
        {VK_UP, Key::kUp},         {VK_DOWN, Key::kDown},     {VK_PRIOR, Key::kPageUp},
        {VK_NEXT, Key::kPageDown}, {VK_HOME, Key::kHome},     {VK_END, Key::kEnd},
        {VK_RETURN, Key::kInsert}, {VK_SPACE, Key::kInsert},  {VK_CONTROL, Key::kClose},
        {VK_MENU, Key::kClose},    {VK_ESCAPE, Key::kClose},  {VK_LEFT, Key::kClose},
        {VK_RIGHT, Key::kClose},   {VK_BACK, Key::kBackspace}};
    for (const auto& [code, key] : kKeys)
        if (code == vk)
            return key;
    return Key::kOther;
}

// Enter and the keys from Space to Help (paging, arrows, Insert, Delete) are the list's alone.
bool ListOnly(UINT vk) {
    return vk == VK_RETURN || (vk >= VK_SPACE && vk <= VK_HELP);
}

// The character a key-down brings after it, which the list has spoken for.
wchar_t CharOfKey(UINT vk) {
    return vk == VK_RETURN ? L'\r' : vk == VK_SPACE ? L' ' : 0;
}

}  // namespace

bool CQELPenwrightCtrl::CompletionKey(UINT message, UINT vk, LPARAM flags, const KeyModifiers& modifiers) {
    completionEats_ = 0;
    if (message == WM_KEYDOWN && vk == VK_SPACE && modifiers.ctrl && !modifiers.alt) {
        OpenCompletion();
        completionEats_ = L' ';
        return true;
    }
    if (!completion_.IsShown())
        return false;
    if (message == WM_SYSKEYDOWN)
        vk = VK_MENU;  // Alt with any key closes the list
    const int repeat = std::max(static_cast<int>(LOWORD(flags)), 1);
    if (completion_.Model().OnKey(ListKeyOf(vk), repeat) == CompletionModel::Outcome::kInsert)
        InsertCompletion();
    completion_.Update();
    if (!ListOnly(vk) || message == WM_SYSKEYDOWN)
        return false;
    completionEats_ = CharOfKey(vk);
    return true;
}

bool CQELPenwrightCtrl::CompletionChar(wchar_t c) {
    const wchar_t eats = completionEats_;
    completionEats_ = 0;
    if (c == eats)
        return true;
    if (!completion_.IsShown())
        return false;
    const CompletionModel::Reaction reaction = completion_.Model().OnChar(c);
    if (reaction.outcome == CompletionModel::Outcome::kInsert)
        InsertCompletion();
    completion_.Update();
    return !reaction.toEditor;
}

void CQELPenwrightCtrl::OpenCompletion() {
    CloseCompletion();
    if (!core_ || (!completion_.Handle() && !completion_.Make()))
        return;
    if (!Completion::OpenAtCaret(*core_, completion_.Model()))
        return;
    EditCaret& caret = core_->GetCaret();
    caret.EnsureVisible();
    const int rowHeight = core_->GetTextLayout().GetRowHeight();
    const std::optional<PixelRect> at = core_->CaretRect(caret.GetRow(), caret.GetColumn(), false, true);
    POINT point{at ? at->left : 0, at ? at->top + rowHeight : rowHeight};
    ClientToScreen(Handle(), &point);
    completion_.Show(point.x, point.y, rowHeight);
}

void CQELPenwrightCtrl::InsertCompletion() {
    if (core_)
        Completion::InsertChosen(*core_, completion_.Model());
    CloseCompletion();
}

void CQELPenwrightCtrl::CloseCompletion() {
    if (!completion_.IsShown())
        return;
    completion_.Close();
    // No button-up is made up for the mouse: a gesture under way simply ends.
    if (core_ && core_->GetMouse().IsBusy())
        core_->GetMouse().Cancel();
}

void CQELPenwrightCtrl::DestroyCompletion() {
    if (completion_.Handle())
        DestroyWindow(completion_.Handle());
}
