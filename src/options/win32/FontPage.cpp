#include "options/win32/FontPage.h"

#include <cwchar>
#include <string>

#include "editor/PainterColors.h"
#include "editor/win32/Painter.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/StringTable.h"
#include "resources/ResourceIds.h"

namespace pw::options {

namespace {

constexpr unsigned kNotSaved = 9802;

// The pickers' slots in the painter, in the order Apply writes them.
constexpr PainterColors::Slot kPainterSlots[ColorPickers::kCount] = {
    PainterColors::kText, PainterColors::kBack, PainterColors::kSelText, PainterColors::kSelBack};

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

FontPage::FontPage(const OptionsHost& host) : OptionsPage(PW_IDD_OPTIONS_FONT, host) {
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
    pickers_.Attach(Handle());
    for (size_t i = 0; i < ColorPickers::kCount && painter; ++i)
        pickers_.Show(i, painter->Colors().At(kPainterSlots[i]).custom);
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
    pickers_.RedrawSamples();
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
    } else {
        changed = pickers_.OnCommand(id, code, Host()).has_value();
    }
    if (changed) {
        MakeFont();
        SetModified(true);
    }
}

bool FontPage::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, INT_PTR& result) {
    if (!pickers_.OnMessage(message, lParam, sampleFont_.Get()))
        return false;
    result = TRUE;
    return true;
}

bool FontPage::OnApply() {
    CQELPenwrightCtrl* ctrl = Host().ctrl;
    if (!ctrl)
        return true;
    bool saved = ctrl->SetFont(&font_, true);
    for (size_t i = 0; i < ColorPickers::kCount; ++i)
        saved = ctrl->GetPainter()->SetColor(kPainterSlots[i], pickers_.Chosen(i), true) && saved;
    InvalidateRect(ctrl->Handle(), nullptr, FALSE);
    // In effect either way; the user hears that the next session will not have it.
    if (!saved)
        Host().Ask(Handle(), pw::LoadString(kNotSaved), MB_OK | MB_ICONWARNING);
    return true;
}

}  // namespace pw::options
