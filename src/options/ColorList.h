#pragma once
// The colour picker's items: sixteen named colours and, while the picker shows a colour none of
// them has, one more item "Custom" holding it. Each picker has a default colour (a system
// colour); a colour that is not set shows as the default and reads back as not set, so that a
// change of the system's colours still reaches it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "lexer/LexTextAttributes.h"

namespace pw::options {

class ColorList {
public:
    static constexpr size_t kNamed = 16;
    // Windows' colours (0x00BBGGRR) keep their low 24 bits here.
    static constexpr uint32_t kMask = 0xFFFFFF;

    explicit ColorList(uint32_t defaultColor) : default_(defaultColor & kMask) {}

    // The named items, then the custom one when there is one.
    size_t Count() const { return custom_ ? kNamed + 1 : kNamed; }
    uint32_t ColorAt(size_t index) const;
    std::wstring_view NameAt(size_t index) const;
    bool HasCustom() const { return custom_.has_value(); }
    // The named item of `color`, if any.
    static std::optional<size_t> Find(uint32_t color);

    // Shows `color` (kColorNotSet: the default) and returns its item's index: the custom item is
    // added, replaced or removed as the colour needs.
    size_t Show(int32_t color);
    uint32_t Shown() const { return shown_; }
    uint32_t Default() const { return default_; }
    // What to store: kColorNotSet when the default is shown, else the shown colour.
    int32_t Chosen() const;

private:
    uint32_t default_;
    uint32_t shown_ = default_;
    std::optional<uint32_t> custom_;
};

}  // namespace pw::options
