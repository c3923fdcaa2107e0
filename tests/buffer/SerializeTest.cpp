// Loading and saving the whole text: files written from a model of rows must load as those rows
// and save back byte for byte; everything else (detection, line ends, limits, failures, bad
// bytes) against the rules it follows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>

#include "FileExceptionTesting.h"
#include "buffer/BufferManager.h"
#include "buffer/BufferTesting.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DiskFile.h"
#include "platform/FileException.h"
#include "platform/MemFile.h"
#include "platform/TempFolder.h"

namespace {

using Cause = pw::FileException::Cause;
using pwtest::CauseOf;

std::string BytesOf(const pw::MemFile& file) {
    return std::string(reinterpret_cast<const char*>(file.Data()), file.Size());
}

pw::MemFile StreamOf(std::string_view bytes) {
    pw::MemFile file;
    file.Write(bytes.data(), bytes.size());
    file.Seek(0);
    return file;
}

void Load(CQELPenwrightBufferManager& buffer, std::string_view bytes, int unicode = -1, int codePage = -1) {
    pw::MemFile file = StreamOf(bytes);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    buffer.SerializeText(archive, unicode, true, codePage, std::nullopt, -1);
}

Buffer Loaded(std::string_view bytes, int unicode = -1, int codePage = -1) {
    Buffer buffer = MakeBuffer({});
    Load(*buffer, bytes, unicode, codePage);
    return buffer;
}

std::string Store(CQELPenwrightBufferManager& buffer, int unicode = -1, bool signature = true,
                  int codePage = -1, int limit = -1) {
    pw::MemFile file;
    pw::Archive archive(file, pw::Archive::Mode::Store);
    buffer.SerializeText(archive, unicode, signature, codePage, std::nullopt, limit);
    return BytesOf(file);
}

// Through the plain entry, as a document saves.
std::string Saved(CQELPenwrightBufferManager& buffer) {
    pw::MemFile file;
    pw::Archive archive(file, pw::Archive::Mode::Store);
    buffer.Serialize(archive);
    return BytesOf(file);
}

std::string Utf16(std::wstring_view text) {
    pw::MemFile file;
    file.WriteText(text);
    return BytesOf(file);
}

std::string Encoded(int codePage, std::wstring_view text) {
    std::string bytes;
    EXPECT_TRUE(pw::Utf16ToMultiByte(codePage, text, bytes));
    return bytes;
}

// --- Files made from rows load as those rows and save back unchanged ---------------------------

using Alphabet = std::vector<std::wstring>;  // characters besides ASCII, surrogate pairs whole

struct Form {
    int codePage;  // -1: UTF-16
    bool signature;
    Alphabet alphabet;
};

// Row lengths cluster around the chunk sizes, where a line end may be split from its second half.
size_t RowLength(std::mt19937& random) {
    static const size_t kNear[] = {0, 1, 126, 127, 128, 129, 254, 255, 256, 257};
    return random() % 3 == 0 ? kNear[random() % std::size(kNear)] : random() % 300;
}

std::wstring RandomRow(std::mt19937& random, const Alphabet& alphabet) {
    std::wstring row;
    for (size_t n = RowLength(random); row.size() < n;) {
        if (random() % 4 == 0)
            row += alphabet[random() % alphabet.size()];
        else
            row += static_cast<wchar_t>(L' ' + random() % 95);
    }
    return row;
}

TEST(SerializeRoundTrip, FilesLoadAsTheirRowsAndSaveBackByteForByte) {
    const Form forms[] = {
        {-1, true, {L"\x00E9", L"\x20AC", L"\xFEFF", L"\xD83D\xDE00", L"\xFFFF", L"\xDC80", L"\t"}},
        {-1, false, {L"\x00E9", L"\x20AC", L"\x65E5"}},
        {1252, false, {L"\x00E9", L"\x00FC", L"\x00DF", L"\x20AC", L"\x201C", L"\x2014"}},
        {1251, false, {L"\x0416", L"\x0436", L"\x042F", L"\x044F", L"\x0401", L"\x2116"}},
        {437, false, {L"\x00C7", L"\x00FC", L"\x00E9", L"\x00C5", L"\x2591", L"\x2593", L"\x2524"}},
        {932, false, {L"\x65E5", L"\x672C", L"\x8A9E", L"\x30C6", L"\x30AD", L"\xFF71", L"\x30FC"}},
        {pw::kCodePageUtf8, false, {L"\x00E9", L"\x20AC", L"\x65E5", L"\xD83D\xDE00"}},
    };
    for (const Form& form : forms) {
        if (form.codePage != -1 && !pw::IsCodePageAvailable(form.codePage))
            continue;  // not every system has every code page
        std::mt19937 random(static_cast<unsigned>(form.codePage + 10));
        for (int round = 0; round < 60; ++round) {
            int style = static_cast<int>(random() % 3);
            Rows rows(1 + random() % 6);
            for (auto& row : rows) row = RandomRow(random, form.alphabet);
            // Detection must see what the file is: a first row of plain text keeps the byte
            // statistics of an 8-bit file's halves alike, and gives UTF-16 its zero high bytes.
            rows[0] = L"0123456789ABCDEFGHIJKLMN" + rows[0];
            if (random() % 3 == 0)
                rows.push_back(L"");  // the file ends with a line end
            std::wstring text;
            for (size_t i = 0; i < rows.size(); ++i) {
                if (i)
                    text += LineEndText(style);
                text += rows[i];
            }
            std::string bytes = form.codePage == -1 ? (form.signature ? "\xFF\xFE" : "") + Utf16(text)
                                                    : Encoded(form.codePage, text);

            Buffer buffer = Loaded(bytes, -1, form.codePage == -1 ? -1 : form.codePage);
            SCOPED_TRACE(testing::Message() << "code page " << form.codePage << ", round " << round);
            ASSERT_EQ(RowsOf(*buffer), rows);
            EXPECT_EQ(buffer->IsUnicode(), form.codePage == -1);
            if (rows.size() > 1) {
                EXPECT_EQ(buffer->GetCrlfStyle(), style);
            }
            ASSERT_EQ(Saved(*buffer), bytes);
        }
    }
}

TEST(SerializeRoundTrip, EmptyFileHasNoRowsAndSavesEmpty) {
    Buffer buffer = MakeBuffer({L"old"});
    Load(*buffer, "");
    EXPECT_EQ(buffer->GetRowCount(), 0);
    EXPECT_EQ(Store(*buffer, 0), "");
    EXPECT_EQ(Store(*buffer, 1), "\xFF\xFE");
    EXPECT_EQ(Store(*buffer, 1, false), "");
    // The mark alone is an empty UTF-16 text.
    Load(*buffer, "\xFF\xFE");
    EXPECT_EQ(buffer->GetRowCount(), 0);
    EXPECT_TRUE(buffer->IsUnicode());
}

// --- Line ends ----------------------------------------------------------------------------------

TEST(SerializeLineEnds, TheFirstLineEndSetsTheStyleForEveryRow) {
    struct Case {
        const char* file;
        Rows rows;
        int style;
        const char* saved;
    } cases[] = {
        {"a\n\rb\r\nc", {L"a", L"b", L"c"}, CrlfStyle::LfCr, "a\n\rb\n\rc"},
        {"a\nb\r\nc\n\r", {L"a", L"b", L"c", L""}, CrlfStyle::Lf, "a\nb\nc\n"},
        {"a\rb", {L"a", L"b"}, CrlfStyle::CrLf, "a\r\nb"},  // a lone CR counts as CR LF
        {"a\r\rb", {L"a", L"", L"b"}, CrlfStyle::CrLf, "a\r\n\r\nb"},
        {"a\n\n\rb", {L"a", L"", L"b"}, CrlfStyle::Lf, "a\n\nb"},
        {"\r\n", {L"", L""}, CrlfStyle::CrLf, "\r\n"},
    };
    for (const auto& c : cases) {
        Buffer buffer = MakeBuffer({});
        buffer->SetCrlfStyle(CrlfStyle::Lf);
        // An odd length makes the file 8-bit for sure.
        std::string tail = std::string(c.file).size() % 2 ? "xy" : "x";
        Load(*buffer, c.file + tail, -1, 1252);
        Rows expected = c.rows;
        expected.back() += pw::Widen(tail);
        EXPECT_EQ(RowsOf(*buffer), expected) << c.file;
        EXPECT_EQ(buffer->GetCrlfStyle(), c.style) << c.file;
        EXPECT_EQ(Saved(*buffer), c.saved + tail) << c.file;
    }

    // Without any line end the style stays as it was.
    Buffer buffer = MakeBuffer({});
    buffer->SetCrlfStyle(CrlfStyle::LfCr);
    Load(*buffer, "abc", -1, 1252);
    EXPECT_EQ(buffer->GetCrlfStyle(), CrlfStyle::LfCr);
}

TEST(SerializeLineEnds, SplitAcrossAChunkEdgeTheyStillCountOnce) {
    // 8-bit chunks are 128 bytes, UTF-16 chunks 128 units: the CR is the chunk's last unit.
    std::wstring head(127, L'a');
    for (std::wstring ends : {L"\r\n", L"\n\r", L"\r", L"\n"}) {
        std::wstring text = head + ends + L"b" + ends + L"c";
        Buffer wide = Loaded("\xFF\xFE" + Utf16(text));
        EXPECT_EQ(RowsOf(*wide), (Rows{head, L"b", L"c"}));
        Buffer narrow = Loaded(Encoded(1252, text + L"!"), -1, 1252);
        EXPECT_EQ(RowsOf(*narrow), (Rows{head, L"b", L"c!"}));
    }
}

TEST(SerializeLineEnds, NulIsTextLikeAnyOtherCharacter) {
    Buffer narrow = MakeBuffer({});
    narrow->SetCrlfStyle(CrlfStyle::LfCr);
    const std::string file("a\0b\0\0c\nd\0", 9);
    Load(*narrow, file, -1, 1252);
    EXPECT_EQ(RowsOf(*narrow), (Rows{std::wstring(L"a\0b\0\0c", 6), std::wstring(L"d\0", 2)}));
    EXPECT_EQ(narrow->GetCrlfStyle(), CrlfStyle::Lf);
    EXPECT_EQ(Saved(*narrow), file);

    Buffer wide = Loaded("\xFF\xFE" + Utf16(std::wstring(L"a\0b\0", 4)));
    EXPECT_EQ(RowsOf(*wide), (Rows{std::wstring(L"a\0b\0", 4)}));
}

// --- Encoding detection -------------------------------------------------------------------------

// Bytes of (lo, hi) pairs.
std::string Pairs(const std::vector<std::pair<int, int>>& pairs) {
    std::string bytes;
    for (auto [lo, hi] : pairs) bytes += {static_cast<char>(lo), static_cast<char>(hi)};
    return bytes;
}

bool DetectedAsUtf16(const std::string& bytes) {
    return Loaded(bytes, -1, 1252)->IsUnicode();
}

TEST(SerializeDetection, MarksDecideFirst) {
    Buffer little = Loaded(
        "\xFF\xFE"
        "a");
    EXPECT_TRUE(little->IsUnicode() && little->HasSignature() && !little->IsBigEndian());
    Buffer big = Loaded(
        "\xFE\xFF"
        "ab");
    EXPECT_TRUE(big->IsUnicode() && big->HasSignature() && big->IsBigEndian());
    EXPECT_EQ(RowsOf(*big), (Rows{L"\x6162"}));
}

TEST(SerializeDetection, ALineEndWithAZeroByteBesideItIsUtf16) {
    // Units whose low bytes are all alike and whose high bytes all differ, without zero bytes:
    // 8-bit...
    std::wstring text;
    for (int k = 0; k < 40; ++k) text += static_cast<wchar_t>(0x4E00 + 0x100 * (k % 40) + 0x20);
    EXPECT_FALSE(DetectedAsUtf16(Utf16(text)));
    // ...until a CR or LF with a zero high byte says UTF-16.
    for (const wchar_t* end : {L"\n", L"\r"}) {
        Buffer buffer = Loaded(Utf16(text + end + L"x"), -1, 1252);
        EXPECT_TRUE(buffer->IsUnicode());
        EXPECT_EQ(RowsOf(*buffer), (Rows{text, L"x"}));
    }
    // Only in the first kilobyte.
    std::wstring late = text;
    while (late.size() < 512) late += text;
    EXPECT_FALSE(DetectedAsUtf16(Utf16(late + L"\n")));
}

TEST(SerializeDetection, ZeroBytesMustLeanToOneSideOfThePairs) {
    const struct {
        std::vector<std::pair<int, int>> pairs;
        bool wide;
    } cases[] = {
        {{{'a', 'x'}, {'b', 'x'}}, false},                      // no zero byte at all
        {{{'a', 0}, {'b', 0}, {'c', 'd'}}, true},               // zeros in most high bytes
        {{{'a', 0}, {'b', 'e'}, {'c', 'd'}}, false},            // in a few only
        {{{'a', 0}, {'b', 'e'}, {'c', 'd'}, {'\n', 0}}, true},  // ...but beside a line end
        {{{'a', 0}, {0, 'e'}, {0, 'd'}, {'\n', 0}}, false},     // on both sides alike
        {{{0, 'a'}, {0, 'b'}, {'c', 'd'}}, true},               // big-endian
        {{{0, 0}, {0, 0}}, false},                              // all zeros: no side
    };
    for (const auto& c : cases) EXPECT_EQ(DetectedAsUtf16(Pairs(c.pairs)), c.wide) << "case " << &c - cases;
}

TEST(SerializeDetection, ForcedUtf16ReadsFromTheFirstByte) {
    ASSERT_FALSE(DetectedAsUtf16("abab"));
    Buffer buffer = Loaded("abab", 1, 1252);
    EXPECT_TRUE(buffer->IsUnicode());
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"\x6261\x6261"}));
    // With its mark, the mark is still no text.
    EXPECT_EQ(RowsOf(*Loaded(std::string("\xFF\xFE"
                                         "a\0",
                                         4),
                             1)),
              (Rows{L"a"}));
    // A last odd byte is no code unit: it is kept apart and written back.
    Buffer odd = Loaded(std::string("a\0b", 3), 1);
    EXPECT_EQ(RowsOf(*odd), (Rows{L"a"}));
    EXPECT_EQ(Saved(*odd), std::string("a\0b", 3));
}

