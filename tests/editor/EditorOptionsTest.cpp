// Options come from the profile with their defaults as fallback; a value that cannot be saved
// is still in force.
#include <gtest/gtest.h>

#include "editor/EditorOptions.h"
#include "editor/PainterColors.h"
#include "platform/Profile.h"

namespace {

TEST(EditorOptions, ProfileValuesOverrideDefaults) {
    pw::MemoryProfile profile;
    profile.WriteInt(L"Settings", L"LineNumbers", 0);
    profile.WriteInt(L"Settings", L"VirtualSpace", 1);
    EditorOptions options;
    options.Load(&profile);
    for (int i = 0; i < EditorOptions::kCount; ++i) {
        const auto o = static_cast<EditorOptions::Option>(i);
        const bool expected = o == EditorOptions::kLineNumbers    ? false
                              : o == EditorOptions::kVirtualSpace ? true
                                                                  : EditorOptions::Default(o);
        EXPECT_EQ(options.Get(o), expected)
            << std::string(EditorOptions::Key(o).begin(), EditorOptions::Key(o).end());
    }
    EditorOptions defaults;
    defaults.Load(nullptr);
    EXPECT_TRUE(defaults.Get(EditorOptions::kSyntaxColor));
    EXPECT_FALSE(defaults.Get(EditorOptions::kTabWithSpace));
}

TEST(EditorOptions, FailedPersistingStillApplies) {
    pw::MemoryProfile profile;
    EditorOptions options;
    options.Load(&profile);

    EXPECT_TRUE(options.Set(EditorOptions::kSelMargin, false, true, &profile));
    EXPECT_EQ(profile.ReadInt(L"Settings", L"SelMargin"), 0u);

    profile.failWrites = true;
    EXPECT_FALSE(options.Set(EditorOptions::kWideCaret, false, true, &profile));
    EXPECT_FALSE(options.Get(EditorOptions::kWideCaret));
    EXPECT_FALSE(options.Set(EditorOptions::kAutoIndent, false, true, nullptr));
    EXPECT_FALSE(options.Get(EditorOptions::kAutoIndent));
    EXPECT_TRUE(options.Set(EditorOptions::kHScrollBar, false, false, &profile));  // nothing to persist
    EXPECT_FALSE(profile.ReadInt(L"Settings", L"HScrollBar"));
}

}  // namespace

namespace {

TEST(PainterColors, OverridesComeFromTheProfileAndStayWhenNotSaved) {
    pw::MemoryProfile profile;
    profile.WriteInt(L"Settings", L"ColorHiliteBack", 0x123456);
    profile.WriteInt(L"Settings", L"ColorLineNumberText", 0x000001);
    PainterColors colors;
    colors.LoadOverrides(&profile);
    for (int i = 0; i < PainterColors::kSlots; ++i) {
        const auto slot = static_cast<PainterColors::Slot>(i);
        const int32_t expected = slot == PainterColors::kSelBack          ? 0x123456
                                 : slot == PainterColors::kLineNumberText ? 0x000001
                                                                          : kColorNotSet;
        EXPECT_EQ(colors.At(slot).custom, expected) << i;
    }
    EXPECT_EQ(colors.selBack.custom, 0x123456);

    EXPECT_TRUE(colors.SetOverride(PainterColors::kText, 0x00FF00, true, &profile));
    EXPECT_EQ(profile.ReadInt(L"Settings", L"ColorText"), 0x00FF00u);
    profile.failWrites = true;
    EXPECT_FALSE(colors.SetOverride(PainterColors::kBack, 0x0000FF, true, &profile));
    EXPECT_EQ(colors.back.custom, 0x0000FF);
    EXPECT_TRUE(colors.SetOverride(PainterColors::kBack, kColorNotSet, false, &profile));
    EXPECT_EQ(colors.back.custom, kColorNotSet);
}

}  // namespace
