#include "buffer/TextIterator.h"

#include <gtest/gtest.h>
#include <climits>
#include <random>
#include <string_view>

#include "buffer/BufferTesting.h"
#include "buffer/CrlfStyle.h"
#include "platform/Event.h"

namespace {

using Iterator = pw::RefPtr<TextIterator>;

// The stream a text should give, with the offset at which each row starts in it.
struct Stream {
    Stream(const Rows& rows, int style) {
        for (const std::wstring& row : rows) {
            starts.push_back(text.size());
            // A NUL of the text reads as the stand-in: NUL marks the end of what is loaded.
            for (wchar_t c : row) text += c == L'\0' ? TextIterator::kNulStandIn : c;
            text += LineEndText(style);
        }
        if (!rows.empty())
            text += L"\r\n";
    }
    int RowCount() const { return static_cast<int>(starts.size()); }
    size_t RowLength(int row) const {  // with the line end
        return (row < RowCount() ? starts[row] : text.size() - 2) - starts[row - 1];
    }
    // The final CR LF and the end are no row's: (last row + 1, 0).
    LineCol At(size_t offset) const {
        int row = 1;
        while (row <= RowCount() && offset >= starts[row - 1] + RowLength(row)) ++row;
        return row > RowCount() ? LineCol{row, 0} : LineCol{row, static_cast<int>(offset - starts[row - 1])};
    }
    size_t Offset(LineCol p) const {
        return p.row > RowCount() ? text.size() - 2 : starts[p.row - 1] + static_cast<size_t>(p.col);
    }
    // What a reader looking k characters back from `offset` should see: the text, else the CR and
    // the zeros that stand before row 1.
    wchar_t Before(size_t offset, int k) const {
        auto at = static_cast<std::ptrdiff_t>(offset) - k;
        return at >= 0 ? text[static_cast<size_t>(at)] : at == -1 ? L'\r' : L'\0';
    }

    std::wstring text;
    std::vector<size_t> starts;
};

Rows RandomRows(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Rows rows(static_cast<size_t>(pick(1, 120)));
    for (std::wstring& row : rows) {
        int length = pick(0, 9) ? pick(0, 40) : pick(100, 900);  // some rows longer than a look-ahead
        for (int i = 0; i < length; ++i) row += std::wstring_view(L"ab \t{}\xE9\x4E2D\0", 9)[pick(0, 8)];
    }
    return rows;
}

Buffer MakeBuffer(const Rows& rows, int style) {
    Buffer buffer = ::MakeBuffer(rows);
    buffer->SetCrlfStyle(style);
    return buffer;
}

// The text between the start of the window and the position, found by looking back further than
// the window goes.
std::wstring_view LookBack(TextIterator& it) {
    it.SetViewOffset(INT_MIN);
    const wchar_t* start = it.GetTextPtr(0);
    it.SetViewOffset(0);
    const wchar_t* at = it.GetTextPtr(0);
    return {start, static_cast<size_t>(at - start)};
}

constexpr int kStyles[] = {CrlfStyle::CrLf, CrlfStyle::LfCr, CrlfStyle::Lf};

}  // namespace

