// The text font as the profile keeps it: a stored value is used only when it can be trusted.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/LogFontRecord.h"
#include "platform/Profile.h"

namespace {

TEST(LogFontRecord, TheDefaultAsksForAFixedPitchFace) {
    const LogFontRecord font = LogFontRecord::Default();
    EXPECT_EQ(font.height, -13);
    EXPECT_EQ(font.weight, 400);
    EXPECT_EQ(font.charSet, 1);
    EXPECT_EQ(font.pitchAndFamily, 0x31);  // fixed pitch, modern family
    EXPECT_EQ(std::u16string(font.faceName), u"Courier New");
}

TEST(LogFontRecord, AStoredValueIsUsedOnlyWhenItIsWhole) {
    LogFontRecord mono = LogFontRecord::Default();
    mono.height = -20;
    std::memcpy(mono.faceName, u"DejaVu Sans Mono", sizeof u"DejaVu Sans Mono");
    const std::vector<uint8_t> good = mono.Bytes();
    ASSERT_EQ(good.size(), 92u);

    std::vector<uint8_t> unterminated = good;
    for (size_t i = 28; i < unterminated.size(); ++i) unterminated[i] = 'A';  // the face name's 32 units
    LogFontRecord huge = mono;
    huge.height = 50000;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool used;
    } cases[] = {
        {"whole", good, true},
        {"short", std::vector<uint8_t>(good.begin(), good.end() - 1), false},
        {"long",
         [&] {
             auto b = good;
             b.push_back(0);
             return b;
         }(),
         false},
        {"face name without its end", unterminated, false},
        {"height out of reason", huge.Bytes(), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        pw::MemoryProfile profile;
        profile.WriteBinary(L"Settings", L"LogFont", c.bytes);
        const LogFontRecord read = LogFontRecord::Load(&profile);
        EXPECT_EQ(read.height, c.used ? -20 : -13) << c.what;
        EXPECT_EQ(std::u16string(read.faceName), c.used ? u"DejaVu Sans Mono" : u"Courier New") << c.what;
    }
}

TEST(LogFontRecord, SavingWritesTheWholeRecordAndFailsWithoutAProfile) {
    pw::MemoryProfile profile;
    LogFontRecord font = LogFontRecord::Default();
    font.italic = 1;
    ASSERT_TRUE(font.Save(&profile));
    EXPECT_EQ(profile.ReadBinary(L"Settings", L"LogFont")->size(), 92u);
    EXPECT_EQ(LogFontRecord::Load(&profile).italic, 1);
    EXPECT_FALSE(font.Save(nullptr));
    profile.failWrites = true;
    EXPECT_FALSE(font.Save(&profile));
}

}  // namespace
