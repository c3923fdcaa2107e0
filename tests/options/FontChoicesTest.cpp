// The font page's arithmetic and lists: sizes and heights, the sizes a user may type, the styles
// of a font, and faces, scripts and raster sizes each listed once.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "options/FontChoices.h"

namespace {

using namespace pw::options;

TEST(FontChoices, EverySizeSurvivesTheWayToAHeightAndBack) {
    for (const int dpi : {72, 96, 120, 144, 192})
        for (int points = 1; points <= 1638; ++points) {
            const int height = HeightOf(points, dpi);
            ASSERT_LT(height, 0) << points << " at " << dpi;
            ASSERT_EQ(PointSize(height, dpi), points) << dpi;
        }
}

TEST(FontChoices, HeightsAreThePixelsOfTheSizeAtTheResolution) {
    struct Case {
        int points, dpi, height;
    };
    const Case cases[] = {{10, 96, -13}, {12, 96, -16}, {9, 96, -12}, {10, 120, -17}, {72, 72, -72}};
    for (const Case& c : cases) {
        EXPECT_EQ(HeightOf(c.points, c.dpi), c.height) << c.points << " at " << c.dpi;
        EXPECT_EQ(PointSize(c.height, c.dpi), c.points);
    }
    EXPECT_EQ(PointSize(-13, 0), 0) << "a device without a resolution";
    EXPECT_EQ(PointSize(INT_MIN, 1), INT_MAX) << "clamped";
}

TEST(FontChoices, ASizeIsItsAbsoluteValueFromOneTo1638ElseTen) {
    struct Case {
        const wchar_t* typed;
        int size;
    };
    const Case cases[] = {
        {L"12", 12},          {L"-12", 12},  {L"1", 1},  {L"1638", 1638},
        {L"-1638", 1638},     {L"1639", 10}, {L"0", 10}, {L"", 10},
        {L"abc", 10},         {L"12pt", 10}, {L" 9", 9}, {L"99999999999999999999", 10},
        {L"-2147483648", 10},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckedSize(c.typed), c.size) << c.typed;
    for (const int points : {INT_MIN, -1639, 0, 1639, INT_MAX}) EXPECT_EQ(CheckedSize(points), 10) << points;
    for (int points = -1638; points <= 1638; ++points) {
        if (points != 0) {
            ASSERT_EQ(CheckedSize(std::to_wstring(points)), std::abs(points));
        }
    }
}

TEST(FontChoices, AStyleIsBoldFrom700AndItalicWhenTheFontIs) {
    struct Case {
        int weight;
        bool italic;
        FontStyle style;
    };
    const Case cases[] = {
        {0, false, FontStyle::kRegular},     {400, false, FontStyle::kRegular},
        {699, false, FontStyle::kRegular},   {700, false, FontStyle::kBold},
        {900, false, FontStyle::kBold},      {400, true, FontStyle::kItalic},
        {700, true, FontStyle::kBoldItalic}, {1000, true, FontStyle::kBoldItalic},
    };
    for (const Case& c : cases) EXPECT_EQ(StyleOf(c.weight, c.italic), c.style) << c.weight << c.italic;
}

TEST(FontChoices, EachStyleComesBackFromTheFontItGivesUnderItsName) {
    const wchar_t* names[kFontStyles] = {L"Regular", L"Bold", L"Italic", L"Bold Italic"};
    for (int i = 0; i < kFontStyles; ++i) {
        const auto style = static_cast<FontStyle>(i);
        EXPECT_EQ(StyleOf(WeightOf(style), IsItalic(style)), style) << i;
        EXPECT_EQ(StyleName(style), names[i]);
    }
}

TEST(FontChoices, FacesAndScriptsAreListedOnceInTheOrderMet) {
    FontChoices choices;
    EXPECT_TRUE(choices.AddFace(L"Fixedsys"));
    EXPECT_TRUE(choices.AddFace(L"Mono"));
    EXPECT_FALSE(choices.AddFace(L"Fixedsys"));
    EXPECT_FALSE(choices.AddFace(L""));
    EXPECT_EQ(choices.Faces(), (std::vector<std::wstring>{L"Fixedsys", L"Mono"}));

    struct Script {
        const wchar_t* name;
        int charset;
        bool added;
    };
    const Script scripts[] = {{L"Western", 0, true},
                              {L"Cyrillic", 204, true},
                              {L"Western", 0, false},
                              {L"Other name", 204, false},
                              {L"Greek", 161, true}};
    for (const Script& s : scripts) EXPECT_EQ(choices.AddScript(s.name, s.charset), s.added) << s.name;
    ASSERT_EQ(choices.Scripts().size(), 3u);
    EXPECT_EQ(choices.Scripts()[1].name, L"Cyrillic");
    EXPECT_EQ(choices.Scripts()[2].charset, 161);

    choices.ClearFace();
    EXPECT_TRUE(choices.Scripts().empty());
    EXPECT_EQ(choices.Faces().size(), 2u) << "the faces stay";
}

TEST(FontChoices, RasterSizesAreListedOnceInOrderElseTheStandardSizes) {
    FontChoices choices;
    const std::vector<std::wstring> standard{L"8",  L"9",  L"10", L"11", L"12", L"14", L"16", L"18",
                                             L"20", L"22", L"24", L"26", L"28", L"36", L"48", L"72"};
    EXPECT_EQ(choices.Sizes(), standard);
    struct Raster {
        int cell, leading, dpi;
    };
    // 15 - 3 pixels at 96 dpi are 9 points; 16 - 0 are 12; 13 - 0 are 9.75, shown as 10.
    for (const Raster& r : {Raster{16, 0, 96}, Raster{15, 3, 96}, Raster{13, 0, 96}, Raster{12, 0, 96},
                            Raster{16, 0, 96}, Raster{5, 5, 96}, Raster{10, 0, 0}})
        choices.AddRasterSize(r.cell, r.leading, r.dpi);
    EXPECT_EQ(choices.Sizes(), (std::vector<std::wstring>{L"9", L"10", L"12"}));
    choices.ClearFace();
    EXPECT_EQ(choices.Sizes(), standard);
}

}  // namespace
