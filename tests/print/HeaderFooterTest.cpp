// A header's or footer's format expanded for a page, and the band shared among its parts.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "print/HeaderFooter.h"

namespace {

std::wstring Clock(DateTimeForm form) {
    switch (form) {
        case DateTimeForm::kShortDate:
            return L"SD";
        case DateTimeForm::kLongDate:
            return L"LD";
        case DateTimeForm::kTime:
            return L"T";
        case DateTimeForm::kTime24:
            return L"T24";
    }
    return {};
}

struct FormatCase {
    const wchar_t* format;
    int page, count;
    const wchar_t* title;  // null: none
    const wchar_t* parts;  // left|centre|right
};

TEST(HeaderFooter, FormatsExpandForAPage) {
    constexpr int kNot = PageNumbers::kNotCounted;
    const FormatCase cases[] = {
        {L"&w &b&b &d &t", 1, 5, L"doc.c", L"doc.c || SD T"},
        {L"Page &p of &P", 3, 7, nullptr, L"Page 3 of 7||"},
        {L"Page &p of &P", 3, kNot, nullptr, L"Page 3 of *||"},
        {L"&&p &&&p", 4, 9, nullptr, L"&p &4||"},
        {L"a\\nb", 1, 1, nullptr, L"a\nb||"},
        {L"&w", 1, 1, nullptr, L"&w||"},  // no title: the code stays
        {L"L&bC", 1, 1, nullptr, L"L|C|"},
        {L"L&bC&bR&bX", 1, 1, nullptr, L"L|C|R&bX"},
        {L"&x & end&", 1, 1, nullptr, L"&x & end&||"},  // not codes: kept as written
        {L"&D&T", 1, 1, nullptr, L"LDT24||"},
        {L"&w&b&p", 2, 2, L"&p &d", L"&p &d|2|"},  // what a code puts in is not read again
    };
    for (const FormatCase& c : cases) {
        CQELPrintPageHeaderFooter band;
        band.SetFormatString(c.format);
        band.FormatForPage({c.page, c.count}, c.title ? std::optional<std::wstring>(c.title) : std::nullopt,
                           Clock);
        EXPECT_EQ(band.GetTextLeft() + L"|" + band.GetTextCenter() + L"|" + band.GetTextRight(), c.parts)
            << testing::PrintToString(std::wstring(c.format));
    }
}

TEST(HeaderFooter, TextsBelongToTheirFormatAndDatesAreCut) {
    CQELPrintPageHeaderFooter band(false);
    EXPECT_FALSE(band.IsHeader());
    band.SetTextCenter(L"set by the host");
    band.FormatForPage({}, std::nullopt, Clock);  // no format: the host's text stays
    EXPECT_EQ(band.GetTextCenter(), L"set by the host");
    EXPECT_EQ(band.SolePart(), 1);
    band.SetFormatString(L"&d");
    EXPECT_TRUE(band.IsEmpty()) << "a new format drops the old texts";
    band.FormatForPage({}, std::nullopt, [](DateTimeForm) { return std::wstring(300, L'x'); });
    EXPECT_EQ(band.GetTextLeft().size(), CQELPrintPageHeaderFooter::kDateTimeLimit);
    band.SetTextRight(L"  ");
    EXPECT_EQ(band.SolePart(), 0) << "blanks are no text";
    band.SetTextRight(L"r");
    EXPECT_EQ(band.SolePart(), std::nullopt);
    band.Clear();
    EXPECT_TRUE(band.IsEmpty());
    EXPECT_TRUE(band.GetFormatString().empty());
}

// The search without its shortcuts: every candidate scored.
BandColumns Exhaustive(int width, int wl, int wc, int wr) {
    auto lines = [](int64_t text, int64_t column) {
        return (std::max<int64_t>(text, 1) + column - 1) / column;
    };
    BandColumns best;
    int64_t bestScore = INT64_MAX, bestDeviation = INT64_MAX;
    const int ninth = width / 9, third = width / 3;
    for (int l = ninth; l <= width / 2 - ninth; l += 15)
        for (int c = ninth; c <= width - ninth - l; c += 15) {
            const int r = width - l - c;
            const int64_t score = std::max({lines(wl, l), lines(wc, c), lines(wr, r)});
            const int64_t deviation = std::abs(third - l) + std::abs(third - c) + std::abs(third - r);
            if (score < bestScore || (score == bestScore && deviation < bestDeviation)) {
                bestScore = score;
                bestDeviation = deviation;
                best = {l, c, r};
            }
        }
    return best;
}

TEST(HeaderFooter, TheBandIsSharedAsTheFullSearchWouldShareIt) {
    EXPECT_FALSE(ShareBandWidth(0, 10, 10, 10));
    EXPECT_FALSE(ShareBandWidth(500, 0, 0, 0));
    for (const int narrow : {1, 5, 8}) {
        const std::optional<BandColumns> columns = ShareBandWidth(narrow, 100, 0, 100);
        ASSERT_TRUE(columns) << narrow;  // no division by a zero-wide column
        EXPECT_EQ(std::tuple(columns->left, columns->center, columns->right), std::tuple(1, 1, 1)) << narrow;
    }
    std::mt19937 random(7);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int i = 0; i < 300; ++i) {
        const int width = pick(9, 4000);
        const int wl = pick(0, 6000), wc = pick(0, 3) == 0 ? 0 : pick(0, 6000), wr = pick(0, 6000);
        const std::optional<BandColumns> columns = ShareBandWidth(width, wl, wc, wr);
        if (wl == 0 && wc == 0 && wr == 0) {
            EXPECT_FALSE(columns);
            continue;
        }
        ASSERT_TRUE(columns);
        const BandColumns expected = Exhaustive(width, wl, wc, wr);
        EXPECT_EQ(std::tuple(columns->left, columns->center, columns->right),
                  std::tuple(expected.left, expected.center, expected.right))
            << width << " " << wl << " " << wc << " " << wr;
        if (width / 2 - width / 9 >= width / 9) {
            EXPECT_EQ(columns->left + columns->center + columns->right, width);
        }
    }
}

}  // namespace