// --- UTF-8 with its mark ------------------------------------------------------------------------

TEST(SerializeUtf8Mark, ReadAsUtf8WhateverTheCodePageAndSavedSoAgain) {
    const std::string file =
        "\xEF\xBB\xBF"
        "caf\xC3\xA9\r\n\xE2\x82\xAC 5\r\n";
    Buffer buffer = Loaded(file, -1, 1252);
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"caf\x00E9", L"\x20AC 5", L""}));
    EXPECT_FALSE(buffer->IsUnicode());
    EXPECT_EQ(buffer->GetCodePage(), 1252);
    EXPECT_EQ(Saved(*buffer), file);
    EXPECT_EQ(Store(*buffer, 0, true, pw::kCodePageUtf8), file);
    EXPECT_EQ(Store(*buffer, 1), "\xFF\xFE" + Utf16(L"caf\x00E9\r\n\x20AC 5\r\n"));

    // Choosing another code page ends the UTF-8 form.
    EXPECT_EQ(Store(*buffer, 0, true, 1252), "caf\xE9\r\n\x80 5\r\n");
    EXPECT_EQ(Saved(*buffer), "caf\xE9\r\n\x80 5\r\n");

    // So does the next file without the mark.
    Buffer next = Loaded(file, -1, 1252);
    Load(*next, "plain\r\ntext", -1);
    EXPECT_EQ(Saved(*next), "plain\r\ntext");

    // Forced UTF-16 knows no UTF-8 mark.
    EXPECT_EQ(Loaded("\xEF\xBB\xBF"
                     "a",
                     1)
                  ->GetLineText(1),
              L"\xBBEF\x61BF");
}

