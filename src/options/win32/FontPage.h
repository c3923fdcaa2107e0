#pragma once
// Windows only: the options sheet's "Editor Font" page: the control's font (fixed-pitch faces
// only) and its four colours, each change shown at once on two samples; Apply gives them to the
// control and writes them to the profile.
#include <windows.h>

#include <array>

#include "editor/win32/Gdi.h"
#include "options/FontChoices.h"
#include "options/win32/ColorPickers.h"
#include "options/win32/OptionsPage.h"

namespace pw::options {

class FontPage : public OptionsPage {
public:
    explicit FontPage(const OptionsHost& host);

    // The font as the page shows it now, for the colour page's samples.
    const LOGFONTW& Font() const { return font_; }

protected:
    void OnInit() override;
    void OnCommand(int id, UINT code, HWND control) override;
    bool OnApply() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void FillFaces();
    // The sizes and scripts the chosen face offers, the font's own selected.
    void FillFaceLists();
    void ShowSize();
    // The font from the lists as they are now, shown on the samples.
    void MakeFont();
    int PixelsPerInch() const;

    LOGFONTW font_{};
    int size_ = 10;
    FontChoices choices_;
    ColorPickers pickers_;
    pw::win32::Font sampleFont_;
    // Set while the page fills its lists, whose notifications are no user's change.
    bool filling_ = false;
};

}  // namespace pw::options
