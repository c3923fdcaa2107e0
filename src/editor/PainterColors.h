#pragma once
// The painter's colours, each a default (a system colour, given by the window layer) and the
// user's override of it, which lives in the profile's "Settings" section.
#include <string_view>

#include "lexer/LexTextAttributes.h"

namespace pw {
class Profile;
}

struct PainterColors {
    enum Slot {
        kText,
        kBack,
        kSelText,
        kSelBack,
        kInactiveSelText,
        kInactiveSelBack,
        kLineNumberText,
        kLineNumberBack,
        kSlots
    };
    static constexpr int32_t kLineNumberTextDefault = 0x848200;  // RGB(0, 130, 132)

    // `standard` is the default, `custom` the override (kColorNotSet: none).
    LexColorPair text, back, selText, selBack, inactiveSelText, inactiveSelBack, lineNumberText,
        lineNumberBack;

    static std::wstring_view Key(Slot slot);
    LexColorPair& At(Slot slot);

    // Every override from the profile (may be null); a key it lacks leaves no override.
    void LoadOverrides(pw::Profile* profile);
    // Sets the override (kColorNotSet removes it); with `persist` also writes it. False only
    // when that write was asked for and failed: the override applies either way.
    bool SetOverride(Slot slot, int32_t color, bool persist, pw::Profile* profile);

    // With syntax colouring on, the colours the text's top class sets are the defaults, so that
    // the band after a row's end and the runs agree.
    PainterColors WithTopClass(const LexTextAttributes& top) const;
};