// --- Bytes the code page cannot read ------------------------------------------------------------

// Random 8-bit content without NUL (so surely 8-bit), lone CR or LF: whatever
// the code page makes of the bytes, saving writes them back as they were.
TEST(SerializeBadBytes, AnyBytesSaveBackAsTheyWere) {
    for (int codePage : {1252, 1251, 437, 932, pw::kCodePageUtf8}) {
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        std::mt19937 random(static_cast<unsigned>(codePage));
        for (int round = 0; round < 150; ++round) {
            std::string bytes;
            size_t n = random() % 400;
            while (bytes.size() < n) {
                if (random() % 40 == 0) {
                    bytes += "\r\n";
                    continue;
                }
                auto b = static_cast<char>(1 + random() % 255);
                if (b != '\r' && b != '\n')
                    bytes += b;
            }
            if (bytes.empty())
                continue;
            if (bytes[0] == '\xFF' || bytes[0] == '\xFE' || bytes[0] == '\xEF')
                bytes[0] = 'a';  // no mark
            Buffer buffer = Loaded(bytes, -1, codePage);
            ASSERT_FALSE(buffer->IsUnicode());
            ASSERT_EQ(Saved(*buffer), bytes) << "code page " << codePage << ", round " << round;
        }
    }
}

TEST(SerializeBadBytes, UnreadableBytesAreKeptAsEscapes) {
    // Not UTF-8: each bad byte stands in the row as U+DC00 + byte.
    Buffer buffer = Loaded(
        "a\xFF"
        "b\xC3",
        -1, pw::kCodePageUtf8);
    EXPECT_EQ(buffer->GetLineText(1),
              L"a\xDCFF"
              L"b\xDCC3");
    EXPECT_EQ(Saved(*buffer),
              "a\xFF"
              "b\xC3");
    // Good characters around them stay characters.
    buffer = Loaded("\xC3\xA9\x80\xE2\x82\xAC", -1, pw::kCodePageUtf8);
    EXPECT_EQ(buffer->GetLineText(1), L"\x00E9\xDC80\x20AC");

    // A character that the code page would write back with other bytes is kept as its bytes:
    // 87 90 in code page 932 reads as U+2252, which is written 81 E0.
    if (pw::IsCodePageAvailable(932)) {
        buffer = Loaded("x\x87\x90y\x81\xE0", -1, 932);
        EXPECT_EQ(buffer->GetLineText(1), L"x\xDC87\xDC90y\x2252");
        EXPECT_EQ(Saved(*buffer), "x\x87\x90y\x81\xE0");
    }
}

