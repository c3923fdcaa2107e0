#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::wstring ToUtf16(std::string_view bytes) {
    std::wstring text;
    EXPECT_TRUE(pw::Utf8ToUtf16(bytes, text)) << "bytes: " << bytes;
    return text;
}

TEST(Utf8, KnownEncodingsBothWays) {
    struct Case {
        const char* utf8;
        std::wstring utf16;
    } cases[] = {
        {"", L""},
        {"plain", L"plain"},
        {"\xC3\xA9", L"\x00E9"},                              // e acute, two bytes
        {"\xE2\x82\xAC", L"\x20AC"},                          // euro sign, three bytes
        {"\xEF\xBF\xBF", L"\xFFFF"},                          // the highest BMP code point
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},                // beyond the BMP: a surrogate pair
        {"\xF4\x8F\xBF\xBF", L"\xDBFF\xDFFF"},                // U+10FFFF
        {"a\xC3\xA9z x\xE2\x82\xAC!", L"a\x00E9z x\x20AC!"},  // ASCII runs between
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToUtf16(c.utf8), c.utf16) << c.utf8;
        std::string back;
        ASSERT_TRUE(pw::Utf16ToUtf8(c.utf16, back));
        EXPECT_EQ(back, c.utf8);
    }
    std::wstring withNul;
    ASSERT_TRUE(pw::Utf8ToUtf16(std::string_view("a\0b", 3), withNul));
    EXPECT_EQ(withNul, std::wstring(L"a\0b", 3));
}

TEST(Utf8, RefusesMalformedBytes) {
    const char* bad[] = {
        "\x80",              // continuation byte without a lead
        "a\xBF",             //
        "\xC0\x80",          // overlong NUL
        "\xC1\xBF",          // overlong ASCII
        "\xE0\x80\xAF",      // overlong three-byte form
        "\xF0\x80\x80\xAF",  // overlong four-byte form
        "\xED\xA0\x80",      // an encoded surrogate
        "\xF4\x90\x80\x80",  // above U+10FFFF
        "\xF5\x80\x80\x80",  // a lead byte that never occurs
        "\xFF",              //
        "\xE2\x82",          // cut off at the end
        "\xE2\x82x",         // cut off by another character
        "\xC3",              //
    };
    for (const char* bytes : bad) {
        std::wstring out;
        EXPECT_FALSE(pw::Utf8ToUtf16(bytes, out)) << "accepted bytes at " << static_cast<const void*>(bytes);
    }
}

TEST(Utf8, RefusesUnpairedSurrogates) {
    const std::wstring bad[] = {L"\xD800", L"a\xDBFF", L"\xDC00z", L"\xDE00\xD83D", L"\xD83Dx\xDE00"};
    for (const auto& text : bad) {
        std::string out;
        EXPECT_FALSE(pw::Utf16ToUtf8(text, out));
    }
}

TEST(Utf8, WidenAndNarrowReplaceWhatTheyCannotConvert) {
    EXPECT_EQ(pw::Widen("path/\xC3\xA9"), L"path/\x00E9");
    EXPECT_EQ(pw::Widen("a\xFF"
                        "b"),
              L"a\xFFFD"
              L"b");
    EXPECT_EQ(pw::Widen("\xE2\x82"), L"\xFFFD");
    EXPECT_EQ(pw::Narrow(L"x\x20AC"), "x\xE2\x82\xAC");
    EXPECT_EQ(pw::Narrow(L"a\xD800"
                         L"b"),
              "a\xEF\xBF\xBD"
              "b");
}

// Random text over every plane survives both directions unchanged.
TEST(Utf8, RandomCodePointsRoundTrip) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<uint32_t> pick(0, 0x10FFFF - 0x800);
    for (int round = 0; round < 200; ++round) {
        std::wstring text;
        for (int i = 0; i < 50; ++i) {
            uint32_t code = pick(random);
            if (code >= 0xD800)
                code += 0x800;  // skip the surrogate range
            if (code < 0x10000) {
                text.push_back(static_cast<wchar_t>(code));
            } else {
                text.push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
                text.push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
            }
        }
        std::string utf8;
        ASSERT_TRUE(pw::Utf16ToUtf8(text, utf8));
        std::wstring back;
        ASSERT_TRUE(pw::Utf8ToUtf16(utf8, back));
        ASSERT_EQ(back, text);
    }
}

