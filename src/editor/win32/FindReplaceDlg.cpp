#include "editor/win32/FindReplaceDlg.h"

#include <algorithm>
#include <memory>

#include "editor/win32/PenwrightCtrl.h"
#include "platform/Profile.h"
#include "platform/win32/Module.h"
#include "resources/ResourceIds.h"

namespace {

thread_local std::unique_ptr<CQELPenwrightFindReplaceDlg> threadDialog;

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The entry picked from a combo box's list, which its edit shows only after telling us.
std::wstring PickedText(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT length = index == CB_ERR ? CB_ERR : SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return TextOf(combo);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max<LRESULT>(
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())), 0)));
    return text;
}

class MessageBoxes : public FindMessages {
public:
    explicit MessageBoxes(HWND owner) : owner_(owner) {}
    void Inform(std::wstring_view text) override {
        // Titled as the dialog, or as the window the control is in.
        const std::wstring caption = TextOf(owner_);
        MessageBoxW(owner_, std::wstring(text).c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    }

private:
    HWND owner_;
};

class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

CQELPenwrightFindReplaceDlg::~CQELPenwrightFindReplaceDlg() {
    Close();
}

CQELPenwrightFindReplaceDlg& CQELPenwrightFindReplaceDlg::ForThread() {
    if (!threadDialog)
        threadDialog = std::make_unique<CQELPenwrightFindReplaceDlg>();
    return *threadDialog;
}

bool CQELPenwrightFindReplaceDlg::PreTranslate(MSG& msg) {
    return threadDialog && threadDialog->hwnd_ && IsDialogMessageW(threadDialog->hwnd_, &msg);
}

void CQELPenwrightFindReplaceDlg::ControlGone(const CQELPenwrightCtrl* ctrl) {
    if (threadDialog && threadDialog->target_ == ctrl)
        threadDialog->target_ = nullptr;
}

template <class Action>
auto CQELPenwrightFindReplaceDlg::WithMessages(HWND owner, Action action) {
    MessageBoxes boxes(owner);
    return action(messages_ ? *messages_ : static_cast<FindMessages&>(boxes));
}

bool CQELPenwrightFindReplaceDlg::Show(CQELPenwrightCtrl* target, bool replace,
                                       const std::wstring& findText) {
    if (!target || !IsWindow(target->Handle()) || !target->Core())
        return false;
    const HWND owner = GetAncestor(target->Handle(), GA_ROOT);
    if (hwnd_ && (model_.replaceMode != replace || GetWindow(hwnd_, GW_OWNER) != owner))
        Close();
    target_ = target;
    model_.replaceMode = replace;
    if (!findText.empty())
        model_.findText = findText;
    if (hwnd_) {
        SetDlgItemTextW(hwnd_, PW_IDC_FIND_TEXT, model_.findText.c_str());
        EnableButtons();
        ShowWindow(hwnd_, SW_RESTORE);
        BringWindowToTop(hwnd_);
        SetForegroundWindow(hwnd_);
    } else if (!CreateDialogParamW(pw::ThisModule(),
                                   MAKEINTRESOURCEW(replace ? PW_IDD_FIND_REPLACE : PW_IDD_FIND), owner,
                                   Procedure, reinterpret_cast<LPARAM>(this))) {
        return false;
    }
    FocusFindText();
    return true;
}

void CQELPenwrightFindReplaceDlg::Close() {
    if (hwnd_)
        DestroyWindow(hwnd_);  // OnDestroy saves
}

bool CQELPenwrightFindReplaceDlg::Repeat(CQELPenwrightCtrl& target, bool down) {
    return WithMessages(hwnd_ ? hwnd_ : GetAncestor(target.Handle(), GA_ROOT), [&](FindMessages& messages) {
        return model_.FindNext(target.Core(), messages, down);
    });
}

INT_PTR CALLBACK CQELPenwrightFindReplaceDlg::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                                        LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        auto* self = reinterpret_cast<CQELPenwrightFindReplaceDlg*>(lParam);
        self->hwnd_ = hwnd;
        self->OnInit();
        return FALSE;  // Show puts the focus in the find text
    }
    auto* self = reinterpret_cast<CQELPenwrightFindReplaceDlg*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
        case WM_COMMAND:
            self->OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_CLOSE:
            self->Close();
            return TRUE;
        case WM_DESTROY:
            self->OnDestroy();
            return TRUE;
        default:
            return FALSE;
    }
}