TEST(SerializeBadBytes, LoneSurrogatesOfATextWithoutRawBytesFailTheStore) {
    // A low surrogate after a high one is half of a character, and written as such.
    Buffer buffer = MakeBuffer({L"\xD83D\xDC80"});
    EXPECT_EQ(Store(*buffer, 0, true, pw::kCodePageUtf8), "\xF0\x9F\x92\x80");
    for (const wchar_t* lone : {L"\xDC41", L"\xDC80", L"\xD83D"}) {
        buffer = MakeBuffer({lone});
        EXPECT_EQ(CauseOf([&] { Store(*buffer, 0, true, pw::kCodePageUtf8); }), Cause::Encoding);
    }
}

TEST(SerializeBadBytes, RandomBytesInEveryModeLoadAndSave) {
    std::mt19937 random(99);
    for (int round = 0; round < 400; ++round) {
        std::string bytes(random() % 3000, '\0');
        for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? random() % 16 : random() & 0xFF);
        int unicode = static_cast<int>(random() % 3) - 1;
        int codePage = std::vector<int>{1252, 932, pw::kCodePageUtf8}[random() % 3];
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        Buffer buffer = Loaded(bytes, unicode, codePage);
        for (const auto& row : RowsOf(*buffer)) ASSERT_EQ(row.find_first_of(L"\r\n"), std::wstring::npos);
        // The text as loaded can always be saved in its own form, and again the same way.
        std::string once = Saved(*buffer);
        EXPECT_EQ(Saved(*buffer), once);
    }
}

