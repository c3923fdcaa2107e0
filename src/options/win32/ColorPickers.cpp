#include "options/win32/ColorPickers.h"

#include <string>

#include "editor/win32/Gdi.h"
#include "resources/ResourceIds.h"

namespace pw::options {

namespace {

struct Slot {
    int combo;
    int button;
    int systemColor;
};

constexpr Slot kSlots[ColorPickers::kCount] = {
    {PW_IDC_TEXT_COLOR, PW_IDC_TEXT_PICK, COLOR_WINDOWTEXT},
    {PW_IDC_BACK_COLOR, PW_IDC_BACK_PICK, COLOR_WINDOW},
    {PW_IDC_SEL_TEXT_COLOR, PW_IDC_SEL_TEXT_PICK, COLOR_HIGHLIGHTTEXT},
    {PW_IDC_SEL_BACK_COLOR, PW_IDC_SEL_BACK_PICK, COLOR_HIGHLIGHT},
};

std::optional<size_t> SlotOf(int id, int Slot::*member) {
    for (size_t slot = 0; slot < ColorPickers::kCount; ++slot)
        if (kSlots[slot].*member == id)
            return slot;
    return std::nullopt;
}

}  // namespace

ColorPickers::ColorPickers()
    : pickers_{CQELPenwrightColorComboBox(GetSysColor(kSlots[0].systemColor)),
               CQELPenwrightColorComboBox(GetSysColor(kSlots[1].systemColor)),
               CQELPenwrightColorComboBox(GetSysColor(kSlots[2].systemColor)),
               CQELPenwrightColorComboBox(GetSysColor(kSlots[3].systemColor))} {}

void ColorPickers::Attach(HWND page) {
    page_ = page;
    for (size_t slot = 0; slot < kCount; ++slot) pickers_[slot].Attach(page, kSlots[slot].combo);
}

void ColorPickers::Show(size_t slot, int32_t color) {
    pickers_[slot].SetColor(color);
    RedrawSamples();
}

void ColorPickers::Enable(size_t slot, bool enable) const {
    EnableWindow(GetDlgItem(page_, kSlots[slot].combo), enable);
    EnableWindow(GetDlgItem(page_, kSlots[slot].button), enable);
}

std::optional<size_t> ColorPickers::OnCommand(int id, UINT code, const OptionsHost& host) {
    std::optional<size_t> slot;
    if (code == CBN_SELCHANGE && (slot = SlotOf(id, &Slot::combo)))
        pickers_[*slot].Changed();
    else if (code == BN_CLICKED && (slot = SlotOf(id, &Slot::button)) && !pickers_[*slot].Choose(host))
        slot.reset();
    if (slot)
        RedrawSamples();
    return slot;
}

bool ColorPickers::OnMessage(UINT message, LPARAM lParam, HFONT sampleFont) const {
    if (message == WM_MEASUREITEM) {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        std::optional<size_t> slot = SlotOf(static_cast<int>(item.CtlID), &Slot::combo);
        if (slot)
            pickers_[*slot].Measure(item);
        return slot.has_value();
    }
    if (message != WM_DRAWITEM)
        return false;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (std::optional<size_t> slot = SlotOf(static_cast<int>(item.CtlID), &Slot::combo))
        pickers_[*slot].Draw(item);
    else if (item.CtlID == PW_IDC_SAMPLE || item.CtlID == PW_IDC_SELECTED_SAMPLE)
        DrawSample(item, sampleFont);
    else
        return false;
    return true;
}

void ColorPickers::RedrawSamples() const {
    for (int id : {PW_IDC_SAMPLE, PW_IDC_SELECTED_SAMPLE})
        if (HWND sample = GetDlgItem(page_, id))
            InvalidateRect(sample, nullptr, FALSE);
}

void ColorPickers::DrawSample(const DRAWITEMSTRUCT& item, HFONT font) const {
    const bool selected = item.CtlID == PW_IDC_SELECTED_SAMPLE;
    const pw::win32::DCHandle dc(item.hDC);
    dc.FillSolid(item.rcItem, Shown(selected ? 3 : 1));
    const pw::win32::SelectScope chosen(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Shown(selected ? 2 : 0));
    wchar_t sample[32] = L"";
    GetWindowTextW(item.hwndItem, sample, 32);
    RECT area = item.rcItem;
    DrawTextW(dc, sample, -1, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace pw::options
