#pragma once
// The edit control's persisted options: their profile keys, defaults and values. The control
// applies a change (relayout, caret, scroll bars) whatever the profile says; the profile only
// decides whether the change outlives the session.
#include <array>
#include <string_view>

namespace pw {
class Profile;
}

class EditorOptions {
public:
    enum Option {
        kLineNumbers,
        kSelMargin,
        kVScrollBar,
        kHScrollBar,
        kSyntaxColor,
        kAutoIndent,
        kWideCaret,
        kTabWithSpace,
        kVirtualSpace,
        kCount
    };

    // The profile section of the control's settings.
    static constexpr std::wstring_view kSection = L"Settings";

    static std::wstring_view Key(Option option);
    static bool Default(Option option);

    // The defaults, then every value the profile (may be null) holds under its key.
    void Load(pw::Profile* profile);
    bool Get(Option option) const { return values_[option]; }
    // Stores the value; with `persist` also writes it to `profile`. False only when that write
    // was asked for and failed (no profile counts as failing): the value is set either way.
    bool Set(Option option, bool value, bool persist, pw::Profile* profile);

private:
    std::array<bool, kCount> values_{};
};
