// Every file comes back byte for byte: loaded and saved without edits, a file keeps its bytes,
// apart from line ends, which all take the style of the first. Files of this repository in
// every form the buffer reads, prefixes of them cut anywhere, and random bytes; then the cases
// that once came back changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FileExceptionTesting.h"
#include "RoundTripModel.h"
#include "buffer/BufferManager.h"
#include "buffer/BufferTesting.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/MemFile.h"

namespace {

struct Result {
    Buffer buffer;
    std::string saved;
};

Result RoundTrip(std::string_view bytes, int unicode, int codePage) {
    Result result{pw::MakeRef<CQELPenwrightBufferManager>(), {}};
    pw::MemFile in;
    in.Write(bytes.data(), bytes.size());
    in.Seek(0);
    {
        pw::Archive archive(in, pw::Archive::Mode::Load);
        result.buffer->SerializeText(archive, unicode, true, codePage, std::nullopt, -1);
    }
    pw::MemFile out;
    pw::Archive archive(out, pw::Archive::Mode::Store);
    result.buffer->Serialize(archive);
    result.saved.assign(reinterpret_cast<const char*>(out.Data()), out.Size());
    return result;
}

// Loads and saves; the saved bytes must be the model's. Answers the buffer for more checks.
Buffer ExpectRoundTrip(std::string_view bytes, int unicode, int codePage) {
    Result r = RoundTrip(bytes, unicode, codePage);
    const CQELPenwrightBufferManager& b = *r.buffer;
    EXPECT_EQ(r.saved,
              pwtest::ExpectedAfterRoundTrip(bytes, b.IsUnicode(), b.IsBigEndian(), b.HasSignature()))
        << "read as " << (b.IsUnicode() ? (b.IsBigEndian() ? "UTF-16BE" : "UTF-16LE") : "8-bit")
        << (b.HasSignature() ? " with its mark" : "") << ", code page " << codePage;
    return r.buffer;
}

// The forms a text is written in for the corpus.
struct FileForm {
    const char* name;
    int codePage;  // 0: UTF-16
    bool bigEndian;
    bool mark;
};

constexpr FileForm kForms[] = {
    {"UTF-8", pw::kCodePageUtf8, false, false},
    {"UTF-8 with mark", pw::kCodePageUtf8, false, true},
    {"UTF-16LE", 0, false, false},
    {"UTF-16LE with mark", 0, false, true},
    {"UTF-16BE", 0, true, false},
    {"UTF-16BE with mark", 0, true, true},
    {"code page 1252", 1252, false, false},
    {"code page 1251", 1251, false, false},
    {"code page 932", 932, false, false},
};

// The text's bytes in the form; false when the code page cannot hold the text.
bool Encode(const FileForm& form, std::wstring_view text, std::string& bytes) {
    if (form.codePage != 0) {
        if (!pw::IsCodePageAvailable(form.codePage) || !pw::Utf16ToMultiByte(form.codePage, text, bytes))
            return false;
        if (form.mark)
            bytes.insert(0, "\xEF\xBB\xBF");
        return true;
    }
    bytes = form.mark ? (form.bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (wchar_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>((c >> 8) & 0xFF);
        bytes += form.bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return true;
}

std::vector<std::wstring> CorpusTexts() {
    std::vector<std::wstring> texts;
    for (const char* folder : {"config", "tests/data", "samples"}) {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(PW_SOURCE_DIR) / folder)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::string utf8((std::istreambuf_iterator<char>(in)), {});
            std::wstring text;
            if (pw::Utf8ToUtf16(utf8, text))
                texts.push_back(std::move(text));
        }
    }
    return texts;
}

int RandomCases() {
    const char* value = std::getenv("PW_ROUND_TRIPS");
    return value ? std::max(1, std::atoi(value)) : 1500;
}

TEST(RoundTrip, RepositoryFilesInEveryFormComeBackAsTheyWere) {
    const std::vector<std::wstring> texts = CorpusTexts();
    ASSERT_GE(texts.size(), 20u);
    int cases = 0;
    for (size_t t = 0; t < texts.size(); ++t) {
        for (const FileForm& form : kForms) {
            std::string bytes;
            if (!Encode(form, texts[t], bytes))
                continue;
            SCOPED_TRACE(testing::Message() << "file " << t << " as " << form.name);
            // A whole file is read in the form it was written in.
            Buffer buffer = ExpectRoundTrip(bytes, -1, form.codePage ? form.codePage : 1252);
            EXPECT_EQ(buffer->IsUnicode(), form.codePage == 0);
            EXPECT_EQ(buffer->HasSignature(), form.mark);
            EXPECT_EQ(buffer->IsBigEndian(), form.bigEndian);
            ++cases;
            // Prefixes cut characters, marks and line ends anywhere; a few files are enough.
            if (t % 8 == 0)
                for (size_t n = 1; n <= 64 && n < bytes.size(); ++n, ++cases)
                    ExpectRoundTrip(std::string_view(bytes).substr(0, n), -1,
                                    form.codePage ? form.codePage : 932);
        }
    }
    EXPECT_GT(cases, 1000);
}

// Random bytes without CR, so that no line end can change: any of them, read as it may be,
// comes back unchanged, whatever the code page makes of them.
TEST(RoundTrip, RandomBytesComeBackUnchanged) {
    std::mt19937 random(2024);
    const int codePages[] = {1252, 932, pw::kCodePageUtf8, 1251};
    for (int round = 0, n = RandomCases(); round < n; ++round) {
        std::string bytes(random() % 200, '\0');
        for (char& c : bytes) {
            const unsigned kind = random() % 8;
            c = static_cast<char>(kind == 0   ? 0
                                  : kind == 1 ? '\n'
                                  : kind < 4  ? 0x80 + random() % 128
                                              : random() % 256);
            if (c == '\r')
                c = 'r';
        }
        const int codePage = codePages[random() % std::size(codePages)];
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        const int unicode = random() % 4 == 0 ? 1 : -1;
        Result r = RoundTrip(bytes, unicode, codePage);
        ASSERT_EQ(r.saved, bytes) << "round " << round << ", code page " << codePage << ", unicode "
                                  << unicode;
    }
}

// --- Cases that once came back changed ----------------------------------------------------------

TEST(RoundTripRegression, ShortTextWithoutZeroBytesIsNeverUtf16) {
    for (const char* text :
         {"x=1\ny=2\n", "Language=en\n", "set -eu\n", "{\"a\":1}\n", "1 2 3 4\n", "ab", "abcd"}) {
        Buffer buffer = ExpectRoundTrip(text, -1, 1252);
        EXPECT_FALSE(buffer->IsUnicode()) << text;
        EXPECT_EQ(buffer->GetLineText(1),
                  pw::Widen(std::string_view(text).substr(0, std::string_view(text).find('\n'))));
    }
}

TEST(RoundTripRegression, TheFormIsReadFromMarksAndZeroBytes) {
    struct Case {
        std::string bytes;
        bool wide, bigEndian, signature;
        Rows rows;
    } cases[] = {
        {std::string("\0a\0\n\0b", 6), true, true, false, {L"a", L"b"}},         // big-endian, line end
        {std::string("\xFE\xFF\0a\0\n\0b", 8), true, true, true, {L"a", L"b"}},  // big-endian mark
        {std::string("a\0\r\0\n\0b\0", 8), true, false, false, {L"a", L"b"}},    // little-endian
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         true,
         false,
         true,
         {L"a"}},                                                          // odd byte kept apart
        {std::string("a\0b\0c\0d\0e", 9), true, false, false, {L"abcd"}},  // odd, and mostly zeros
        {std::string("\x61\x00\x62\x0A\x63\x00\x00\x64\x00", 9),
         false,
         false,
         false,  // zeros on both sides
         {std::wstring(L"a\0b", 3), std::wstring(L"c\0\0d\0", 5)}},
        {std::string("\xEF\xBB\xBF"
                     "a\0",
                     5),
         false,
         false,
         true,
         {std::wstring(L"a\0", 2)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        Buffer buffer = ExpectRoundTrip(c.bytes, -1, 1252);
        EXPECT_EQ(buffer->IsUnicode(), c.wide);
        EXPECT_EQ(buffer->IsBigEndian(), c.bigEndian);
        EXPECT_EQ(buffer->HasSignature(), c.signature);
        EXPECT_EQ(RowsOf(*buffer), c.rows);
    }
}

TEST(RoundTripRegression, NulIsACharacterOfItsRowWhenTypedAndSaved) {
    Buffer buffer = ExpectRoundTrip(std::string("a\0b\nc", 5), -1, 1252);
    buffer->InsertText(std::wstring(L"\0x\0\ny", 5), 2, 2, true);
    EXPECT_EQ(RowsOf(*buffer), (Rows{std::wstring(L"a\0b", 3), std::wstring(L"c\0x\0", 4), L"y"}));
    pw::MemFile out;
    pw::Archive archive(out, pw::Archive::Mode::Store);
    buffer->Serialize(archive);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Data()), out.Size()),
              std::string("a\0b\nc\0x\0\ny", 10));
}

