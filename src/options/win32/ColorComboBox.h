#pragma once
// Windows only: the colour picker, an owner-drawn drop-down list over ColorList (its template
// combo has CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS), each item a swatch and a
// name, with a "..." button beside it that opens the host's colour dialog.
//
// The page that holds it attaches it in its OnInit, forwards WM_MEASUREITEM and WM_DRAWITEM
// for the combo's id, calls Choose() on the button's click, and calls Changed() when the combo
// reports CBN_SELCHANGE. Nothing here writes the colour anywhere: the page reads Chosen() when
// it applies.
#include <windows.h>

#include <cstdint>

#include "options/ColorList.h"

namespace pw::options {

struct OptionsHost;

class CQELPenwrightColorComboBox {
public:
    // `defaultColor` is what "not set" shows: the slot's system colour.
    explicit CQELPenwrightColorComboBox(COLORREF defaultColor) : list_(defaultColor) {}

    // Takes the combo `id` of `dialog`; fills it and shows the default.
    void Attach(HWND dialog, int id);
    HWND Handle() const { return combo_; }

    // Shows `color`; kColorNotSet shows the default.
    void SetColor(int32_t color);
    // The colour shown.
    COLORREF Color() const { return list_.Shown(); }
    // What to store: kColorNotSet while the default is shown.
    int32_t Chosen() const { return list_.Chosen(); }

    // The user picked an item in the list (CBN_SELCHANGE).
    void Changed();
    // The "..." button: the host's colour dialog from the shown colour; true when the user chose
    // one, which is then shown ("Custom" when no item names it).
    bool Choose(const OptionsHost& host);

    // WM_MEASUREITEM and WM_DRAWITEM for this combo.
    void Measure(MEASUREITEMSTRUCT& item) const;
    void Draw(const DRAWITEMSTRUCT& item) const;
    // Where an item's swatch is drawn within the item's rectangle.
    static RECT SwatchRect(const RECT& item);

private:
    int ItemHeight() const;
    // The combo's items after the list's: the custom item added, renamed or removed.
    void Sync(size_t selected);

    ColorList list_;
    HWND combo_ = nullptr;
};

}  // namespace pw::options