// --- Storing ------------------------------------------------------------------------------------

TEST(SerializeStore, RowsTheCodePageCannotHoldFailTheStore) {
    Buffer buffer = MakeBuffer({L"abc", L"\x65E5\x672C", L"def"});
    EXPECT_EQ(CauseOf([&] { Store(*buffer, 0, true, 1252); }), Cause::Encoding);
    EXPECT_EQ(buffer->GetCodePage(), 1252);
    // The plain entry does not mark the text saved when the store fails.
    buffer->InsertText(L"x", 1, 1, true);
    ASSERT_TRUE(buffer->IsModified());
    pw::MemFile file;
    pw::Archive archive(file, pw::Archive::Mode::Store);
    EXPECT_THROW(buffer->Serialize(archive), pw::FileException);
    EXPECT_TRUE(buffer->IsModified());
    // As UTF-16 the same text saves, and the plain entry marks it saved.
    buffer->SetUnicode(true);
    EXPECT_EQ(Saved(*buffer), "\xFF\xFE" + Utf16(L"xabc\r\n\x65E5\x672C\r\ndef"));
    EXPECT_FALSE(buffer->IsModified());
}

TEST(SerializeStore, UnknownCodePagesFailBeforeAnythingChanges) {
    Buffer buffer = MakeBuffer({L"keep"});
    EXPECT_EQ(CauseOf([&] { Load(*buffer, "abc", -1, 12345); }), Cause::Encoding);
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"keep"}));
    EXPECT_EQ(CauseOf([&] { Store(*buffer, 0); }), Cause::Encoding);
    // UTF-16 needs no code page.
    Load(*buffer, "\xFF\xFE" + Utf16(L"w"));
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"w"}));
    EXPECT_EQ(Store(*buffer, 1, false), Utf16(L"w"));
}

