#include "buffer/LineReader.h"

#include <gtest/gtest.h>

#include "buffer/CrlfStyle.h"

namespace {

std::vector<std::pair<std::wstring, int>> ReadAll(std::wstring_view text) {
    std::vector<std::pair<std::wstring, int>> lines;
    LineReader reader(text);
    while (auto line = reader.Next()) lines.emplace_back(line->text, line->style);
    return lines;
}

using Lines = std::vector<std::pair<std::wstring, int>>;

}  // namespace

TEST(LineReader, ClassifiesEachLineEnd) {
    EXPECT_EQ(ReadAll(L"a\r\nb\n\rc\nd\re"), (Lines{{L"a", CrlfStyle::CrLf},
                                                    {L"b", CrlfStyle::LfCr},
                                                    {L"c", CrlfStyle::Lf},
                                                    {L"d", CrlfStyle::CrLf},
                                                    {L"e", CrlfStyle::None}}));
    // CR CR is two lone CRs; LF CR LF is LF CR and then LF.
    EXPECT_EQ(
        ReadAll(L"\r\rx\n\r\n"),
        (Lines{
            {L"", CrlfStyle::CrLf}, {L"", CrlfStyle::CrLf}, {L"x", CrlfStyle::LfCr}, {L"", CrlfStyle::Lf}}));
}

TEST(LineReader, NulIsACharacterOfItsLine) {
    EXPECT_EQ(ReadAll(std::wstring_view(L"a\0b\0\0\nc", 7)),
              (Lines{{std::wstring(L"a\0b\0\0", 5), CrlfStyle::Lf}, {L"c", CrlfStyle::None}}));
}

TEST(LineReader, EmptyRestIsNoLine) {
    EXPECT_TRUE(ReadAll(L"").empty());
    EXPECT_EQ(ReadAll(L"a\r\n"), (Lines{{L"a", CrlfStyle::CrLf}}));
    EXPECT_EQ(ReadAll(L"\n"), (Lines{{L"", CrlfStyle::Lf}}));
}

TEST(LineReader, LineEndsAroundTheChunkEdge) {
    const size_t chunk = LineReader::kChunk;
    for (size_t length : {chunk - 2, chunk - 1, chunk, chunk + 1}) {
        std::wstring head(length, L'x');
        for (std::wstring_view end : {L"\r\n", L"\n\r", L"\n", L"\r"}) {
            std::wstring text = head + std::wstring(end) + L"tail";
            int style = end == L"\n" ? CrlfStyle::Lf : end == L"\n\r" ? CrlfStyle::LfCr : CrlfStyle::CrLf;
            EXPECT_EQ(ReadAll(text), (Lines{{head, style}, {L"tail", CrlfStyle::None}}))
                << "length " << length << " end size " << end.size();
            // The same line end as the very last characters of the text.
            EXPECT_EQ(ReadAll(head + std::wstring(end)), (Lines{{head, style}}));
        }
    }
}
