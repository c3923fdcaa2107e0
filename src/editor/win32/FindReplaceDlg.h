#pragma once
// Windows only: the modeless find and replace dialog, one per UI thread, over one edit control
// at a time. Its state and actions are FindDialogModel's; this class copies the controls into
// the model and back. The host passes its messages through PreTranslate so that Tab, Enter and
// Escape work in it.
#include <windows.h>

#include <optional>
#include <string>

#include "editor/FindDialogModel.h"

class CQELPenwrightCtrl;

class CQELPenwrightFindReplaceDlg {
public:
    CQELPenwrightFindReplaceDlg() = default;
    CQELPenwrightFindReplaceDlg(const CQELPenwrightFindReplaceDlg&) = delete;
    CQELPenwrightFindReplaceDlg& operator=(const CQELPenwrightFindReplaceDlg&) = delete;
    ~CQELPenwrightFindReplaceDlg();

    // The calling thread's dialog, made on first use.
    static CQELPenwrightFindReplaceDlg& ForThread();
    // IsDialogMessage for the calling thread's dialog while it is open.
    static bool PreTranslate(MSG& msg);
    // A control being destroyed: the thread's dialog no longer searches it.
    static void ControlGone(const CQELPenwrightCtrl* ctrl);

    // Opens the dialog over `target` in the mode asked for (a dialog open in the other mode, or
    // for another top-level window, is made anew), searching for `findText` unless it is empty;
    // an open one is restored and brought to the front. False when the control has no window.
    bool Show(CQELPenwrightCtrl* target, bool replace, const std::wstring& findText);
    // Saves the options, the histories and the position, and destroys the window.
    void Close();
    // F3 in a control: the last search again, down or up, the dialog open or not.
    bool Repeat(CQELPenwrightCtrl& target, bool down);

    HWND Handle() const { return hwnd_; }
    CQELPenwrightCtrl* Target() const { return target_; }
    const FindDialogModel& Model() const { return model_; }
    // Where the messages go instead of the system's message boxes (null: back to those).
    void SetMessages(FindMessages* messages) { messages_ = messages; }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void OnCommand(int id, UINT code, HWND control);
    void OnDestroy();
    EditorCore* Core() const;
    // The history in the combo box's list, its edit showing `text`.
    void Fill(int id, const std::vector<std::wstring>& history, const std::wstring& text);
    void FillHistories();
    void EnableButtons();
    // At the last position while that is on a monitor, else centred over the control.
    void Place();
    void FocusFindText();
    // Runs an action with the injected messages or, without them, message boxes over `owner`.
    template <class Action>
    auto WithMessages(HWND owner, Action action);

    HWND hwnd_ = nullptr;
    CQELPenwrightCtrl* target_ = nullptr;
    FindDialogModel model_;
    std::optional<POINT> position_;  // where the last one was closed, in screen pixels
    FindMessages* messages_ = nullptr;
};