TEST(SerializeStore, UnicodeArgumentAndMark) {
    Buffer buffer = MakeBuffer({L"a", L"b"});
    buffer->SetCrlfStyle(CrlfStyle::Lf);
    EXPECT_EQ(Store(*buffer, 0, true, 1252), "a\nb");
    EXPECT_EQ(Store(*buffer, 1, true), "\xFF\xFE" + Utf16(L"a\nb"));
    EXPECT_EQ(Store(*buffer, 1, false), Utf16(L"a\nb"));
    EXPECT_EQ(Store(*buffer, -1), "a\nb");
    buffer->SetUnicode(true);
    EXPECT_EQ(Store(*buffer, -1, false), Utf16(L"a\nb"));
    EXPECT_TRUE(buffer->IsUnicode()) << "storing does not change the flag";
}

// Storing with a limit gives a prefix of the whole that ends at a row's end and passes the limit
// by less than one row and its line end.
TEST(SerializeStore, DataSizeLimitStopsAfterTheRowThatPassesIt) {
    std::mt19937 random(5);
    for (int round = 0; round < 100; ++round) {
        Rows rows(1 + random() % 8);
        for (auto& row : rows) row = std::wstring(random() % 12, L'a' + static_cast<wchar_t>(random() % 26));
        Buffer buffer = MakeBuffer(rows);
        int unicode = static_cast<int>(random() % 2);
        std::string whole = Store(*buffer, unicode, false, 1252);
        int limit = static_cast<int>(random() % (whole.size() + 5));
        std::string part = Store(*buffer, unicode, false, 1252, limit);
        ASSERT_TRUE(whole.starts_with(part));
        // The rows written, in full, and the first row that took the count past the limit.
        size_t unit = unicode ? 2 : 1;
        size_t count = 0, row = 0;
        while (row < rows.size() && (limit <= 0 || count <= static_cast<size_t>(limit)))
            count += (rows[row].size() + (row + 1 < rows.size() ? 2 : 0)) * unit, ++row;
        ASSERT_EQ(part.size(), count) << "limit " << limit;
    }
}

// --- The whole text as a string -----------------------------------------------------------------

TEST(SerializeWholeText, SetThenGetGivesTheTextBack) {
    std::mt19937 random(17);
    for (int round = 0; round < 100; ++round) {
        int style = static_cast<int>(random() % 3);
        std::wstring text;
        for (int n = 1 + random() % 5, i = 0; i < n; ++i) {
            if (i)
                text += LineEndText(style);
            text += RandomRow(random, {L"\x00E9", L"\xD83D\xDE00", L"\xDC80"});
        }
        if (text.empty())
            continue;
        Buffer buffer = MakeBuffer({L"old"});
        buffer->SetWholeText(text);
        ASSERT_EQ(buffer->GetWholeText(), text);
        EXPECT_TRUE(buffer->IsUnicode());
        int n = static_cast<int>(random() % (text.size() + 2));
        ASSERT_EQ(buffer->GetWholeText(n), text.substr(0, static_cast<size_t>(n)));
    }
}

TEST(SerializeWholeText, SettingTheTextMakesLaterSavesUtf16WithTheMark) {
    Buffer buffer = Loaded("abc", -1, 1252);
    buffer->InsertText(L"1", 1, 1, true);
    buffer->SetWholeText(L"x\ny");
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"x", L"y"}));
    EXPECT_FALSE(buffer->GetUndoManager().CanUndo()) << "a new text starts a new undo list";
    EXPECT_EQ(Saved(*buffer), "\xFF\xFE" + Utf16(L"x\ny"));
    // A leading U+FEFF is the text's own, not a mark.
    buffer->SetWholeText(L"\xFEFFz");
    EXPECT_EQ(buffer->GetWholeText(), L"\xFEFFz");
    EXPECT_EQ(buffer->GetWholeText(0), L"");
}