TEST(TextIterator, OneRowStreamsWithItsLineEndAndAFinalCrLf) {
    Buffer buffer = MakeBuffer({L"ab"}, CrlfStyle::CrLf);
    buffer->SetFileExt(L".js");
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    EXPECT_FALSE(it->IsEOF());
    EXPECT_EQ(std::wstring(it->GetTextPtr(100)), L"ab\r\n\r\n");
    it->SetViewOffset(-1);  // the CR before row 1
    EXPECT_EQ(*it->GetTextPtr(0), L'\r');
    it->SetViewOffset(0);
    it->Advance(2, 0);
    EXPECT_EQ(it->GetPosition(), (LineCol{1, 2}));
    EXPECT_EQ(*it->GetTextPtr(0), L'\r');
    EXPECT_EQ(it->GetEndPosition(false), (LineCol{1, 2}));
    EXPECT_EQ(it->GetEndPosition(true), (LineCol{1, 4}));
    EXPECT_EQ(it->GetRowLength(1, true), 4);
    EXPECT_EQ(it->GetRowLengthBytes(1, false), 4);
    EXPECT_EQ(it->GetRowLength(2, true), 0);
    EXPECT_EQ(it->GetRowLength(0, true), 0);
    EXPECT_EQ(it->GetLineEnd(), L"\r\n");
    EXPECT_EQ(it->GetFileExt(), L".js");
    EXPECT_EQ(it->GetMaxBackOffset(), 20);
    EXPECT_EQ(pw::MakeRef<TextIterator>(buffer.get(), 300)->GetMaxBackOffset(), 300);
    EXPECT_EQ(pw::MakeRef<TextIterator>(buffer.get(), INT_MAX)->GetMaxBackOffset(),
              TextIterator::kMaxBackWindow);

    // Far past the end: the step is clipped and the position is the end's whatever the steps.
    EXPECT_EQ(*it->Advance(INT_MAX, INT_MAX), L'\0');
    EXPECT_TRUE(it->IsEOF());
    EXPECT_EQ(it->GetPosition(), (LineCol{2, 0}));
    EXPECT_EQ(it->Advance(1, 0), nullptr);
    EXPECT_EQ(it->GetPosition(), (LineCol{2, 0}));
    it->SeekStart();
    it->Advance(-3, -3);  // nothing to move back by
    EXPECT_EQ(it->GetPosition(), (LineCol{1, 0}));

    buffer->SetCrlfStyle(CrlfStyle::LfCr);
    it = pw::MakeRef<TextIterator>(buffer.get());
    EXPECT_EQ(std::wstring(it->GetTextPtr(1)), L"ab\n\r\r\n");
    EXPECT_EQ(it->GetLineEnd(), L"\n\r");
}

TEST(TextIterator, EmptyTextAndNoBufferAnswerNothing) {
    for (Buffer buffer : {MakeBuffer(Rows{}), Buffer()}) {
        Iterator it = pw::MakeRef<TextIterator>(buffer.get());
        EXPECT_TRUE(it->IsEOF());
        EXPECT_FALSE(it->SeekTo({1, 0}));
        EXPECT_EQ(std::wstring(it->GetTextPtr(10)), L"");
        EXPECT_EQ(it->Advance(1, 10), nullptr);
        EXPECT_EQ(it->PrevChar(), nullptr);
        EXPECT_EQ(it->GetPosition(), (LineCol{1, 0}));
        EXPECT_EQ(it->GetEndPosition(true), (LineCol{0, 0}));
        EXPECT_EQ(it->GetRowLength(1, true), 0);
        EXPECT_EQ(it->GetLineEnd(), L"\r\n");
        EXPECT_EQ(it->GetFileExt(), L"");
    }
}

// Random texts in every line-end style, read in random steps with random look-ahead: every
// pointer shows the stream from the position on, every position matches the model, and the text
// kept behind the position is the stream's but stays small however far the reader goes.
TEST(TextIterator, StreamsTheRowsWithTheirLineEnds) {
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 30; ++round) {
        Rows rows = RandomRows(rng);
        for (int style : kStyles) {
            Stream stream(rows, style);
            Buffer buffer = MakeBuffer(rows, style);
            int back = pick(0, 1) ? 0 : pick(21, 700);
            Iterator it = pw::MakeRef<TextIterator>(buffer.get(), back);

            std::wstring oneByOne;
            for (const wchar_t* p = it->GetTextPtr(1); !it->IsEOF(); p = it->Advance(1, 0)) oneByOne += *p;
            ASSERT_EQ(oneByOne, stream.text);

            it->SeekStart();
            size_t offset = 0;
            const wchar_t* p = it->GetTextPtr(0);
            while (p) {
                ASSERT_EQ(it->GetPosition(), stream.At(offset)) << "offset " << offset;
                ASSERT_EQ(it->IsEOF(), offset == stream.text.size());
                int ahead = pick(0, 1100);
                size_t shown = std::min(stream.text.size() - offset, static_cast<size_t>(ahead));
                p = it->GetTextPtr(ahead);
                ASSERT_EQ(std::wstring_view(p, shown), std::wstring_view(stream.text).substr(offset, shown));
                // The span is the same text with its extent: all that is loaded, then a NUL.
                const TextIterator::Span span = it->GetSpan(ahead);
                ASSERT_EQ(span.at, p);
                ASSERT_GE(span.ahead, shown);
                ASSERT_EQ(std::wstring_view(span.at, span.ahead),
                          std::wstring_view(stream.text).substr(offset, span.ahead));
                ASSERT_EQ(span.at[span.ahead], L'\0');
                ASSERT_GE(span.behind, std::min<size_t>(offset, it->GetMaxBackOffset()));
                std::wstring_view behind = LookBack(*it);
                ASSERT_EQ(behind.size(), span.behind);
                if (behind.size() <= offset) {
                    ASSERT_EQ(behind,
                              std::wstring_view(stream.text).substr(offset - behind.size(), behind.size()));
                }

                int step = pick(0, 4) ? pick(1, 20) : pick(20, 3000);
                p = it->Advance(step, pick(0, 1100));
                offset = std::min(offset + static_cast<size_t>(step), stream.text.size());
            }
            EXPECT_EQ(offset, stream.text.size());
            EXPECT_EQ(it->GetPosition(), (LineCol{stream.RowCount() + 1, 0}));
        }
    }
}

