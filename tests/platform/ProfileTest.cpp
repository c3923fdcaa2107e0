#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <random>

#include "platform/FileSystem.h"
#include "platform/TempFolder.h"

namespace {

using pwtest::TempFolder;

// Points the system profile at a temporary folder where it is an ini file (XDG_CONFIG_HOME);
// on Windows it is the registry of the test prefix and the variable changes nothing.
class ScopedConfigHome {
public:
    explicit ScopedConfigHome(const std::filesystem::path& folder) {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        restore_ = Keep(std::string("XDG_CONFIG_HOME=") + (old ? old : ""));
        auto utf8 = folder.u8string();
        putenv(
            Keep("XDG_CONFIG_HOME=" + std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size())));
    }
    ~ScopedConfigHome() { putenv(restore_); }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

private:
    // putenv puts the very string into the environment, so every one given to it must live on.
    static char* Keep(std::string setting) {
        static std::deque<std::string> kept;
        return kept.emplace_back(std::move(setting)).data();
    }
    char* restore_;
};

// A section name of its own for each run: the registry of the test prefix outlives the run.
std::wstring FreshSection() {
    std::random_device random;
    return L"Test" + std::to_wstring(random());
}

struct ProfileKind {
    const char* name;
    std::function<std::unique_ptr<pw::Profile>(const TempFolder&)> make;
};

class AnyProfile : public testing::TestWithParam<ProfileKind> {
protected:
    std::unique_ptr<pw::Profile> Make() { return GetParam().make(temp_); }

    TempFolder temp_;
    ScopedConfigHome home_{temp_.Folder()};
    std::wstring section_ = FreshSection();
};

TEST_P(AnyProfile, IntegersRoundTrip) {
    auto profile = Make();
    EXPECT_EQ(profile->ReadInt(section_, L"TabSize"), std::nullopt);
    EXPECT_EQ(profile->GetInt(section_, L"TabSize", 4), 4);
    for (uint32_t value : {0u, 8u, 0x00FF8040u, 0xFFFFFFFFu}) {
        ASSERT_TRUE(profile->WriteInt(section_, L"TabSize", value));
        EXPECT_EQ(profile->ReadInt(section_, L"TabSize"), value);
    }
    EXPECT_EQ(profile->GetInt(section_, L"TabSize", 4), -1);  // stored as 32 bits, read back as int
}

TEST_P(AnyProfile, StringsRoundTripWhateverTheyHold) {
    auto profile = Make();
    const std::wstring values[] = {
        L"",
        L"plain",
        L"  spaces at both ends  ",
        L"\"quoted\"",
        L"C:\\path\\ending\\",
        L"\\n is not a line end",
        L"two\r\nlines",
        L"caf\x00E9 \x20AC \x65E5\x672C \xD83D\xDE00",
        L"; looks like a comment",
        L"=[x]=",
    };
    for (const auto& value : values) {
        ASSERT_TRUE(profile->WriteString(section_, L"FindHistory", value));
        EXPECT_EQ(profile->ReadString(section_, L"FindHistory"), value);
    }
    EXPECT_EQ(profile->GetString(section_, L"Missing", L"fallback"), L"fallback");
}

TEST_P(AnyProfile, BinaryRoundTrips) {
    auto profile = Make();
    std::vector<uint8_t> logFont(92);
    for (size_t i = 0; i < logFont.size(); ++i) logFont[i] = static_cast<uint8_t>(i * 37);
    ASSERT_TRUE(profile->WriteBinary(section_, L"LogFont", logFont));
    EXPECT_EQ(profile->ReadBinary(section_, L"LogFont"), logFont);
    ASSERT_TRUE(profile->WriteBinary(section_, L"LogFont", {}));
    EXPECT_EQ(profile->ReadBinary(section_, L"LogFont"), std::vector<uint8_t>());
    EXPECT_EQ(profile->ReadBinary(section_, L"Missing"), std::nullopt);
}

