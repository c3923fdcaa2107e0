// Rows laid out on pages, and the print options' margins and contrast.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/Pagination.h"
#include "print/PrintOptions.h"

namespace {

// A text whose rows print `heights` tall (0: hidden in a fold) on pages `area` tall: a page takes
// the rows that fit; nothing when the area is smaller than a line.
Pagination::Consume Fitting(const std::vector<int>& heights, int area, std::vector<int>* asked = nullptr) {
    return [heights, area, asked](int page, int first) -> std::optional<int> {
        if (asked)
            asked->push_back(page);
        if (area < 1)
            return std::nullopt;
        int used = 0, rows = 0;
        for (size_t row = static_cast<size_t>(first - 1); row < heights.size() && used + heights[row] <= area;
             ++row) {
            used += heights[row];
            ++rows;
        }
        return rows;
    };
}

struct PageCase {
    std::vector<int> heights;
    int area;
    std::vector<int> firstRows;  // of each page; empty: the job fails
};

TEST(Pagination, EveryPageTakesAtLeastARowAndTheLastRowIsNeverDropped) {
    const PageCase cases[] = {
        {{}, 3, {1}},                           // an empty text: one empty page
        {{1, 1, 1, 1, 1, 1, 1}, 3, {1, 4, 7}},  // the last page holds the last row
        {{1, 5, 1}, 3, {1, 2, 3}},              // too tall for a page: printed clipped alone
        {{1, 1, 1, 0, 0}, 3, {1}},              // hidden rows at the end go with the last page
        {{1, 1, 1, 1, 0, 0, 1}, 3, {1, 4}},     // ... and hidden rows within are consumed
        {{1, 1}, 0, {}},                        // no room for a row: the job fails
    };
    for (const PageCase& c : cases) {
        Pagination pages(static_cast<int>(c.heights.size()), Fitting(c.heights, c.area));
        const std::optional<int> count = pages.CountPages();
        const std::string where = testing::PrintToString(c.heights) + " in " + std::to_string(c.area);
        if (c.firstRows.empty()) {
            EXPECT_FALSE(count) << where;
            EXPECT_TRUE(pages.Failed()) << where;
            continue;
        }
        ASSERT_EQ(count, static_cast<int>(c.firstRows.size())) << where;
        for (int page = 1; page <= *count; ++page) {
            ASSERT_TRUE(pages.Exists(page)) << where << " page " << page;
            EXPECT_EQ(pages.FirstRow(page), c.firstRows[static_cast<size_t>(page - 1)]) << where;
        }
        EXPECT_FALSE(pages.Exists(*count + 1)) << where;
    }
}

TEST(Pagination, APageAskedForLaysOutOnlyThePagesBeforeIt) {
    std::vector<int> asked;
    Pagination pages(10, Fitting(std::vector<int>(10, 1), 2, &asked));
    ASSERT_TRUE(pages.Exists(3));
    EXPECT_EQ(asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(pages.FirstRow(3), 5);
    pages.Printed(3, 4);  // printing took more than the layout thought: the next page follows it
    EXPECT_EQ(pages.FirstRow(3), 5);
    ASSERT_TRUE(pages.Exists(4));
    EXPECT_EQ(pages.FirstRow(4), 9);
    EXPECT_FALSE(pages.Exists(0));

    // Counting asks before each further page and stops when told.
    Pagination counted(10, Fitting(std::vector<int>(10, 1), 2));
    std::vector<int> told;
    EXPECT_FALSE(counted.CountPages([&](int page) {
        told.push_back(page);
        return page < 3;
    }));
    EXPECT_EQ(told, (std::vector<int>{2, 3}));
    EXPECT_EQ(counted.CountPages(), 5);
}

TEST(PrintOptions, MarginsInTheUsersMeasureReachTheDeviceWithoutOverflow) {
    struct Case {
        bool metric;
        int32_t margin;
        int64_t himetric;
        int dpi;
        int64_t device;
    };
    const Case cases[] = {
        {true, 1000, 1000, 600, 236},  // 10 mm at 600 dpi
        {false, 500, 1270, 600, 300},  // half an inch
        {false, INT32_MAX, int64_t{INT32_MAX} * 254 / 100, 1200,
         int64_t{INT32_MAX} * 254 / 100 * 1200 / 2540},
        {true, 0, 0, 300, 0},
    };
    for (const Case& c : cases) {
        CQELPrintOptions options(c.metric);
        EXPECT_EQ(options.GetMargin(CQELPrintOptions::kTop), c.metric ? 1000 : 500);
        ASSERT_TRUE(options.SetMargin(CQELPrintOptions::kTop, c.margin));
        EXPECT_EQ(options.MarginHimetric(CQELPrintOptions::kTop), c.himetric) << c.margin;
        EXPECT_EQ(options.MarginDevice(CQELPrintOptions::kTop, c.dpi), c.device) << c.margin;
    }
    CQELPrintOptions options;
    EXPECT_FALSE(options.SetMargin(CQELPrintOptions::kLeft, -1));
    EXPECT_EQ(options.GetMargin(CQELPrintOptions::kLeft), 1000);
    for (const auto& [given, kept] : {std::pair(-5, 0), std::pair(128, 128), std::pair(999, 255)}) {
        options.SetContrast(given);
        EXPECT_EQ(options.GetContrast(), kept);
    }
    const CQELPenwrightViewPrintOptions view(false);
    EXPECT_EQ(view.header.GetFormatString(), L"&w &b&b &d &t");
    EXPECT_EQ(view.footer.GetFormatString(), L"Page &p of &P");
    EXPECT_FALSE(view.footer.IsHeader());
    EXPECT_EQ(view.GetMargin(CQELPrintOptions::kBottom), 500);
}

}  // namespace
