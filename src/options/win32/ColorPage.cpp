#include "options/win32/ColorPage.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "buffer/BufferManager.h"
#include "editor/win32/PenwrightCtrl.h"
#include "lexer/LexText.h"
#include "options/win32/FontPage.h"
#include "platform/FileSystem.h"
#include "platform/StringTable.h"
#include "resources/ResourceIds.h"

namespace pw::options {

namespace {

constexpr unsigned kOpenSchemaText = 9788;
constexpr unsigned kOpenSchemaQuestion = 9789;
constexpr unsigned kNotWrittenText = 9790;
constexpr unsigned kThemeOverridesText = 9791;
constexpr unsigned kNoThemeText = 9792;
constexpr unsigned kApplyFirstQuestion = 9793;
// The sheet's "Apply" button, enabled while a page has changes waiting.
constexpr int kApplyNowButton = 0x3021;

constexpr int kStyleBoxes[] = {PW_IDC_COLORS_BOLD, PW_IDC_COLORS_ITALIC, PW_IDC_COLORS_UNDERLINE};
// The theme keys of what the page edits, in the order the note lists them.
constexpr std::wstring_view kThemeKeys[] = {L"colorFG", L"colorBK", L"colorSelFG", L"colorSelBK",
                                            L"Bold",    L"Italic",  L"Underline"};

LRESULT Send(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(control, message, wParam, lParam);
}

void AddLine(HWND list, const std::wstring& text) {
    Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The name and the extension of a path's file, as the question names it.
std::pair<std::wstring, std::wstring> NameAndExtension(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0)
        return {name, L""};
    return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace

ColorPage::ColorPage(const OptionsHost& host, const FontPage& fontPage)
    : OptionsPage(PW_IDD_OPTIONS_COLORS, host), fontPage_(fontPage) {}

ConfigManager* ColorPage::Config() const {
    CQELPenwrightBufferManager* buffer = Host().ctrl ? Host().ctrl->GetBuffer() : nullptr;
    return buffer ? dynamic_cast<ConfigManager*>(buffer->GetConfigManager().get()) : nullptr;
}

void ColorPage::OnInit() {
    pickers_.Attach(Handle());
    // Room for the bold and underlined lines; WM_MEASUREITEM came before the page knew itself.
    TEXTMETRICW metrics{};
    {
        const pw::win32::WindowDC dc(Handle());
        const pw::win32::SelectScope font(dc,
                                          reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
    }
    Send(Item(PW_IDC_COLORS_ATTRIBUTES), LB_SETITEMHEIGHT, 0, metrics.tmHeight + 4);
    FillFileTypes();
    FillThemes();
    ShowFileType();
}

void ColorPage::FillFileTypes() {
    ConfigManager* config = Config();
    if (!config)
        return;
    for (auto& [path, defs] : config->CopySchemaDefinitions())
        files_.emplace(path, ClassColorsEditor(std::move(defs.classes)));
    for (ConfigManager::Entry& scheme : config->GetSchemes()) {
        auto found = files_.find(FoldCase(scheme.path));
        ClassColorsEditor* editor = found == files_.end() ? nullptr : &found->second;
        AddLine(Item(PW_IDC_COLORS_FILE_TYPES), scheme.name);
        fileTypes_.push_back({std::move(scheme), editor});
    }
    Send(Item(PW_IDC_COLORS_FILE_TYPES), LB_SETCURSEL, 0);
}

void ColorPage::FillThemes() {
    HWND combo = Item(PW_IDC_COLORS_THEME);
    ConfigManager* config = Config();
    themes_ = {L""};
    Send(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pw::LoadString(kNoThemeText).c_str()));
    if (!config)
        return;
    const std::wstring current = config->GetCurrentTheme();
    for (const ConfigManager::Entry& theme : config->GetThemes()) {
        if (EqualNoCase(theme.name, current) && config->GetTheme(theme.name))
            appliedTheme_ = themes_.size();
        themes_.push_back(theme.name);
        Send(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(theme.name.c_str()));
    }
    Send(combo, CB_SETCURSEL, appliedTheme_);
}

ClassColorsEditor* ColorPage::Editor() const {
    const LRESULT type = Send(Item(PW_IDC_COLORS_FILE_TYPES), LB_GETCURSEL);
    return type >= 0 && static_cast<size_t>(type) < fileTypes_.size() ? fileTypes_[type].editor : nullptr;
}

int ColorPage::SelectedClass() const {
    ClassColorsEditor* editor = Editor();
    const LRESULT index = Send(Item(PW_IDC_COLORS_ATTRIBUTES), LB_GETCURSEL);
    return editor && index >= 0 && static_cast<size_t>(index) < editor->Classes().size()
               ? static_cast<int>(index)
               : -1;
}

void ColorPage::ShowFileType() {
    HWND list = Item(PW_IDC_COLORS_ATTRIBUTES);
    Send(list, WM_SETREDRAW, FALSE);
    Send(list, LB_RESETCONTENT);
    if (ClassColorsEditor* editor = Editor())
        for (const LexClassDef& definition : editor->Classes()) AddLine(list, DisplayName(definition));
    Send(list, LB_SETCURSEL, 0);
    Send(list, WM_SETREDRAW, TRUE);
    InvalidateRect(list, nullptr, TRUE);
    ShowClass();
}

void ColorPage::ShowClass() {
    const int index = SelectedClass();
    const ClassLook look = index >= 0 ? Editor()->Look(index) : ClassLook{};
    for (size_t slot = 0; slot < ColorPickers::kCount; ++slot)
        pickers_.Show(slot, look.colors[slot] ? static_cast<int32_t>(*look.colors[slot]) : kColorNotSet);
    for (size_t style = 0; style < look.styles.size(); ++style) {
        CheckDlgButton(Handle(), kStyleBoxes[style], look.styles[style] ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(Item(kStyleBoxes[style]), index >= 0);
    }
    for (size_t slot = 0; slot < ColorPickers::kCount; ++slot) pickers_.Enable(slot, index >= 0);
    EnableWindow(Item(PW_IDC_COLORS_RESET), index >= 0);
    MakeSampleFont();
    ShowThemeNote();
}

void ColorPage::ShowThemeNote() {
    std::wstring note;
    ConfigManager* config = Config();
    const LRESULT chosen = Send(Item(PW_IDC_COLORS_THEME), CB_GETCURSEL);
    const int index = SelectedClass();
    if (config && index >= 0 && chosen > 0 && static_cast<size_t>(chosen) < themes_.size()) {
        const std::wstring& theme = themes_[chosen];
        const std::wstring& className = Editor()->Classes()[index].name;
        std::wstring values;
        if (pw::RefPtr<Theme> loaded = config->GetTheme(theme)) {
            for (std::wstring_view key : kThemeKeys) {
                const std::wstring value = loaded->GetValue(className, key, true);
                if (value.empty())
                    continue;
                values += (values.empty() ? L"" : L", ") + std::wstring(key) + L" = " + value;
            }
        }
        if (!values.empty())
            note = pw::LoadString(kThemeOverridesText, {theme, values});
    }
    SetDlgItemTextW(Handle(), PW_IDC_COLORS_THEME_NOTE, note.c_str());
}

void ColorPage::MakeSampleFont() {
    LOGFONTW font = fontPage_.Font();
    const int index = SelectedClass();
    const ClassLook look = index >= 0 ? Editor()->Look(index) : ClassLook{};
    font.lfWeight = look.styles[0] ? FW_BOLD : FW_NORMAL;
    font.lfItalic = look.styles[1] ? TRUE : FALSE;
    font.lfUnderline = look.styles[2] ? TRUE : FALSE;
    sampleFont_.Reset(CreateFontIndirectW(&font));
    pickers_.RedrawSamples();
}

void ColorPage::Changed() {
    SetModified(true);
    MakeSampleFont();
    InvalidateRect(Item(PW_IDC_COLORS_ATTRIBUTES), nullptr, FALSE);
}

void ColorPage::DrawClass(const DRAWITEMSTRUCT& item) const {
    const pw::win32::DCHandle dc(item.hDC);
    ClassColorsEditor* editor = Editor();
    const bool known = editor && item.itemID < editor->Classes().size();
    const ClassLook look = known ? editor->Look(item.itemID) : ClassLook{};
    const auto color = [&](ClassColor slot, int system) {
        const auto& set = look.colors[static_cast<size_t>(slot)];
        return set ? static_cast<COLORREF>(*set) : GetSysColor(system);
    };
    dc.FillSolid(item.rcItem, color(ClassColor::kBack, COLOR_WINDOW));
    if (known) {
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)), sizeof(font),
                   &font);
        font.lfWeight = look.styles[0] ? FW_BOLD : FW_NORMAL;
        font.lfItalic = look.styles[1] ? TRUE : FALSE;
        font.lfUnderline = look.styles[2] ? TRUE : FALSE;
        const pw::win32::Font styled(CreateFontIndirectW(&font));
        const pw::win32::SelectScope chosen(dc, styled.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color(ClassColor::kText, COLOR_WINDOWTEXT));
        RECT text = item.rcItem;
        text.left += 3;
        const std::wstring name = DisplayName(editor->Classes()[item.itemID]);
        DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    // The selection is a frame, so that the line keeps the class's own colours.
    if (item.itemState & ODS_SELECTED) {
        const pw::win32::Brush frame(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
        RECT outer = item.rcItem;
        for (int i = 0; i < 2; ++i, InflateRect(&outer, -1, -1)) FrameRect(dc, &outer, frame.Get());
    }
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}

void ColorPage::OnCommand(int id, UINT code, HWND /*control*/) {
    const int index = SelectedClass();
    if (std::optional<size_t> slot = pickers_.OnCommand(id, code, Host())) {
        if (index < 0)
            return;
        const int32_t chosen = pickers_.Chosen(*slot);
        Editor()->SetColor(index, static_cast<ClassColor>(*slot),
                           chosen == kColorNotSet ? std::nullopt : std::optional<ColorRef>(chosen));
        Changed();
        return;
    }
    switch (id) {
        case PW_IDC_COLORS_FILE_TYPES:
            if (code == LBN_SELCHANGE)
                ShowFileType();
            break;
        case PW_IDC_COLORS_ATTRIBUTES:
            if (code == LBN_SELCHANGE)
                ShowClass();
            break;
        case PW_IDC_COLORS_BOLD:
        case PW_IDC_COLORS_ITALIC:
        case PW_IDC_COLORS_UNDERLINE:
            if (code == BN_CLICKED && index >= 0) {
                const size_t style =
                    std::find(std::begin(kStyleBoxes), std::end(kStyleBoxes), id) - kStyleBoxes;
                Editor()->SetStyle(index, static_cast<ClassStyle>(style),
                                   IsDlgButtonChecked(Handle(), id) == BST_CHECKED);
                Changed();
            }
            break;
        case PW_IDC_COLORS_RESET:
            if (code == BN_CLICKED && index >= 0) {
                Editor()->Reset(index);
                ShowClass();
                Changed();
            }
            break;
        case PW_IDC_COLORS_OPEN_SCHEMA:
            OpenSchemaFile();
            break;
        case PW_IDC_COLORS_THEME:
            if (code == CBN_SELCHANGE) {
                ShowThemeNote();
                SetModified(true);
            }
            break;
    }
}

bool ColorPage::OnApply() {
    ConfigManager* config = Config();
    if (!config)
        return true;
    std::vector<std::wstring> failed;
    for (const FileType& type : fileTypes_) {
        ClassColorsEditor* editor = type.editor;
        if (!editor || !editor->IsModified())
            continue;
        if (config->EditSchemaFile(type.scheme.path,
                                   [&](SchemaFileDefs& current) { editor->Replay(current); }))
            editor->Written();
        else if (std::find(failed.begin(), failed.end(), type.scheme.path) == failed.end())
            failed.push_back(type.scheme.path);
    }
    const LRESULT chosen = Send(Item(PW_IDC_COLORS_THEME), CB_GETCURSEL);
    if (chosen >= 0 && static_cast<size_t>(chosen) < themes_.size() &&
        static_cast<size_t>(chosen) != appliedTheme_) {
        appliedTheme_ = static_cast<size_t>(chosen);
        config->SetCurrentTheme(themes_[chosen]);
    }
    if (failed.empty())
        return true;
    std::wstring files;
    for (const std::wstring& path : failed) files += L"\n" + path;
    Host().Ask(Handle(), pw::LoadString(kNotWrittenText, {files}), MB_OK | MB_ICONERROR);
    return false;
}

bool ColorPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message == WM_CONTEXTMENU && reinterpret_cast<HWND>(wParam) == Item(PW_IDC_COLORS_FILE_TYPES)) {
        OnFileTypeMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = TRUE;
        return true;
    }
    if (message == WM_DRAWITEM && wParam == PW_IDC_COLORS_ATTRIBUTES) {
        DrawClass(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (pickers_.OnMessage(message, lParam, sampleFont_.Get())) {
        result = TRUE;
        return true;
    }
    return false;
}

void ColorPage::OnFileTypeMenu(POINT screen) {
    HWND list = Item(PW_IDC_COLORS_FILE_TYPES);
    if (screen.x == -1 && screen.y == -1) {  // the menu key: at the selected line
        RECT line{};
        Send(list, LB_GETITEMRECT, std::max<LRESULT>(0, Send(list, LB_GETCURSEL)),
             reinterpret_cast<LPARAM>(&line));
        screen = {line.left, line.bottom};
        ClientToScreen(list, &screen);
    } else {
        POINT client = screen;
        ScreenToClient(list, &client);
        const LRESULT hit = Send(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
        if (HIWORD(hit) == 0 && LOWORD(hit) != Send(list, LB_GETCURSEL)) {
            Send(list, LB_SETCURSEL, LOWORD(hit));
            ShowFileType();
        }
    }
    // Only a host that opens documents can show the file.
    if (!Host().openDocument || Send(list, LB_GETCURSEL) < 0)
        return;
    // The item comes back as a command, as it would from any menu of the page.
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, PW_IDC_COLORS_OPEN_SCHEMA, pw::LoadString(kOpenSchemaText).c_str());
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, screen.x, screen.y, 0, Handle(), nullptr);
    DestroyMenu(menu);
}

void ColorPage::OpenSchemaFile() {
    const LRESULT type = Send(Item(PW_IDC_COLORS_FILE_TYPES), LB_GETCURSEL);
    if (!Host().openDocument || type < 0 || static_cast<size_t>(type) >= fileTypes_.size())
        return;
    const std::wstring path = fileTypes_[type].scheme.path;
    if (!FileWatcher::IsFile(path))
        return;
    const auto [name, extension] = NameAndExtension(path);
    if (Host().Ask(Handle(), pw::LoadString(kOpenSchemaQuestion, {name, extension}),
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    HWND sheet = GetParent(Handle());
    // Changes still waiting in the sheet are applied or dropped as the user says, never lost
    // unasked: the file about to open may be one of those the page edited.
    if (IsWindowEnabled(GetDlgItem(sheet, kApplyNowButton))) {
        const int answer =
            Host().Ask(Handle(), pw::LoadString(kApplyFirstQuestion), MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL || (answer == IDYES && !SendMessageW(sheet, PSM_APPLY, 0, 0)))
            return;
    }
    SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    Host().openDocument(path);
}

}  // namespace pw::options
