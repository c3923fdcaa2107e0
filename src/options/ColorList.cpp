#include "options/ColorList.h"

namespace pw::options {

namespace {

struct NamedColor {
    uint32_t color;
    std::wstring_view name;
};

constexpr NamedColor kColors[ColorList::kNamed] = {
    {0x000000, L"Black"},    {0xFFFFFF, L"White"},     {0x000080, L"Maroon"}, {0x008000, L"Dark Green"},
    {0x008080, L"Olive"},    {0x800000, L"Dark Blue"}, {0x800080, L"Purple"}, {0x808000, L"Teal"},
    {0xC0C0C0, L"Gray-25%"}, {0x808080, L"Gray-50%"},  {0x0000FF, L"Red"},    {0x00FF00, L"Green"},
    {0x00FFFF, L"Yellow"},   {0xFF0000, L"Blue"},      {0xFF00FF, L"Pink"},   {0xFFFF00, L"Turquoise"}};

}  // namespace

uint32_t ColorList::ColorAt(size_t index) const {
    if (index < kNamed)
        return kColors[index].color;
    return index == kNamed && custom_ ? *custom_ : default_;
}

std::wstring_view ColorList::NameAt(size_t index) const {
    if (index < kNamed)
        return kColors[index].name;
    return index == kNamed && custom_ ? L"Custom" : L"";
}

std::optional<size_t> ColorList::Find(uint32_t color) {
    for (size_t i = 0; i < kNamed; ++i)
        if (kColors[i].color == (color & kMask))
            return i;
    return std::nullopt;
}

size_t ColorList::Show(int32_t color) {
    shown_ = color == kColorNotSet ? default_ : static_cast<uint32_t>(color) & kMask;
    if (const auto named = Find(shown_)) {
        custom_.reset();
        return *named;
    }
    custom_ = shown_;
    return kNamed;
}

int32_t ColorList::Chosen() const {
    return shown_ == default_ ? kColorNotSet : static_cast<int32_t>(shown_);
}

}  // namespace pw::options
