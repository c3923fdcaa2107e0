#include "options/win32/EditorPage.h"

#include <array>
#include <string>
#include <utility>

#include "buffer/PenwrightDoc.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/StringTable.h"
#include "resources/ResourceIds.h"

namespace pw::options {
namespace {

constexpr unsigned kBadTabSize = 9801;
constexpr unsigned kNotSaved = 9802;

// The check boxes that show one option each, as they are.
constexpr std::array<std::pair<int, EditorOptions::Option>, 7> kChecks = {{
    {PW_IDC_EDITOR_VSCROLLBAR, EditorOptions::kVScrollBar},
    {PW_IDC_EDITOR_HSCROLLBAR, EditorOptions::kHScrollBar},
    {PW_IDC_EDITOR_LINE_NUMBERS, EditorOptions::kLineNumbers},
    {PW_IDC_EDITOR_SEL_MARGIN, EditorOptions::kSelMargin},
    {PW_IDC_EDITOR_AUTO_INDENT, EditorOptions::kAutoIndent},
    {PW_IDC_EDITOR_VIRTUAL_SPACE, EditorOptions::kVirtualSpace},
    {PW_IDC_EDITOR_SYNTAX_COLOR, EditorOptions::kSyntaxColor},
}};

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND button, bool on) {
    SendMessageW(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

bool HostEditorTarget::HasWindow() const {
    return host_.ctrl && IsWindow(host_.ctrl->Handle());
}

bool HostEditorTarget::GetOption(EditorOptions::Option option) const {
    return host_.ctrl && host_.ctrl->GetOption(option);
}

bool HostEditorTarget::SetOption(EditorOptions::Option option, bool value) {
    return host_.ctrl->SetOption(option, value, true);
}

int HostEditorTarget::GetTabSize() const {
    const CQELPenwrightBufferManager* buffer = host_.ctrl ? host_.ctrl->GetBuffer() : nullptr;
    return buffer ? buffer->GetTabSize() : EditorPageModel::kMinTabSize;
}

bool HostEditorTarget::SetTabSize(int size) {
    // The control lays the text out again; its buffer keeps the size for the next session.
    return host_.ctrl->SetTabSize(size) && host_.ctrl->GetBuffer()->SetTabSize(size, true);
}

void HostEditorTarget::Repaint() {
    host_.ctrl->Invalidate();
}

bool HostEditorTarget::GetAutoReload() const {
    return host_.document->GetAutoReload() != 0;
}

bool HostEditorTarget::SetAutoReload(bool on) {
    return host_.document->SetAutoReload(on ? 1 : 0, true);
}

void HostEditorTarget::UpdateAllViews(int hint) {
    host_.document->UpdateAllViews(hint);
}

EditorPage::EditorPage(const OptionsHost& host)
    : OptionsPage(PW_IDD_OPTIONS_EDITOR, host), target_(host), model_(target_) {}

void EditorPage::OnInit() {
    filling_ = true;
    for (const auto& [id, option] : kChecks) Check(Item(id), model_.GetOption(option));
    SetWindowTextW(Item(PW_IDC_EDITOR_TAB_SIZE), model_.GetTabSizeText().c_str());
    const bool spaces = model_.GetOption(EditorOptions::kTabWithSpace);
    Check(Item(spaces ? PW_IDC_EDITOR_INSERT_SPACES : PW_IDC_EDITOR_KEEP_TABS), true);
    const bool wide = model_.GetOption(EditorOptions::kWideCaret);
    Check(Item(wide ? PW_IDC_EDITOR_THICK_CARET : PW_IDC_EDITOR_THIN_CARET), true);
    Check(Item(PW_IDC_EDITOR_AUTO_RELOAD), model_.GetAutoReload());
    EnableWindow(Item(PW_IDC_EDITOR_AUTO_RELOAD), model_.HasDocument());
    filling_ = false;
}

void EditorPage::OnCommand(int id, UINT code, HWND) {
    const bool edited = id == PW_IDC_EDITOR_TAB_SIZE ? code == EN_CHANGE : code == BN_CLICKED;
    if (filling_ || !edited)
        return;
    Collect();
    SetModified(true);
}

void EditorPage::Collect() {
    for (const auto& [id, option] : kChecks) model_.SetOption(option, IsChecked(Item(id)));
    model_.SetOption(EditorOptions::kTabWithSpace, IsChecked(Item(PW_IDC_EDITOR_INSERT_SPACES)));
    model_.SetOption(EditorOptions::kWideCaret, IsChecked(Item(PW_IDC_EDITOR_THICK_CARET)));
    if (model_.HasDocument())
        model_.SetAutoReload(IsChecked(Item(PW_IDC_EDITOR_AUTO_RELOAD)));
    const HWND edit = Item(PW_IDC_EDITOR_TAB_SIZE);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    model_.SetTabSizeText(std::move(text));
}

bool EditorPage::CheckTabSize() {
    // A size the user did not touch is the control's, whatever it is.
    if (!model_.IsModified() || EditorPageModel::ParseTabSize(model_.GetTabSizeText()))
        return true;
    Host().Ask(Handle(), pw::LoadString(kBadTabSize), MB_OK | MB_ICONEXCLAMATION);
    const HWND edit = Item(PW_IDC_EDITOR_TAB_SIZE);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return false;
}

bool EditorPage::OnKillActive() {
    return CheckTabSize();
}

bool EditorPage::OnApply() {
    if (!CheckTabSize())
        return false;
    if (model_.Apply(target_) == EditorPageModel::Applied::kUnsaved)
        Host().Ask(Handle(), pw::LoadString(kNotSaved), MB_OK | MB_ICONWARNING);
    return true;
}

}  // namespace pw::options
