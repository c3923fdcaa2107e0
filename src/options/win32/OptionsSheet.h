#pragma once
// Windows only: the options dialog, a property sheet over the pages, made for one host. Pages are
// made in order when the sheet is made, so that a page may keep a reference to an earlier one.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "options/win32/OptionsHost.h"
#include "options/win32/OptionsPage.h"

namespace pw::options {

class OptionsSheet {
public:
    // `host` must outlive the sheet.
    explicit OptionsSheet(const OptionsHost& host);
    OptionsSheet(const OptionsSheet&) = delete;
    OptionsSheet& operator=(const OptionsSheet&) = delete;

    // Modal over `owner`: positive after OK with changes applied, 0 when closed otherwise, -1
    // when the sheet could not be made.
    INT_PTR Show(HWND owner);
    // Modeless over `owner`, null when it could not be made. The caller's message loop passes
    // messages through PropSheet_IsDialogMessage and destroys the sheet once
    // PropSheet_GetCurrentPageHwnd answers null (OK or Cancel pressed).
    HWND Create(HWND owner);
    // The sheet's window while it is shown, else null.
    HWND Handle() const;

    const std::vector<std::unique_ptr<OptionsPage>>& Pages() const { return pages_; }

private:
    template <class Page, class... Args>
    Page& Add(Args&&... args) {
        auto page = std::make_unique<Page>(host_, std::forward<Args>(args)...);
        Page& added = *page;
        pages_.push_back(std::move(page));
        return added;
    }
    INT_PTR Run(HWND owner, DWORD flags);

    const OptionsHost& host_;
    // A modeless sheet reads it after Create returns.
    std::wstring caption_;
    std::vector<std::unique_ptr<OptionsPage>> pages_;
};

}  // namespace pw::options