TEST_P(AnyProfile, KeysAndSectionsAreSeparate) {
    auto profile = Make();
    std::wstring other = FreshSection() + L"x";
    ASSERT_TRUE(profile->WriteInt(section_, L"A", 1));
    ASSERT_TRUE(profile->WriteInt(section_, L"B", 2));
    ASSERT_TRUE(profile->WriteInt(other, L"A", 3));
    EXPECT_EQ(profile->ReadInt(section_, L"A"), 1u);
    EXPECT_EQ(profile->ReadInt(section_, L"B"), 2u);
    EXPECT_EQ(profile->ReadInt(other, L"A"), 3u);
    EXPECT_EQ(profile->ReadInt(other, L"B"), std::nullopt);
}

// A value holding what would be a new section and key in an ini file stays one value.
TEST_P(AnyProfile, ValuesCannotInjectEntries) {
    auto profile = Make();
    std::wstring injected = FreshSection();
    std::wstring value = L"x\n[" + injected + L"]\nEvil=1";
    ASSERT_TRUE(profile->WriteString(section_, L"Find", value));
    EXPECT_EQ(profile->ReadString(section_, L"Find"), value);
    EXPECT_EQ(profile->ReadString(injected, L"Evil"), std::nullopt);
    EXPECT_EQ(profile->ReadString(section_, L"Evil"), std::nullopt);
}

class StoredProfile : public AnyProfile {};

TEST_P(StoredProfile, ValuesOutliveTheObjectThatWroteThem) {
    ASSERT_TRUE(Make()->WriteInt(section_, L"TabSize", 3));
    ASSERT_TRUE(Make()->WriteString(section_, L"Font", L"Courier New"));
    auto later = Make();
    EXPECT_EQ(later->ReadInt(section_, L"TabSize"), 3u);
    EXPECT_EQ(later->ReadString(section_, L"Font"), L"Courier New");
}

std::unique_ptr<pw::Profile> MakeMemory(const TempFolder&) {
    return std::make_unique<pw::MemoryProfile>();
}
std::unique_ptr<pw::Profile> MakeIniFile(const TempFolder& temp) {
    return std::make_unique<pw::IniFileProfile>(temp.Path("profile.ini"));
}
std::unique_ptr<pw::Profile> MakeSystem(const TempFolder&) {
    return pw::MakeSystemProfile();
}