void CQELPenwrightFindReplaceDlg::OnInit() {
    // New combo boxes hold what the profile has, in its order.
    model_.findHistory.clear();
    model_.replaceHistory.clear();
    model_.Load(pw::AppProfile());
    FillHistories();
    CheckDlgButton(hwnd_, PW_IDC_WHOLE_WORD, model_.options.wholeWord ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, PW_IDC_MATCH_CASE, model_.options.matchCase ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, PW_IDC_REGEX, model_.options.regex ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd_, PW_IDC_IN_SELECTION, model_.inSelection ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(hwnd_, PW_IDC_SEARCH_DOWN, PW_IDC_SEARCH_UP,
                     model_.options.down ? PW_IDC_SEARCH_DOWN : PW_IDC_SEARCH_UP);
    SendMessageW(hwnd_, DM_SETDEFID, model_.replaceMode ? PW_IDC_REPLACE : PW_IDC_FIND_NEXT, 0);
    EnableButtons();
    Place();
    ShowWindow(hwnd_, SW_SHOW);
}

void CQELPenwrightFindReplaceDlg::OnDestroy() {
    RECT rect;
    if (GetWindowRect(hwnd_, &rect))
        position_ = POINT{rect.left, rect.top};
    model_.Save(pw::AppProfile());
    hwnd_ = nullptr;
}

EditorCore* CQELPenwrightFindReplaceDlg::Core() const {
    return target_ && IsWindow(target_->Handle()) ? target_->Core() : nullptr;
}

void CQELPenwrightFindReplaceDlg::OnCommand(int id, UINT code, HWND control) {
    switch (id) {
        case PW_IDC_FIND_TEXT:
        case PW_IDC_REPLACE_TEXT: {
            if (code != CBN_EDITCHANGE && code != CBN_SELCHANGE)
                return;
            std::wstring& text = id == PW_IDC_FIND_TEXT ? model_.findText : model_.replaceText;
            text = code == CBN_SELCHANGE ? PickedText(control) : TextOf(control);
            EnableButtons();
            return;
        }
        case PW_IDC_WHOLE_WORD:
            model_.options.wholeWord = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
            return;
        case PW_IDC_MATCH_CASE:
            model_.options.matchCase = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
            return;
        case PW_IDC_REGEX:
            model_.options.regex = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
            return;
        case PW_IDC_IN_SELECTION:
            model_.inSelection = IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
            return;
        case PW_IDC_SEARCH_DOWN:
        case PW_IDC_SEARCH_UP:
            model_.options.down = IsDlgButtonChecked(hwnd_, PW_IDC_SEARCH_DOWN) == BST_CHECKED;
            return;
        case PW_IDC_FIND_NEXT:
            if (!model_.CanFindNext())
                return;
            WithMessages(hwnd_, [&](FindMessages& messages) { model_.FindNext(Core(), messages); });
            break;
        case PW_IDC_COUNT:
            if (!model_.CanFindNext())
                return;
            WithMessages(hwnd_, [&](FindMessages& messages) { model_.Count(Core(), messages); });
            break;
        case PW_IDC_REPLACE:
        case PW_IDC_REPLACE_ALL: {
            if (!model_.CanReplace())
                return;
            const WaitCursor wait;
            WithMessages(hwnd_, [&](FindMessages& messages) {
                if (id == PW_IDC_REPLACE)
                    model_.Replace(Core(), messages);
                else
                    model_.ReplaceAll(Core(), messages);
            });
            break;
        }
        case IDCANCEL:
            Close();
            return;
        default:
            return;
    }
    // A message box may have closed the dialog meanwhile.
    if (hwnd_)
        FillHistories();
}

void CQELPenwrightFindReplaceDlg::Fill(int id, const std::vector<std::wstring>& history,
                                       const std::wstring& text) {
    const HWND combo = GetDlgItem(hwnd_, id);
    if (!combo)
        return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : history)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SetWindowTextW(combo, text.c_str());
}

void CQELPenwrightFindReplaceDlg::FillHistories() {
    Fill(PW_IDC_FIND_TEXT, model_.findHistory, model_.findText);
    Fill(PW_IDC_REPLACE_TEXT, model_.replaceHistory, model_.replaceText);
}

void CQELPenwrightFindReplaceDlg::EnableButtons() {
    for (const int id : {PW_IDC_FIND_NEXT, PW_IDC_COUNT})
        EnableWindow(GetDlgItem(hwnd_, id), model_.CanFindNext());
    for (const int id : {PW_IDC_REPLACE, PW_IDC_REPLACE_ALL})
        if (const HWND button = GetDlgItem(hwnd_, id))
            EnableWindow(button, model_.CanReplace());
}

void CQELPenwrightFindReplaceDlg::Place() {
    RECT dialog;
    GetWindowRect(hwnd_, &dialog);
    const int width = dialog.right - dialog.left, height = dialog.bottom - dialog.top;
    POINT at{};
    const RECT last =
        position_ ? RECT{position_->x, position_->y, position_->x + width, position_->y + height} : RECT{};
    // A monitor unplugged since, or a screen grown smaller, would leave the dialog out of reach.
    if (position_ && MonitorFromRect(&last, MONITOR_DEFAULTTONULL)) {
        at = *position_;
    } else {
        RECT ctrl;
        GetWindowRect(target_->Handle(), &ctrl);
        at = {ctrl.left + (ctrl.right - ctrl.left - width) / 2,
              ctrl.top + (ctrl.bottom - ctrl.top - height) / 2};
    }
    SetWindowPos(hwnd_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CQELPenwrightFindReplaceDlg::FocusFindText() {
    const HWND combo = GetDlgItem(hwnd_, PW_IDC_FIND_TEXT);
    SetFocus(combo);
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}
