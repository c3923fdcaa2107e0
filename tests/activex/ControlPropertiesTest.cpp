// What the control persists, through the stream form: any properties come back as saved (made
// sound), and damaged data of any kind is refused without a crash.
#include <gtest/gtest.h>

#include <random>

#include "activex/ControlProperties.h"

namespace {

PersistedProperties RandomProperties(std::mt19937& random) {
    PersistedProperties p;
    p.borderStyle = static_cast<int32_t>(random());
    p.readOnly = random() % 2 == 1;
    p.editorText.resize(random() % 40);
    for (wchar_t& c : p.editorText) c = static_cast<wchar_t>(random() % 0x10000);  // NULs and halves too
    for (int32_t& option : p.options) option = static_cast<int32_t>(random() % 3) - 1;
    return p;
}

bool Same(const PersistedProperties& a, const PersistedProperties& b) {
    return a.borderStyle == b.borderStyle && a.editorText == b.editorText && a.readOnly == b.readOnly &&
           a.options == b.options;
}

TEST(ControlProperties, TheStreamGivesBackWhatWasSaved) {
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        const PersistedProperties saved = RandomProperties(random);
        const std::optional<PersistedProperties> loaded = LoadFromStream(SaveToStream(saved));
        ASSERT_TRUE(loaded) << i;
        EXPECT_TRUE(Same(*loaded, saved)) << i;
    }
    // The version word leads, little-endian.
    const std::vector<uint8_t> bytes = SaveToStream({});
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{2, 0, 0x0B, 0}));
}

TEST(ControlProperties, DamagedStreamsAreRefused) {
    std::mt19937 random(11);
    PersistedProperties saved = RandomProperties(random);
    saved.editorText = L"int main();";
    const std::vector<uint8_t> bytes = SaveToStream(saved);
    for (size_t size = 0; size < bytes.size(); ++size)  // every cut
        EXPECT_FALSE(LoadFromStream(std::vector<uint8_t>(bytes.begin(), bytes.begin() + size))) << size;
    std::vector<uint8_t> otherVersion = bytes;
    otherVersion[2] = 0x0A;
    EXPECT_FALSE(LoadFromStream(otherVersion));
    std::vector<uint8_t> longString = bytes;
    longString[11] = 0x7F;  // the text's count, far past the data
    EXPECT_FALSE(LoadFromStream(longString));
}

// Values another writer left are read as sound ones: any non-zero is true, options keep -1.
TEST(ControlProperties, LoadedValuesAreMadeSound) {
    PersistedProperties odd;
    odd.options = {5, -1, 0, -7, 1, 2, -1, 0};
    const std::optional<PersistedProperties> loaded = LoadFromStream(SaveToStream(odd));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->options, (std::array<int32_t, 8>{1, -1, 0, 1, 1, 1, -1, 0}));
}

}  // namespace
