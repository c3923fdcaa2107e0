#include "buffer/LineCol.h"

#include <gtest/gtest.h>
#include <algorithm>

TEST(LineCol, OrdersByRowThenColumn) {
    EXPECT_LT((LineCol{1, 9}), (LineCol{2, 1}));
    EXPECT_LT((LineCol{2, 1}), (LineCol{2, 2}));
    EXPECT_EQ((LineCol{3, 4}), (LineCol{3, 4}));
    EXPECT_GE((LineCol{3, 4}), (LineCol{3, 4}));
    EXPECT_GT((LineCol{3, 0}), (LineCol{2, 100}));
}

TEST(LineCol, PacksRowAboveTwelveColumnBits) {
    EXPECT_EQ((LineCol{1, 0}).Packed(), 4096);
    EXPECT_EQ((LineCol{2, 5}).Packed() - (LineCol{1, 5}).Packed(), 4096);
    EXPECT_EQ((LineCol{1, 0x1003}).Packed(), 4096 + 3);  // only the low 12 column bits count
    EXPECT_EQ((LineCol{0x7FFFF, 0}).Packed(), 0x7FFFF000);
}

TEST(LineCol, ValidityAndClear) {
    LineCol p{5, 7};
    EXPECT_TRUE(p.IsValid());
    p.Clear();
    EXPECT_EQ(p, (LineCol{0, 0}));
    EXPECT_FALSE(p.IsValid());
}

TEST(LineCol, UnsetEndsFoldIntoTheRangeOfPositions) {
    LineCol start = kRangeStartUnset, end = kRangeEndUnset;
    for (LineCol p : {LineCol{4, 2}, LineCol{2, 9}, LineCol{3, 1}}) {
        start = std::min(start, p);
        end = std::max(end, p);
    }
    EXPECT_EQ(start, (LineCol{2, 9}));
    EXPECT_EQ(end, (LineCol{4, 2}));
    // Block corners take rows and columns separately.
    EXPECT_EQ(ComponentMin({4, 2}, {2, 9}), (LineCol{2, 2}));
    EXPECT_EQ(ComponentMax({4, 2}, {2, 9}), (LineCol{4, 9}));
}
