#include "platform/MemFile.h"
#include "platform/StringTable.h"

#include <gtest/gtest.h>

namespace {

TEST(MemFile, WritesUtf16LittleEndianAndReadsBack) {
    pw::MemFile file(4);
    file.WriteText(L"a\x20AC");
    ASSERT_EQ(file.Size(), 4u);
    EXPECT_EQ(file.Data()[0], 'a');
    EXPECT_EQ(file.Data()[1], 0);
    EXPECT_EQ(file.Data()[2], 0xAC);
    EXPECT_EQ(file.Data()[3], 0x20);
    EXPECT_EQ(file.Text(), L"a\x20AC");

    file.Seek(2);  // overwrite in place, then extend
    file.WriteText(L"bc");
    EXPECT_EQ(file.Text(), L"abc");
    file.Seek(0);
    char buf[16];
    EXPECT_EQ(file.Read(buf, sizeof buf), 6u);
    EXPECT_EQ(file.Read(buf, sizeof buf), 0u);
    file.Seek(100);
    EXPECT_EQ(file.Position(), 6u);
}

TEST(StringTable, KnownAndUnknownIds) {
    EXPECT_EQ(pw::LoadString(9714), L"Undefined command");
    EXPECT_EQ(pw::LoadString(9729), L"Delete text block");
    EXPECT_EQ(pw::LoadString(9749), L"File '%s' is modified by outside source!\nDo you want to reload?");
    EXPECT_EQ(pw::LoadString(9713), L"");
    EXPECT_EQ(pw::LoadString(0), L"");
}

// Values fill the placeholders in order; what they hold is never read as one.
TEST(StringTable, ValuesFillThePlaceholdersInOrder) {
    EXPECT_EQ(pw::LoadString(9774, {L"a%d.c", L"2", L"3"}), L"a%d.c [Pages 2 - 3]");
    EXPECT_EQ(pw::LoadString(9774, {L"doc"}), L"doc [Pages %d - %d]");  // too few: the rest stay
    EXPECT_EQ(pw::LoadString(9772, {L"7", L"8"}), L"Page 7");
    EXPECT_EQ(pw::LoadString(9713, {L"x"}), L"");
}

}  // namespace
