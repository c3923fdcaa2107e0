#include "options/win32/OptionsSheet.h"

#include <string>

#include "options/win32/ColorPage.h"
#include "options/win32/EditorPage.h"
#include "options/win32/FontPage.h"
#include "platform/StringTable.h"
#include "platform/win32/Module.h"

namespace pw::options {
namespace {

constexpr unsigned kCaption = 9800;

}  // namespace

OptionsSheet::OptionsSheet(const OptionsHost& host) : host_(host), caption_(pw::LoadString(kCaption)) {
    Add<EditorPage>();
    const FontPage& font = Add<FontPage>();
    Add<ColorPage>(font);
}

INT_PTR OptionsSheet::Show(HWND owner) {
    return Run(owner, 0);
}

HWND OptionsSheet::Create(HWND owner) {
    const INT_PTR sheet = Run(owner, PSH_MODELESS);
    return sheet <= 0 ? nullptr : reinterpret_cast<HWND>(sheet);
}

INT_PTR OptionsSheet::Run(HWND owner, DWORD flags) {
    std::vector<PROPSHEETPAGEW> described;
    for (const auto& page : pages_) described.push_back(page->Describe());
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = flags | PSH_PROPSHEETPAGE | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = pw::ThisModule();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(described.size());
    header.ppsp = described.data();
    return PropertySheetW(&header);
}

HWND OptionsSheet::Handle() const {
    for (const auto& page : pages_)
        if (page->Handle())
            return GetParent(page->Handle());
    return nullptr;
}

}  // namespace pw::options
