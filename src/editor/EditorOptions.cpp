#include "editor/EditorOptions.h"

#include "platform/Profile.h"

namespace {

struct OptionInfo {
    std::wstring_view key;
    bool fallback;
};

constexpr OptionInfo kOptions[EditorOptions::kCount] = {
    {L"LineNumbers", true}, {L"SelMargin", true},     {L"VScrollBar", true},
    {L"HScrollBar", true},  {L"SyntaxColor", true},   {L"AutoIndent", true},
    {L"WideCaret", true},   {L"TabWithSpace", false}, {L"VirtualSpace", false},
};

}  // namespace

std::wstring_view EditorOptions::Key(Option option) {
    return kOptions[option].key;
}

bool EditorOptions::Default(Option option) {
    return kOptions[option].fallback;
}

void EditorOptions::Load(pw::Profile* profile) {
    for (int i = 0; i < kCount; ++i) {
        const auto option = static_cast<Option>(i);
        values_[i] = Default(option);
        if (profile)
            values_[i] = profile->GetInt(std::wstring(EditorOptions::kSection), std::wstring(Key(option)),
                                         values_[i]) != 0;
    }
}

bool EditorOptions::Set(Option option, bool value, bool persist, pw::Profile* profile) {
    values_[option] = value;
    if (!persist)
        return true;
    return profile &&
           profile->WriteInt(std::wstring(EditorOptions::kSection), std::wstring(Key(option)), value ? 1 : 0);
}
