// The resources load from the module that holds the control's code.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "editor/win32/DibSection.h"
#include "editor/win32/ModuleResources.h"
#include "platform/win32/Module.h"
#include "resources/ResourceIds.h"

// <windows.h> names LoadStringW so; here the portable lookup is meant.
#undef LoadString
#include "platform/StringTable.h"

namespace {

TEST(Resources, EveryStringOfTheTableLoadsAsThePortableLookupHasIt) {
    int seen = 0;
#define PW_STRING(id, text)                                                                   \
    {                                                                                         \
        const wchar_t* loaded = nullptr;                                                      \
        int length = LoadStringW(pw::ThisModule(), id, reinterpret_cast<LPWSTR>(&loaded), 0); \
        EXPECT_EQ(std::wstring(loaded ? loaded : L"", length), pw::LoadString(id)) << id;     \
        EXPECT_FALSE(pw::LoadString(id).empty()) << id;                                       \
        ++seen;                                                                               \
    }
#include "resources/StringTable.inc"
#undef PW_STRING
    EXPECT_GT(seen, 10);
    EXPECT_EQ(LoadStringW(pw::ThisModule(), 9713, nullptr, 0), 0);  // no such id
}

TEST(Resources, CursorsLoadWithTheirHotSpots) {
    struct Case {
        int id;
        DWORD x, y;
    };
    const Case cases[] = {{PW_IDC_ROW_SELECT, 15, 0}, {PW_IDC_DRAG_COPY, 0, 0}, {PW_IDC_DRAG_MOVE, 0, 0}};
    for (const Case& c : cases) {
        HCURSOR cursor = pw::win32::LoadModuleCursor(c.id);
        ASSERT_NE(cursor, nullptr) << c.id;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << c.id;
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, c.x) << c.id;
        EXPECT_EQ(info.yHotspot, c.y) << c.id;
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
    }
    // Not from the program's own resources: a cursor of the module's, not the host's.
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(PW_IDC_ROW_SELECT)), nullptr);
}

TEST(Resources, TheGlyphBitmapMakesThreeMaskedImages) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(pw::ThisModule(), MAKEINTRESOURCEW(PW_IDB_MARGIN_GLYPHS),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 3 * 20);
    EXPECT_EQ(info.bmBitsPixel, 24);
    const int height = info.bmHeight;
    EXPECT_GE(height, 14);
    DeleteObject(bitmap);

    pw::win32::ImageList glyphs = pw::win32::LoadMarginGlyphs();
    ASSERT_TRUE(glyphs);
    HIMAGELIST list = glyphs.Get();
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    int width = 0, imageHeight = 0;
    ImageList_GetIconSize(list, &width, &imageHeight);
    EXPECT_EQ(width, pw::win32::kGlyphWidth);
    EXPECT_EQ(imageHeight, height);

    // Drawn on white, the mask leaves the corners white and each image has ink inside.
    pw::win32::DibSection section(20, height);
    for (int image = 0; image < 3; ++image) {
        section.Dc().FillSolid(RECT{0, 0, 20, height}, RGB(255, 255, 255));
        ASSERT_TRUE(ImageList_Draw(list, image, section.Dc(), 0, 0, ILD_TRANSPARENT));
        EXPECT_EQ(section.Pixel(0, 0), RGB(255, 255, 255)) << image;
        EXPECT_EQ(section.Pixel(19, height - 1), RGB(255, 255, 255)) << image;
        const COLORREF middle = section.Pixel(5, height / 2);  // left of the caret row's white arrow
        EXPECT_NE(middle, RGB(255, 255, 255)) << image;
        EXPECT_NE(middle, RGB(0, 255, 0)) << image;
    }
    // The breakpoint is red, the bookmarks are not.
    section.Dc().FillSolid(RECT{0, 0, 20, height}, RGB(255, 255, 255));
    ImageList_Draw(list, 2, section.Dc(), 0, 0, ILD_TRANSPARENT);
    const COLORREF red = section.Pixel(10, height / 2);
    EXPECT_GT(GetRValue(red), 2 * GetBValue(red));
}

TEST(Resources, TheCompletionIconIsOneImageMaskedWhereWhite) {
    pw::win32::ImageList icons = pw::win32::LoadCompletionIcons();
    ASSERT_TRUE(icons);
    EXPECT_EQ(ImageList_GetImageCount(icons.Get()), 1);
    int width = 0, height = 0;
    ImageList_GetIconSize(icons.Get(), &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    // On black, what was white in the bitmap stays black; the tile is drawn.
    pw::win32::DibSection section(16, 16);
    section.Dc().FillSolid(RECT{0, 0, 16, 16}, RGB(0, 0, 0));
    ASSERT_TRUE(ImageList_Draw(icons.Get(), 0, section.Dc(), 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(section.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(section.Pixel(15, 15), RGB(0, 0, 0));
    EXPECT_NE(section.Pixel(8, 8), RGB(0, 0, 0));
}

}  // namespace
