#include "options/win32/FontPage.h"

#include <cwchar>
#include <string>

#include "editor/PainterColors.h"
#include "editor/win32/Painter.h"
#include "editor/win32/PenwrightCtrl.h"
#include "resources/ResourceIds.h"

namespace pw::options {

namespace {

struct ColorSlot {
    int combo;
    int button;
    int systemColor;
    PainterColors::Slot slot;
};

constexpr ColorSlot kSlots[] = {
    {PW_IDC_FONT_TEXT_COLOR, PW_IDC_FONT_TEXT_PICK, COLOR_WINDOWTEXT, PainterColors::kText},
    {PW_IDC_FONT_BACK_COLOR, PW_IDC_FONT_BACK_PICK, COLOR_WINDOW, PainterColors::kBack},
    {PW_IDC_FONT_SEL_TEXT_COLOR, PW_IDC_FONT_SEL_TEXT_PICK, COLOR_HIGHLIGHTTEXT, PainterColors::kSelText},
    {PW_IDC_FONT_SEL_BACK_COLOR, PW_IDC_FONT_SEL_BACK_PICK, COLOR_HIGHLIGHT, PainterColors::kSelBack},
};

std::wstring ComboText(HWND combo, LRESULT index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void AddItem(HWND combo, const std::wstring& text, LPARAM data = 0) {
    const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (index >= 0)
        SendMessageW(combo, CB_SETITEMDATA, index, data);
}

int CALLBACK AddFixedPitchFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM choices) {
    // '@' faces are the vertical forms of others.
    if ((font->lfPitchAndFamily & FIXED_PITCH) && font->lfFaceName[0] != L'@')
        reinterpret_cast<FontChoices*>(choices)->AddFace(font->lfFaceName);
    return TRUE;
}

struct FaceEnumeration {
    FontChoices* choices;
    int pixelsPerInch;
};

int CALLBACK AddScriptAndSize(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD type, LPARAM param) {
    const auto* face = reinterpret_cast<const FaceEnumeration*>(param);
    face->choices->AddScript(reinterpret_cast<const ENUMLOGFONTEXW*>(font)->elfScript, font->lfCharSet);
    if (type & RASTER_FONTTYPE)
        face->choices->AddRasterSize(metrics->tmHeight, metrics->tmInternalLeading, face->pixelsPerInch);
    return TRUE;
}

}  // namespace

FontPage::FontPage(const OptionsHost& host)
    : OptionsPage(PW_IDD_OPTIONS_FONT, host),
      colors_{CQELPenwrightColorComboBox(GetSysColor(kSlots[0].systemColor)),
              CQELPenwrightColorComboBox(GetSysColor(kSlots[1].systemColor)),
              CQELPenwrightColorComboBox(GetSysColor(kSlots[2].systemColor)),
              CQELPenwrightColorComboBox(GetSysColor(kSlots[3].systemColor))} {
    font_.lfHeight = HeightOf(size_, PixelsPerInch());
    font_.lfWeight = WeightOf(FontStyle::kRegular);
    font_.lfCharSet = DEFAULT_CHARSET;
    font_.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy(font_.lfFaceName, L"Courier");
}

int FontPage::PixelsPerInch() const {
    const pw::win32::WindowDC screen(nullptr);
    return GetDeviceCaps(screen, LOGPIXELSY);
}

void FontPage::OnInit() {
    filling_ = true;
    CQELPenwrightPainter* painter = Host().ctrl ? Host().ctrl->GetPainter() : nullptr;
    if (painter) {
        font_ = painter->GetLogFont();
        size_ = CheckedSize(PointSize(font_.lfHeight, PixelsPerInch()));
    }
    for (size_t i = 0; i < kColors; ++i) {
        colors_[i].Attach(Handle(), kSlots[i].combo);
        if (painter)
            colors_[i].SetColor(painter->Colors().At(kSlots[i].slot).custom);
    }
    for (int i = 0; i < kFontStyles; ++i)
        AddItem(Item(PW_IDC_FONT_STYLE), StyleName(static_cast<FontStyle>(i)), i);
    SendMessageW(Item(PW_IDC_FONT_STYLE), CB_SETCURSEL,
                 static_cast<WPARAM>(StyleOf(font_.lfWeight, font_.lfItalic != 0)), 0);
    FillFaces();
    FillFaceLists();
    filling_ = false;
    MakeFont();
}

void FontPage::FillFaces() {
    const pw::win32::WindowDC screen(nullptr);
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &all, AddFixedPitchFace, reinterpret_cast<LPARAM>(&choices_), 0);
    const HWND faces = Item(PW_IDC_FONT_FACE);
    for (const std::wstring& face : choices_.Faces()) AddItem(faces, face);
    SendMessageW(faces, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font_.lfFaceName));
}

