// A page's header and footer measured and drawn on a device context.
#include <windows.h>

#include <gtest/gtest.h>

#include "editor/win32/DibSection.h"
#include "print/win32/BandPainter.h"

namespace {

using namespace pw::win32;

constexpr COLORREF kPaper = RGB(255, 255, 255);

bool Inked(const DibSection& page, int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (page.Pixel(x, y) != kPaper)
                return true;
    return false;
}

CQELPrintPageHeaderFooter Band(bool header, const wchar_t* format) {
    CQELPrintPageHeaderFooter band(header);
    band.SetFormatString(format);
    band.FormatForPage({1, 2}, L"doc.c", [](DateTimeForm) { return std::wstring(L"12:00"); });
    return band;
}

TEST(BandPainter, PartsShareTheBandAndTheTextAreaMovesPastTheBlock) {
    const LOGFONTW font = DefaultBandFont();
    DibSection page(600, 200);
    ASSERT_TRUE(page);
    page.Dc().FillSolid(RECT{0, 0, 600, 200}, kPaper);

    // Measuring draws nothing but moves the edge as drawing does.
    RECT measured{0, 10, 600, 190};
    const int height = DrawBand(page.Dc(), Band(true, L"Left&bCentre&bRight"), font, measured, true);
    ASSERT_GT(height, 0);
    EXPECT_EQ(measured.bottom, 10 + height + 3);
    EXPECT_FALSE(Inked(page, 0, 0, 600, 200));

    RECT header{0, 10, 600, 190};
    EXPECT_EQ(DrawBand(page.Dc(), Band(true, L"Left&bCentre&bRight"), font, header, false), height);
    EXPECT_EQ(header.bottom, measured.bottom);
    for (const auto& [from, to] : {std::pair(0, 200), std::pair(200, 400), std::pair(400, 600)})
        EXPECT_TRUE(Inked(page, from, 10, to, 10 + height)) << from;
    EXPECT_FALSE(Inked(page, 0, 10 + height, 600, 200));

    // A footer with one part: the whole band, left-aligned, above the bottom.
    RECT footer{0, 10, 600, 190};
    const int footerHeight = DrawBand(page.Dc(), Band(false, L"Page &p of &P"), font, footer, false);
    ASSERT_GT(footerHeight, 0);
    EXPECT_EQ(footer.top, 190 - footerHeight - 3);
    EXPECT_TRUE(Inked(page, 0, 190 - footerHeight, 100, 190));
    EXPECT_FALSE(Inked(page, 300, 190 - footerHeight, 600, 190));

    // A long part beside others wraps in its column: taller than one line.
    RECT wrapped{0, 0, 600, 200};
    const std::wstring longText(60, L'w');
    const int tall = DrawBand(page.Dc(), Band(true, (longText + L" " + longText + L"&b&bRight").c_str()),
                              font, wrapped, true);
    EXPECT_GT(tall, height);

    // No text: no height and no gap; nor without width.
    RECT untouched{0, 10, 600, 190};
    EXPECT_EQ(DrawBand(page.Dc(), Band(true, L""), font, untouched, false), 0);
    EXPECT_EQ(untouched.bottom, 190);
    RECT narrow{5, 10, 5, 190};
    EXPECT_EQ(DrawBand(page.Dc(), Band(true, L"a&bb"), font, narrow, false), 0);
}

}  // namespace