INSTANTIATE_TEST_SUITE_P(Profiles, AnyProfile,
                         testing::Values(ProfileKind{"Memory", MakeMemory},
                                         ProfileKind{"IniFile", MakeIniFile},
                                         ProfileKind{"System", MakeSystem}),
                         [](const testing::TestParamInfo<ProfileKind>& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Profiles, StoredProfile,
                         testing::Values(ProfileKind{"IniFile", MakeIniFile},
                                         ProfileKind{"System", MakeSystem}),
                         [](const testing::TestParamInfo<ProfileKind>& info) { return info.param.name; });

TEST(MemoryProfile, AValueHasOneTypeAndWritesCanBeMadeToFail) {
    pw::MemoryProfile profile;
    ASSERT_TRUE(profile.WriteString(L"Settings", L"TabSize", L"4"));
    EXPECT_EQ(profile.ReadInt(L"Settings", L"TabSize"), std::nullopt);
    ASSERT_TRUE(profile.WriteInt(L"Settings", L"TabSize", 4));
    EXPECT_EQ(profile.ReadString(L"Settings", L"TabSize"), std::nullopt);
    EXPECT_EQ(profile.ReadInt(L"Settings", L"TabSize"), 4u);

    profile.failWrites = true;
    EXPECT_FALSE(profile.WriteInt(L"Settings", L"TabSize", 8));
    EXPECT_FALSE(profile.WriteString(L"Settings", L"Name", L"x"));
    EXPECT_FALSE(profile.WriteBinary(L"Settings", L"Blob", {1}));
    EXPECT_EQ(profile.ReadInt(L"Settings", L"TabSize"), 4u);
    EXPECT_EQ(profile.ReadString(L"Settings", L"Name"), std::nullopt);
}

TEST(IniFileProfile, WritesReadableTextAndKeepsTheRestOfTheFile) {
    TempFolder temp;
    auto path = temp.Write("profile.ini", "; my notes\n[Settings]\nTabSize=2\n\n[Mine]\nkeep=this\n");
    pw::IniFileProfile profile(path);
    EXPECT_EQ(profile.ReadInt(L"settings", L"tabsize"), 2u);  // names match without regard to case
    ASSERT_TRUE(profile.WriteInt(L"Settings", L"TabSize", 8));
    ASSERT_TRUE(profile.WriteBinary(L"Settings", L"LogFont", {0x00, 0xAB, 0x7F}));
    ASSERT_TRUE(profile.WriteString(L"Settings", L"Find", L"a\\b\nc"));
    EXPECT_EQ(
        temp.Read("profile.ini"),
        "; my notes\n[Settings]\nTabSize=8\nLogFont=00AB7F\nFind=\"a\\\\b\\nc\"\n\n[Mine]\nkeep=this\n");
}

TEST(IniFileProfile, ReadsHandWrittenValuesAsTheyStand) {
    TempFolder temp;
    auto path = temp.Write("profile.ini",
                           "[S]\nPath = C:\\new\\folder\nNum=12x\nBig=4294967296\nHex=0g\nOdd=ABC\nNeg=-1\n");
    pw::IniFileProfile profile(path);
    EXPECT_EQ(profile.ReadString(L"S", L"Path"), L"C:\\new\\folder");  // no quotes, no escapes
    EXPECT_EQ(profile.ReadInt(L"S", L"Num"), std::nullopt);
    EXPECT_EQ(profile.ReadInt(L"S", L"Big"), std::nullopt);  // does not fit 32 bits
    EXPECT_EQ(profile.ReadInt(L"S", L"Neg"), std::nullopt);
    EXPECT_EQ(profile.ReadBinary(L"S", L"Hex"), std::nullopt);
    EXPECT_EQ(profile.ReadBinary(L"S", L"Odd"), std::nullopt);
    EXPECT_EQ(profile.ReadBinary(L"S", L"Path"), std::nullopt);
}

TEST(IniFileProfile, RefusesNamesTheFileCannotHold) {
    TempFolder temp;
    pw::IniFileProfile profile(temp.Path("profile.ini"));
    const std::pair<std::wstring, std::wstring> bad[] = {
        {L"", L"k"},   {L"S", L""},       {L"a]b", L"k"},  {L"S", L"a=b"}, {L"S", L";k"},
        {L"S", L"[k"}, {L"S\n[X]", L"k"}, {L"S", L"k\nx"}, {L" S", L"k"},  {L"S", L"k "},
    };
    for (const auto& [section, key] : bad) EXPECT_FALSE(profile.WriteInt(section, key, 1));
    EXPECT_FALSE(pw::FileExists(temp.Path("profile.ini")));  // nothing was written at all
}

// Settings in a file we cannot read are not ours to overwrite.
TEST(IniFileProfile, LeavesAnUnreadableFileAlone) {
    TempFolder temp;
    std::string damaged = "[Settings]\nName=caf\xE9\n";  // Latin-1, not UTF-8
    auto path = temp.Write("profile.ini", damaged);
    pw::IniFileProfile profile(path);
    EXPECT_EQ(profile.ReadString(L"Settings", L"Name"), std::nullopt);
    EXPECT_FALSE(profile.WriteInt(L"Settings", L"TabSize", 4));
    EXPECT_EQ(temp.Read("profile.ini"), damaged);

    std::filesystem::create_directory(temp.Native("folder.ini"));
    pw::IniFileProfile onFolder(temp.Path("folder.ini"));
    EXPECT_FALSE(onFolder.WriteInt(L"Settings", L"TabSize", 4));
    EXPECT_TRUE(pw::IsFolder(temp.Path("folder.ini")));

    pw::IniFileProfile nowhere(temp.Path("missing-folder/profile.ini"));
    EXPECT_FALSE(nowhere.WriteInt(L"Settings", L"TabSize", 4));
    EXPECT_EQ(nowhere.ReadInt(L"Settings", L"TabSize"), std::nullopt);
}

TEST(AppProfile, IsWhateverWasInstalledLast) {
    pw::MemoryProfile first;
    pw::MemoryProfile second;
    pw::Profile* before = pw::SetAppProfile(&first);
    EXPECT_EQ(pw::AppProfile(), &first);
    EXPECT_EQ(pw::SetAppProfile(&second), &first);
    EXPECT_EQ(pw::AppProfile(), &second);
    EXPECT_EQ(pw::SetAppProfile(before), &second);
    EXPECT_EQ(pw::AppProfile(), before);
}

}  // namespace