void FontPage::FillFaceLists() {
    choices_.ClearFace();
    const pw::win32::WindowDC screen(nullptr);
    LOGFONTW face{};
    face.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(face.lfFaceName, font_.lfFaceName, LF_FACESIZE - 1);
    FaceEnumeration enumeration{&choices_, GetDeviceCaps(screen, LOGPIXELSY)};
    EnumFontFamiliesExW(screen, &face, AddScriptAndSize, reinterpret_cast<LPARAM>(&enumeration), 0);

    const HWND sizes = Item(PW_IDC_FONT_SIZE);
    SendMessageW(sizes, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& size : choices_.Sizes()) AddItem(sizes, size);
    ShowSize();

    const HWND scripts = Item(PW_IDC_FONT_SCRIPT);
    SendMessageW(scripts, CB_RESETCONTENT, 0, 0);
    LRESULT selected = 0;
    for (const FontScript& script : choices_.Scripts()) {
        if (script.charset == font_.lfCharSet)
            selected = SendMessageW(scripts, CB_GETCOUNT, 0, 0);
        AddItem(scripts, script.name, script.charset);
    }
    SendMessageW(scripts, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void FontPage::ShowSize() {
    const HWND sizes = Item(PW_IDC_FONT_SIZE);
    const std::wstring text = std::to_wstring(size_);
    const LRESULT listed = SendMessageW(sizes, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(sizes, CB_SETCURSEL, static_cast<WPARAM>(listed), 0);
    if (listed < 0)
        SetWindowTextW(sizes, text.c_str());
}

void FontPage::MakeFont() {
    const HWND faces = Item(PW_IDC_FONT_FACE);
    const LRESULT face = SendMessageW(faces, CB_GETCURSEL, 0, 0);
    if (face >= 0)
        wcsncpy(font_.lfFaceName, ComboText(faces, face).c_str(), LF_FACESIZE - 1);
    const LRESULT style = SendMessageW(Item(PW_IDC_FONT_STYLE), CB_GETCURSEL, 0, 0);
    if (style >= 0) {
        font_.lfWeight = WeightOf(static_cast<FontStyle>(style));
        font_.lfItalic = IsItalic(static_cast<FontStyle>(style)) ? TRUE : FALSE;
    }
    font_.lfHeight = HeightOf(size_, PixelsPerInch());
    const HWND scripts = Item(PW_IDC_FONT_SCRIPT);
    const LRESULT script = SendMessageW(scripts, CB_GETCURSEL, 0, 0);
    if (script >= 0)
        font_.lfCharSet = static_cast<BYTE>(SendMessageW(scripts, CB_GETITEMDATA, script, 0));
    sampleFont_.Reset(CreateFontIndirectW(&font_));
    InvalidateRect(Item(PW_IDC_FONT_SAMPLE), nullptr, FALSE);
    InvalidateRect(Item(PW_IDC_FONT_SELECTED_SAMPLE), nullptr, FALSE);
}

CQELPenwrightColorComboBox* FontPage::ColorCombo(int id) {
    for (size_t i = 0; i < kColors; ++i)
        if (kSlots[i].combo == id)
            return &colors_[i];
    return nullptr;
}

void FontPage::OnCommand(int id, UINT code, HWND control) {
    if (filling_)
        return;
    bool changed = false;
    if (id == PW_IDC_FONT_SIZE && (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)) {
        const LRESULT selected = SendMessageW(control, CB_GETCURSEL, 0, 0);
        size_ = CheckedSize(code == CBN_SELCHANGE && selected >= 0 ? ComboText(control, selected)
                                                                   : WindowText(control));
        changed = true;
    } else if (id == PW_IDC_FONT_SIZE && code == CBN_KILLFOCUS) {
        ShowSize();  // what was typed, as the font has it
    } else if (code == CBN_SELCHANGE && (id == PW_IDC_FONT_STYLE || id == PW_IDC_FONT_SCRIPT)) {
        changed = true;
    } else if (code == CBN_SELCHANGE && id == PW_IDC_FONT_FACE) {
        MakeFont();  // takes the new face before its lists are filled
        filling_ = true;
        FillFaceLists();
        filling_ = false;
        changed = true;
    } else if (CQELPenwrightColorComboBox* combo = ColorCombo(id); combo && code == CBN_SELCHANGE) {
        combo->Changed();
        changed = true;
    } else if (CQELPenwrightColorComboBox* picker = ColorCombo(id - 1); picker && code == BN_CLICKED) {
        changed = picker->Choose(Host());
    }
    if (changed) {
        MakeFont();
        SetModified(true);
    }
}

bool FontPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    const int id = static_cast<int>(wParam);
    if (message == WM_MEASUREITEM) {
        if (CQELPenwrightColorComboBox* combo = ColorCombo(id)) {
            combo->Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        }
    } else if (message == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (CQELPenwrightColorComboBox* combo = ColorCombo(id))
            combo->Draw(item);
        else if (id == PW_IDC_FONT_SAMPLE || id == PW_IDC_FONT_SELECTED_SAMPLE)
            DrawSample(item);
        else
            return false;
        result = TRUE;
        return true;
    }
    return false;
}

void FontPage::DrawSample(const DRAWITEMSTRUCT& item) const {
    const bool selected = item.CtlID == PW_IDC_FONT_SELECTED_SAMPLE;
    const CQELPenwrightColorComboBox& text = colors_[selected ? 2 : 0];
    const CQELPenwrightColorComboBox& back = colors_[selected ? 3 : 1];
    const pw::win32::DCHandle dc(item.hDC);
    dc.FillSolid(item.rcItem, back.Color());
    const pw::win32::SelectScope font(dc, sampleFont_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text.Color());
    RECT area = item.rcItem;
    const std::wstring sample = WindowText(item.hwndItem);
    DrawTextW(dc, sample.c_str(), static_cast<int>(sample.size()), &area,
              DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

bool FontPage::OnApply() {
    CQELPenwrightCtrl* ctrl = Host().ctrl;
    if (!ctrl)
        return true;
    ctrl->SetFont(&font_, true);
    for (size_t i = 0; i < kColors; ++i)
        ctrl->GetPainter()->SetColor(kSlots[i].slot, colors_[i].Chosen(), true);
    InvalidateRect(ctrl->Handle(), nullptr, FALSE);
    return true;
}

}  // namespace pw::options
