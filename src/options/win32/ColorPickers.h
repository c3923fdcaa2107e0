#pragma once
// Windows only: the four colour pickers, each with its "..." button, and the two samples drawn
// in a font and the chosen colours, which the font page and the colour page both show at the
// same ids. Slots in the order text, background, selected text, selected background.
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>

#include "options/win32/ColorComboBox.h"

namespace pw::options {

class ColorPickers {
public:
    static constexpr size_t kCount = 4;

    // Each picker's default is its slot's system colour.
    ColorPickers();

    // In the page's OnInit.
    void Attach(HWND page);
    // kColorNotSet shows the slot's default.
    void Show(size_t slot, int32_t color);
    // kColorNotSet while the default shows.
    int32_t Chosen(size_t slot) const { return pickers_[slot].Chosen(); }
    COLORREF Shown(size_t slot) const { return pickers_[slot].Color(); }
    void Enable(size_t slot, bool enable) const;

    // A command of the page: the slot whose colour the user changed, from the list or through
    // the "..." button (the host's colour dialog); none for any other command.
    std::optional<size_t> OnCommand(int id, UINT code, const OptionsHost& host);
    // WM_MEASUREITEM and WM_DRAWITEM of the pickers and the samples, which show `sampleFont`;
    // false for any other.
    bool OnMessage(UINT message, LPARAM lParam, HFONT sampleFont) const;
    void RedrawSamples() const;

private:
    void DrawSample(const DRAWITEMSTRUCT& item, HFONT font) const;

    HWND page_ = nullptr;
    std::array<CQELPenwrightColorComboBox, kCount> pickers_;
};

}  // namespace pw::options
