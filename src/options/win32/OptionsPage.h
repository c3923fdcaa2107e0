#pragma once
// Windows only: the base of the options sheet's pages. A page is a dialog from a template of
// this module; the sheet creates it when it is first shown and tells it about leaving, applying
// and cancelling through these hooks. Nothing thrown in a hook leaves the dialog procedure.
#include <windows.h>

#include <prsht.h>

#include "options/win32/OptionsHost.h"

namespace pw::options {

class OptionsPage {
public:
    OptionsPage(int templateId, const OptionsHost& host) : templateId_(templateId), host_(host) {}
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;
    virtual ~OptionsPage() = default;

    // What the sheet needs to create the page.
    PROPSHEETPAGEW Describe();
    // Null until the sheet has shown the page once.
    HWND Handle() const { return hwnd_; }
    bool IsModified() const { return modified_; }

protected:
    // The page's changes wait for Apply; the sheet enables its Apply button.
    void SetModified(bool modified);
    const OptionsHost& Host() const { return host_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // WM_INITDIALOG: fill the controls from what they edit.
    virtual void OnInit() {}
    virtual void OnCommand(int /*id*/, UINT /*code*/, HWND /*control*/) {}
    // Leaving the page, or before Apply: false keeps the user on it (the page says why).
    virtual bool OnKillActive() { return true; }
    // Apply or OK, called only while the page is modified: false keeps the sheet open on the
    // page, still modified.
    virtual bool OnApply() { return true; }
    // Any other message; true when handled, with the dialog procedure's answer in `result`.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
        return false;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnNotify(const NMHDR& header);

    int templateId_;
    const OptionsHost& host_;
    HWND hwnd_ = nullptr;
    bool modified_ = false;
};

}  // namespace pw::options