TEST(CodePage, TheCommonPagesExistAndUnknownOnesDoNot) {
    for (int codePage : {pw::kCodePageSystem, pw::kCodePageUtf8, 1252, 1250, 437, 850})
        EXPECT_TRUE(pw::IsCodePageAvailable(codePage)) << codePage;
    EXPECT_TRUE(pw::IsCodePageAvailable(pw::SystemCodePage()));
    EXPECT_FALSE(pw::IsCodePageAvailable(12345));
    std::wstring text;
    std::string bytes;
    EXPECT_FALSE(pw::MultiByteToUtf16(12345, "abc", text));
    EXPECT_FALSE(pw::Utf16ToMultiByte(12345, L"abc", bytes));
}

TEST(CodePage, ZeroStandsForTheSystemCodePage) {
    std::string bytes = "ASCII and \xC3\xA9";
    std::wstring viaZero;
    std::wstring viaSystem;
    bool zeroOk = pw::MultiByteToUtf16(pw::kCodePageSystem, bytes, viaZero);
    EXPECT_EQ(zeroOk, pw::MultiByteToUtf16(pw::SystemCodePage(), bytes, viaSystem));
    EXPECT_EQ(viaZero, viaSystem);
}

struct KnownBytes {
    int codePage;
    std::string bytes;
    std::wstring text;
};

// Values from the code pages' published tables.
TEST(CodePage, KnownBytesDecodeAndEncode) {
    const KnownBytes known[] = {
        {1252, "\x80\x9F\xE9", L"\x20AC\x0178\x00E9"},
        {1250, "\x8A\xA5\xE8", L"\x0160\x0104\x010D"},
        {1251, "\xC0\xFF", L"\x0410\x044F"},
        {1253, "\xC1\xF9", L"\x0391\x03C9"},
        {437, "\x9B\xA4\xB0\xE1", L"\x00A2\x00F1\x2591\x00DF"},
        {850, "\x9B\x9D\xA4", L"\x00F8\x00D8\x00F1"},
        {932, "\x93\xFA\x96\x7B", L"\x65E5\x672C"},
        {936, "\xD6\xD0", L"\x4E2D"},
        {949, "\xC7\xD1", L"\xD55C"},
        {950, "\xA4\xA4", L"\x4E2D"},
        {pw::kCodePageUtf8, "\xE2\x82\xAC", L"\x20AC"},
    };
    for (const auto& k : known) {
        if (!pw::IsCodePageAvailable(k.codePage))
            continue;
        std::wstring text;
        ASSERT_TRUE(pw::MultiByteToUtf16(k.codePage, k.bytes, text)) << k.codePage;
        EXPECT_EQ(text, k.text) << k.codePage;
        std::string bytes;
        ASSERT_TRUE(pw::Utf16ToMultiByte(k.codePage, k.text, bytes)) << k.codePage;
        EXPECT_EQ(bytes, k.bytes) << k.codePage;
    }
}