TEST(RoundTripRegression, ACharacterTheFileCannotHoldFailsTheSave) {
    // A lone surrogate typed into a clean 8-bit text is no byte: the save fails, as it does for
    // any character the code page cannot hold, whatever the surrogate's value.
    for (const wchar_t* typed : {L"\xDC41", L"\xDCC3", L"\x65E5"}) {
        Buffer buffer = ExpectRoundTrip("plain", -1, 1252);
        buffer->InsertText(typed, 1, 1, true);
        pw::MemFile out;
        pw::Archive archive(out, pw::Archive::Mode::Store);
        EXPECT_EQ(pwtest::CauseOf([&] { buffer->Serialize(archive); }), pw::FileException::Cause::Encoding);
        EXPECT_TRUE(buffer->IsModified());
    }
    // Bytes the code page could not read come back as they were, after an edit too.
    Buffer raw = ExpectRoundTrip("a\xFF", -1, pw::kCodePageUtf8);
    EXPECT_EQ(raw->GetLineText(1), L"a\xDCFF");
    raw->InsertText(L"\x00E9", 1, 1, true);
    pw::MemFile out;
    pw::Archive archive(out, pw::Archive::Mode::Store);
    raw->Serialize(archive);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Data()), out.Size()),
              "\xC3\xA9"
              "a\xFF");
}

}  // namespace