// --- Failures and the extension -----------------------------------------------------------------

// A memory stream that fails once `budget` bytes have passed, as a disk might.
class FailingStream : public pw::ByteStream {
public:
    FailingStream(std::string_view bytes, size_t budget) : file_(StreamOf(bytes)), budget_(budget) {}
    size_t Read(void* data, size_t bytes) override {
        Spend(bytes);
        return file_.Read(data, bytes);
    }
    void Write(const void* data, size_t bytes) override {
        Spend(bytes);
        file_.Write(data, bytes);
    }
    void Seek(uint64_t position) override { file_.Seek(position); }
    uint64_t Position() const override { return file_.Position(); }
    uint64_t Length() const override { return file_.Length(); }
    std::wstring PathName() const override { return L"failing.txt"; }

private:
    void Spend(size_t bytes) {
        if (bytes > budget_)
            throw pw::FileException(Cause::HardIO, PathName());
        budget_ -= bytes;
    }
    pw::MemFile file_;
    size_t budget_;
};

TEST(SerializeFailure, AFailedLoadLeavesTheTextAsItWas) {
    std::string file;
    for (int i = 0; i < 200; ++i) file += "line " + std::to_string(i) + "\r\n";
    for (size_t budget : {size_t{0}, size_t{100}, size_t{3000}}) {
        Buffer buffer = MakeBuffer({L"mine", L"too"});
        buffer->SetCrlfStyle(CrlfStyle::Lf);
        buffer->InsertText(L"!", 1, 1, true);
        FailingStream stream(file, budget);
        pw::Archive archive(stream, pw::Archive::Mode::Load);
        EXPECT_THROW(buffer->Serialize(archive), pw::FileException);
        EXPECT_EQ(RowsOf(*buffer), (Rows{L"!mine", L"too"}));
        EXPECT_EQ(buffer->GetCrlfStyle(), CrlfStyle::Lf);
        EXPECT_TRUE(buffer->GetUndoManager().CanUndo());
        EXPECT_EQ(buffer->GetFileExt(), L"");
    }
}

TEST(SerializeFailure, AFailedStoreIsNotMarkedSaved) {
    Buffer buffer = MakeBuffer({std::wstring(5000, L'a'), L"b"});
    buffer->InsertText(L"x", 1, 1, true);
    FailingStream stream("", 4096);
    pw::Archive archive(stream, pw::Archive::Mode::Store);
    EXPECT_EQ(CauseOf([&] { buffer->Serialize(archive); }), Cause::HardIO);
    EXPECT_TRUE(buffer->IsModified());
}

TEST(SerializeExtension, FromTheArgumentOrTheFilesName) {
    pwtest::TempFolder temp;
    std::wstring path = temp.Write("Source.CPP", "int x;");
    Buffer buffer = MakeBuffer({});
    {
        pw::DiskFile file(path, pw::DiskFile::Mode::Read);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        buffer->Serialize(archive);
    }
    EXPECT_EQ(RowsOf(*buffer), (Rows{L"int x;"}));
    EXPECT_EQ(buffer->GetFileExt(), L".CPP");
    {
        pw::DiskFile file(temp.Path("Source.h"), pw::DiskFile::Mode::Replace);
        pw::Archive archive(file, pw::Archive::Mode::Store);
        buffer->Serialize(archive);
        file.Commit();
    }
    EXPECT_EQ(buffer->GetFileExt(), L".h") << "saving under another name selects again";
    EXPECT_EQ(temp.Read("Source.h"), "int x;");
    {
        pw::DiskFile file(path, pw::DiskFile::Mode::Read);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        buffer->SerializeText(archive, -1, true, -1, std::wstring_view(L".js"), -1);
    }
    EXPECT_EQ(buffer->GetFileExt(), L".js");
    {
        std::filesystem::create_directory(temp.Native("dot.d"));
        pw::DiskFile file(temp.Write("dot.d/noext", "a"), pw::DiskFile::Mode::Read);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        buffer->Serialize(archive);
    }
    EXPECT_EQ(buffer->GetFileExt(), L".js") << "no extension selects nothing";
    Load(*buffer, "memory");
    EXPECT_EQ(buffer->GetFileExt(), L".js");
}

}  // namespace
