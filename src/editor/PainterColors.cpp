#include "editor/PainterColors.h"

#include <string>

#include "editor/EditorOptions.h"
#include "platform/Profile.h"

namespace {

constexpr std::wstring_view kKeys[PainterColors::kSlots] = {L"ColorText",
                                                            L"ColorBack",
                                                            L"ColorHiliteText",
                                                            L"ColorHiliteBack",
                                                            L"ColorInactiveHiliteColorText",
                                                            L"ColorInactiveHiliteColorBack",
                                                            L"ColorLineNumberText",
                                                            L"ColorLineNumberBack"};

constexpr LexColorPair PainterColors::*kPairs[PainterColors::kSlots] = {&PainterColors::text,
                                                                        &PainterColors::back,
                                                                        &PainterColors::selText,
                                                                        &PainterColors::selBack,
                                                                        &PainterColors::inactiveSelText,
                                                                        &PainterColors::inactiveSelBack,
                                                                        &PainterColors::lineNumberText,
                                                                        &PainterColors::lineNumberBack};

}  // namespace

std::wstring_view PainterColors::Key(Slot slot) {
    return kKeys[slot];
}

LexColorPair& PainterColors::At(Slot slot) {
    return this->*kPairs[slot];
}

void PainterColors::LoadOverrides(pw::Profile* profile) {
    for (int i = 0; i < kSlots; ++i) {
        const auto slot = static_cast<Slot>(i);
        At(slot).custom = profile ? profile->GetInt(std::wstring(EditorOptions::kSection),
                                                    std::wstring(Key(slot)), kColorNotSet)
                                  : kColorNotSet;
    }
}

bool PainterColors::SetOverride(Slot slot, int32_t color, bool persist, pw::Profile* profile) {
    At(slot).custom = color;
    if (!persist)
        return true;
    return profile && profile->WriteInt(std::wstring(EditorOptions::kSection), std::wstring(Key(slot)),
                                        static_cast<uint32_t>(color));
}

PainterColors PainterColors::WithTopClass(const LexTextAttributes& top) const {
    PainterColors c = *this;
    c.text.standard = ShownColor(top.text, text.standard);
    c.back.standard = ShownColor(top.background, back.standard);
    c.selText.standard = ShownColor(top.selectedText, selText.standard);
    c.selBack.standard = ShownColor(top.selectedBackground, selBack.standard);
    return c;
}