TEST(TextIterator, LongStreamKeepsASmallWindow) {
    Rows rows(20'000, L"some row of text");
    Stream stream(rows, CrlfStyle::CrLf);
    Buffer buffer = MakeBuffer(rows, CrlfStyle::CrLf);
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    while (it->Advance(64, 1024)) {
        std::wstring_view behind = LookBack(*it);
        size_t offset = stream.Offset(it->GetPosition());
        ASSERT_GE(behind.size(), std::min<size_t>(offset, 20));
        ASSERT_LE(behind.size(), 2048u);
    }
}

// After a seek to any position, the reader sees the text there and can look back B characters,
// or to the CR and zeros before row 1; positions past a row or past the text are not reached.
TEST(TextIterator, SeekToThenLookBack) {
    std::mt19937 rng(5);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 20; ++round) {
        Rows rows = RandomRows(rng);
        int style = kStyles[round % 3];
        Stream stream(rows, style);
        Buffer buffer = MakeBuffer(rows, style);
        Iterator it = pw::MakeRef<TextIterator>(buffer.get(), pick(0, 1) ? 0 : pick(21, 700));
        const int back = it->GetMaxBackOffset();
        for (int seek = 0; seek < 40; ++seek) {
            int row = pick(1, stream.RowCount());
            LineCol target{row, pick(0, static_cast<int>(stream.RowLength(row)) - 1)};
            ASSERT_TRUE(it->SeekTo(target));
            ASSERT_EQ(it->GetPosition(), target);
            size_t offset = stream.Offset(target);
            EXPECT_EQ(*it->GetTextPtr(0), stream.text[offset]);
            for (int k = 1; k <= back; ++k) {
                it->SetViewOffset(-k);
                const wchar_t* p = it->GetTextPtr(0);
                if (static_cast<size_t>(k) <= offset + 6) {
                    ASSERT_EQ(*p, stream.Before(offset, k)) << "k " << k;
                } else {  // not before the start of the window
                    it->SetViewOffset(-static_cast<int>(offset) - 6);
                    ASSERT_EQ(p, it->GetTextPtr(0));
                }
            }
            it->SetViewOffset(INT_MAX);  // not past the loaded text: onto its terminating NUL
            EXPECT_EQ(*it->GetTextPtr(0), L'\0');
            it->SetViewOffset(0);

            EXPECT_FALSE(it->SeekTo({row, static_cast<int>(stream.RowLength(row))}));
        }
        EXPECT_TRUE(it->SeekTo({stream.RowCount() + 1, 0}));  // the final CR LF
        EXPECT_EQ(std::wstring(it->GetTextPtr(2)), L"\r\n");
        EXPECT_FALSE(it->SeekTo({stream.RowCount() + 1, 1}));
        EXPECT_FALSE(it->SeekTo({stream.RowCount() + 2, 0}));
        EXPECT_FALSE(it->SeekTo({INT_MAX, 0}));
        EXPECT_FALSE(it->SeekTo({0, 0}));
        EXPECT_FALSE(it->SeekTo({1, -1}));
        EXPECT_FALSE(it->SeekTo({1, INT_MAX}));
    }
}