// Every byte a single-byte page defines decodes to one character and encodes back to itself,
// alone and in one run with all the others (NUL included).
TEST(CodePage, SingleBytePagesRoundTripEveryDefinedByte) {
    for (int codePage : {437, 850, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        std::string defined;
        for (int b = 0; b < 256; ++b) {
            std::string one(1, static_cast<char>(b));
            std::wstring text;
            if (!pw::MultiByteToUtf16(codePage, one, text))
                continue;
            ASSERT_EQ(text.size(), 1u) << codePage << " byte " << b;
            std::string back;
            ASSERT_TRUE(pw::Utf16ToMultiByte(codePage, text, back)) << codePage << " byte " << b;
            EXPECT_EQ(back, one) << codePage << " byte " << b;
            defined += one;
        }
        EXPECT_GE(defined.size(), 200u) << codePage;
        std::wstring text;
        ASSERT_TRUE(pw::MultiByteToUtf16(codePage, defined, text)) << codePage;
        EXPECT_EQ(text.size(), defined.size()) << codePage;
        std::string back;
        ASSERT_TRUE(pw::Utf16ToMultiByte(codePage, text, back)) << codePage;
        EXPECT_EQ(back, defined) << codePage;
    }
}

TEST(CodePage, DoubleBytePagesRoundTripText) {
    const std::pair<int, std::wstring> samples[] = {
        {932, L"\x65E5\x672C\x8A9E \x30C6\x30AD\x30B9\x30C8 abc \xFF71"},  // kanji, katakana, half-width kana
        {936, L"\x4E2D\x6587\x6587\x672C abc"},
        {949, L"\xD55C\xAD6D\xC5B4 abc"},
        {950, L"\x4E2D\x6587 abc"},
    };
    for (const auto& [codePage, text] : samples) {
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        std::string bytes;
        ASSERT_TRUE(pw::Utf16ToMultiByte(codePage, text, bytes)) << codePage;
        EXPECT_GT(bytes.size(), text.size()) << codePage;  // the ideographs took two bytes each
        std::wstring back;
        ASSERT_TRUE(pw::MultiByteToUtf16(codePage, bytes, back)) << codePage;
        EXPECT_EQ(back, text) << codePage;
    }
}

TEST(CodePage, UnrepresentableCharactersFailInsteadOfBecomingOthers) {
    const std::pair<int, std::wstring> cases[] = {
        {1252, L"a\x4E2D"},  // an ideograph
        {1252, L"\x0100"},   // A with macron: a best fit would quietly write a plain A
        {1252, L"\x221E"},   // infinity: best fit would write 8
        {1252, L"\xD800"},   // an unpaired surrogate
        {437, L"\x20AC"},    //
        {1250, L"\x00C3"},   // A with tilde
        {932, L"\xD55C"},    // a Hangul syllable in Japanese
    };
    for (const auto& [codePage, text] : cases) {
        if (!pw::IsCodePageAvailable(codePage))
            continue;
        std::string bytes;
        EXPECT_FALSE(pw::Utf16ToMultiByte(codePage, text, bytes)) << codePage << " gave " << bytes;
    }
    std::string bytes;
    EXPECT_FALSE(pw::Utf16ToMultiByte(pw::kCodePageUtf8, L"\xDC00", bytes));
}

TEST(CodePage, InvalidBytesFailInsteadOfVanishing) {
    const KnownBytes cases[] = {
        {pw::kCodePageUtf8, "ok\xC0\x80", L""},
        {932, "a\x93", L""},  // a lead byte with nothing after it
        {936, "\xD6\xD0\xD6", L""},
        {949, "\xC7", L""},
        {950, "abc\xA4", L""},
    };
    for (const auto& c : cases) {
        if (!pw::IsCodePageAvailable(c.codePage))
            continue;
        std::wstring text;
        EXPECT_FALSE(pw::MultiByteToUtf16(c.codePage, c.bytes, text)) << c.codePage;
    }
}

TEST(CodePage, EmptyAndNulPassThrough) {
    for (int codePage : {1252, 437, pw::kCodePageUtf8}) {
        std::wstring text = L"x";
        ASSERT_TRUE(pw::MultiByteToUtf16(codePage, "", text));
        EXPECT_EQ(text, L"");
        std::string bytes = "x";
        ASSERT_TRUE(pw::Utf16ToMultiByte(codePage, L"", bytes));
        EXPECT_EQ(bytes, "");
        ASSERT_TRUE(pw::MultiByteToUtf16(codePage, std::string_view("a\0b", 3), text));
        EXPECT_EQ(text, std::wstring(L"a\0b", 3));
        ASSERT_TRUE(pw::Utf16ToMultiByte(codePage, std::wstring(L"a\0b", 3), bytes));
        EXPECT_EQ(bytes, std::string("a\0b", 3));
    }
}

}  // namespace
