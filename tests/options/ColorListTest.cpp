// The colour picker's items: the custom item coming and going as colours are chosen, the default
// shown for a colour that is not set, and colours kept to 24 bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>

#include "options/ColorList.h"

namespace {

using pw::options::ColorList;

constexpr uint32_t kUnlistedDefault = 0xFA9630;  // a highlight colour no item names

TEST(ColorList, TheCustomItemComesWithAnUnlistedColourAndGoesWithAListedOne) {
    struct Choice {
        int32_t color;
        size_t index;         // of the item shown
        size_t count;         // items then
        const wchar_t* name;  // of the item shown
        uint32_t custom;      // the last item's colour while there is a custom one
    };
    const Choice choices[] = {
        {0x000080, 2, 16, L"Maroon", 0},
        {0x123456, 16, 17, L"Custom", 0x123456},
        {0x654321, 16, 17, L"Custom", 0x654321},
        {0x654321, 16, 17, L"Custom", 0x654321},
        {0xFFFF00, 15, 16, L"Turquoise", 0},
        {0xABCDEF, 16, 17, L"Custom", 0xABCDEF},
        {kColorNotSet, 16, 17, L"Custom", kUnlistedDefault},
        {0x000000, 0, 16, L"Black", 0},
    };
    ColorList list(kUnlistedDefault);
    for (const Choice& c : choices) {
        SCOPED_TRACE(std::to_string(c.color));
        EXPECT_EQ(list.Show(c.color), c.index);
        EXPECT_EQ(list.Count(), c.count);
        EXPECT_EQ(list.HasCustom(), c.count == 17);
        EXPECT_EQ(list.NameAt(c.index), c.name);
        EXPECT_EQ(list.ColorAt(c.index), list.Shown());
        if (list.HasCustom()) {
            EXPECT_EQ(list.ColorAt(16), c.custom);
        }
    }
}

TEST(ColorList, EveryNamedColourIsItsOwnItemWithADistinctName) {
    ColorList list(0);
    std::set<std::wstring> names;
    for (size_t i = 0; i < ColorList::kNamed; ++i) {
        EXPECT_EQ(list.Show(static_cast<int32_t>(list.ColorAt(i))), i);
        EXPECT_FALSE(list.HasCustom());
        names.emplace(list.NameAt(i));
    }
    EXPECT_EQ(names.size(), ColorList::kNamed);
}

TEST(ColorList, NotSetShowsTheDefaultAndTheDefaultReadsBackAsNotSet) {
    for (const uint32_t fallback : {0xFFFFFFu, 0x000000u, kUnlistedDefault}) {
        ColorList list(fallback);
        EXPECT_EQ(list.Chosen(), kColorNotSet) << fallback;
        list.Show(kColorNotSet);
        EXPECT_EQ(list.Shown(), fallback);
        EXPECT_EQ(list.Chosen(), kColorNotSet);
        list.Show(0x0000FF);
        EXPECT_EQ(list.Chosen(), fallback == 0x0000FF ? kColorNotSet : 0x0000FF);
        list.Show(static_cast<int32_t>(fallback));
        EXPECT_EQ(list.Chosen(), kColorNotSet) << "chosen back, the default is stored as not set";
    }
}

TEST(ColorList, ColoursAreKeptToTwentyFourBits) {
    std::mt19937 random(7);
    ColorList masked(0xFF0000);
    ColorList plain(0xFF0000);
    for (int i = 0; i < 500; ++i) {
        const uint32_t color = random() & ColorList::kMask;
        const uint32_t high = (random() % 0x7F + 1) << 24;  // never kColorNotSet
        EXPECT_EQ(masked.Show(static_cast<int32_t>(color | high)), plain.Show(static_cast<int32_t>(color)));
        EXPECT_EQ(masked.Shown(), color);
        EXPECT_EQ(masked.Chosen(), plain.Chosen());
    }
    EXPECT_EQ(ColorList(0x12FFFFFF).Default(), 0xFFFFFFu);
}

TEST(ColorList, AnIndexOutOfRangeReadsAsTheDefault) {
    ColorList list(kUnlistedDefault);
    EXPECT_EQ(list.ColorAt(16), kUnlistedDefault);
    EXPECT_EQ(list.ColorAt(1000), kUnlistedDefault);
    EXPECT_EQ(list.NameAt(1000), L"");
}

}  // namespace