TEST(TextIterator, StopEventEndsASeek) {
    Rows rows(2'000, L"x");
    Buffer buffer = MakeBuffer(rows, CrlfStyle::CrLf);
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());
    pw::Event stop(pw::Event::Reset::Auto);
    EXPECT_TRUE(it->SeekTo({1'500, 1}, &stop));
    stop.Set();
    EXPECT_FALSE(it->SeekTo({1'500, 1}, &stop));
    EXPECT_TRUE(stop.IsSet());  // looked at, not consumed
}

// Walking back with PrevChar from anywhere retraces the stream to its start, reloading the text
// before the window as needed (rows longer than B included), and from the end through the final
// CR LF.
TEST(TextIterator, PrevCharWalksBackToTheStart) {
    std::mt19937 rng(3);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 12; ++round) {
        Rows rows = RandomRows(rng);
        int style = kStyles[round % 3];
        Stream stream(rows, style);
        Buffer buffer = MakeBuffer(rows, style);
        Iterator it = pw::MakeRef<TextIterator>(buffer.get());
        size_t offset;
        if (round % 2) {
            it->Advance(INT_MAX, 0);
            offset = stream.text.size();
        } else {
            int row = pick(1, stream.RowCount());
            LineCol target{row, pick(0, static_cast<int>(stream.RowLength(row)) - 1)};
            ASSERT_TRUE(it->SeekTo(target));
            offset = stream.Offset(target);
        }
        it->SetViewOffset(1);  // kept while walking
        while (offset > 0) {
            const wchar_t* p = it->PrevChar();
            --offset;
            ASSERT_NE(p, nullptr);
            ASSERT_EQ(p[-1], stream.text[offset]) << "offset " << offset;
            ASSERT_EQ(it->GetPosition(), stream.At(offset));
            ASSERT_FALSE(it->IsEOF());
        }
        EXPECT_EQ(it->PrevChar(), nullptr);
        EXPECT_EQ(it->GetPosition(), (LineCol{1, 0}));
    }
}

TEST(TextIterator, StepBackUndoesStepForward) {
    std::mt19937 rng(9);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Rows rows = RandomRows(rng);
    Stream stream(rows, CrlfStyle::LfCr);
    Buffer buffer = MakeBuffer(rows, CrlfStyle::LfCr);
    Iterator it = pw::MakeRef<TextIterator>(buffer.get());

    // Before any row is loaded, forward steps have nothing to go by and back steps ask the buffer.
    LineCol p{1, 0};
    it->StepForward(p, 5);
    EXPECT_EQ(p, (LineCol{1, 0}));
    it->StepBack(p);
    EXPECT_EQ(p, (LineCol{1, 0}));
    p = {3, 0};
    it->StepBack(p);
    EXPECT_EQ(p, (LineCol{2, static_cast<int>(stream.RowLength(2)) - 1}));

    it->GetTextPtr(INT_MAX);                     // every row loaded
    const size_t last = stream.text.size() - 2;  // where the final CR LF begins
    for (int i = 0; i < 2000; ++i) {
        size_t from = static_cast<size_t>(pick(0, static_cast<int>(last) - 1));
        int n = pick(0, 3) ? pick(0, 50) : pick(0, static_cast<int>(last - from));
        n = std::min(n, static_cast<int>(last - from));
        LineCol q = stream.At(from);
        it->StepForward(q, n);
        ASSERT_EQ(q, stream.At(from + static_cast<size_t>(n)));
        for (int k = 0; k < n; ++k) it->StepBack(q);
        ASSERT_EQ(q, stream.At(from));
    }
    p = stream.At(last - 1);
    it->StepForward(p, 100);  // past the last row: no further than the rows go
    EXPECT_EQ(p, (LineCol{stream.RowCount() + 1, 0}));
    it->StepForward(p, -4);
    EXPECT_EQ(p, (LineCol{stream.RowCount() + 1, 0}));
}
