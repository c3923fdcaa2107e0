#include "options/win32/ColorComboBox.h"

#include <string>

#include "editor/win32/Gdi.h"
#include "options/win32/OptionsHost.h"

namespace pw::options {

namespace {

constexpr int kMargin = 2;  // around the swatch, in pixels
constexpr int kSwatchWidth = 24;

}  // namespace

void CQELPenwrightColorComboBox::Attach(HWND dialog, int id) {
    combo_ = GetDlgItem(dialog, id);
    SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < ColorList::kNamed; ++i)
        SendMessageW(combo_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(std::wstring(list_.NameAt(i)).c_str()));
    // The template's height may predate the dialog font: the items are measured once it is known.
    SendMessageW(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), ItemHeight());
    SendMessageW(combo_, CB_SETITEMHEIGHT, 0, ItemHeight());
    SetColor(kColorNotSet);
}

void CQELPenwrightColorComboBox::SetColor(int32_t color) {
    Sync(list_.Show(color));
}

void CQELPenwrightColorComboBox::Changed() {
    const LRESULT selected = SendMessageW(combo_, CB_GETCURSEL, 0, 0);
    if (selected >= 0)
        Sync(list_.Show(static_cast<int32_t>(list_.ColorAt(static_cast<size_t>(selected)))));
}

bool CQELPenwrightColorComboBox::Choose(const OptionsHost& host) {
    const auto picked = host.PickColor(GetParent(combo_), list_.Shown());
    if (!picked)
        return false;
    SetColor(static_cast<int32_t>(*picked & ColorList::kMask));
    return true;
}

void CQELPenwrightColorComboBox::Sync(size_t selected) {
    const auto count = static_cast<size_t>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
    if (count > ColorList::kNamed)
        SendMessageW(combo_, CB_DELETESTRING, ColorList::kNamed, 0);
    if (list_.HasCustom())
        SendMessageW(combo_, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(std::wstring(list_.NameAt(ColorList::kNamed)).c_str()));
    SendMessageW(combo_, CB_SETCURSEL, selected, 0);
}

int CQELPenwrightColorComboBox::ItemHeight() const {
    TEXTMETRICW metrics{};
    pw::win32::WindowDC dc(combo_);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(combo_, WM_GETFONT, 0, 0));
    pw::win32::SelectScope select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + 2 * kMargin;
}

void CQELPenwrightColorComboBox::Measure(MEASUREITEMSTRUCT& item) const {
    item.itemHeight = static_cast<UINT>(ItemHeight());
}

RECT CQELPenwrightColorComboBox::SwatchRect(const RECT& item) {
    return {item.left + kMargin, item.top + kMargin, item.left + kMargin + kSwatchWidth,
            item.bottom - kMargin};
}

void CQELPenwrightColorComboBox::Draw(const DRAWITEMSTRUCT& item) const {
    const pw::win32::DCHandle dc(item.hDC);
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    dc.FillSolid(item.rcItem, back);
    if (item.itemID == static_cast<UINT>(-1))  // an empty list's selection field
        return;
    const RECT swatch = SwatchRect(item.rcItem);
    {
        pw::win32::Brush fill(CreateSolidBrush(list_.ColorAt(item.itemID)));
        pw::win32::SelectScope brush(dc, fill.Get());
        pw::win32::SelectScope pen(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, swatch.left, swatch.top, swatch.right, swatch.bottom);
    }
    const std::wstring name(list_.NameAt(item.itemID));
    RECT text = item.rcItem;
    text.left = swatch.right + 2 * kMargin;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &item.rcItem);
}

}  // namespace pw::options
