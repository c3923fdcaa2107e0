#include "lexer/LexValue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <random>

#include "lexer/LexCharSet.h"
#include "lexer/LexClass.h"
#include "lexer/LexText.h"
#include "lexer/LexTextAttributes.h"
#include "platform/CodePage.h"

namespace {

// Membership of every set, written out independently of the implementation.
bool InSet(int id, wchar_t c) {
    auto between = [c](wchar_t lo, wchar_t hi) { return c >= lo && c <= hi; };
    switch (id) {
        case LexCharSet::kAlpha:
            return between(L'a', L'z') || between(L'A', L'Z');
        case LexCharSet::kDigit:
            return between(L'0', L'9');
        case LexCharSet::kHexDigit:
            return between(L'0', L'9') || between(L'a', L'f') || between(L'A', L'F');
        case LexCharSet::kSpecs:
            return c < 0x80 && std::ispunct(static_cast<int>(c));  // the C locale's 32 punctuation marks
        case LexCharSet::kEol:
            return c == L'\r' || c == L'\n';
        default:
            return false;
    }
}

}  // namespace

TEST(LexCharSet, NamesNegationAndMembership) {
    struct Case {
        std::wstring_view text;
        int id;
        bool negated;
    };
    for (Case c :
         {Case{L"@alpha", LexCharSet::kAlpha, false}, Case{L"@DIGIT:NOT", LexCharSet::kDigit, true},
          Case{L"@HexDigit:not:more", LexCharSet::kHexDigit, true},
          Case{L"@specs", LexCharSet::kSpecs, false}, Case{L"@eol:Not", LexCharSet::kEol, true},
          Case{L"@digit:nope", LexCharSet::kDigit, false}, Case{L"@digits", LexCharSet::kUnknown, false},
          Case{L"@", LexCharSet::kUnknown, false}, Case{L"alpha", LexCharSet::kUnknown, false},
          Case{L"@nothing:not", LexCharSet::kUnknown, true}}) {
        LexCharSet set = LexCharSet::Parse(c.text);
        EXPECT_EQ(set.GetId(), c.id) << c.text.data();
        EXPECT_EQ(set.IsNegated(), c.negated) << c.text.data();
    }

    // Every code unit against the model, plain and negated; letters beyond ASCII, digits of other
    // scripts and full-width punctuation are in no set.
    int specs = 0;
    for (int id = LexCharSet::kUnknown; id <= LexCharSet::kEol; ++id) {
        for (unsigned u = 0; u <= 0xFFFF; ++u) {
            auto c = static_cast<wchar_t>(u);
            bool in = InSet(id, c);
            ASSERT_EQ(LexCharSet(id, false).Matches(c), in) << id << " " << u;
            ASSERT_EQ(LexCharSet(id, true).Matches(c), !in) << id << " " << u;
            if (id == LexCharSet::kSpecs && in)
                ++specs;
        }
    }
    EXPECT_EQ(specs, 32);
}

TEST(LexValue, KindsAndEquality) {
    auto cls = [](std::wstring name) {
        pw::RefPtr<LexClass> c = pw::MakeRef<LexClass>();
        c->SetName(std::move(name));
        return c;
    };
    // Each row: a value, one equal to it made separately, one of the same kind that differs.
    struct Row {
        pw::RefPtr<LexValue> value, same, other;
        int kind;
    };
    std::vector<Row> rows = {
        {LexValue::MakeEmpty(), LexValue::MakeEmpty(), nullptr, LexValue::kEmpty},
        {LexValue::MakeClassNames({L"a", L"b"}), LexValue::MakeClassNames({L"a", L"b"}),
         LexValue::MakeClassNames({L"a", L"B"}), LexValue::kClassNames},
        {LexValue::MakeClass(cls(L"Comment")), LexValue::MakeClass(cls(L"COMMENT")),
         LexValue::MakeClass(cls(L"String")), LexValue::kClass},
        {LexValue::MakeList({LexValue::MakeNumber(1), LexValue::MakeStrings({L"x"})}),
         LexValue::MakeList({LexValue::MakeNumber(1), LexValue::MakeStrings({L"x"})}),
         LexValue::MakeList({LexValue::MakeNumber(1)}), LexValue::kList},
        {LexValue::MakeNumber(-7), LexValue::MakeNumber(-7), LexValue::MakeNumber(7), LexValue::kNumber},
        {LexValue::MakeStrings({L"/*"}), LexValue::MakeStrings({L"/*"}), LexValue::MakeStrings({L"/*", L""}),
         LexValue::kStrings},
        {LexValue::MakeCharSet(LexCharSet::Parse(L"@digit")),
         LexValue::MakeCharSet(LexCharSet::Parse(L"@DIGIT")),
         LexValue::MakeCharSet(LexCharSet::Parse(L"@digit:not")), LexValue::kCharSet},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.value->GetKind(), row.kind);
        EXPECT_TRUE(*row.value == *row.same) << row.kind;
        if (row.other) {
            EXPECT_FALSE(*row.value == *row.other) << row.kind;
        }
        // Kinds never compare equal to one another, even with like payloads.
        for (const Row& second : rows) {
            if (second.kind != row.kind) {
                EXPECT_FALSE(*row.value == *second.value) << row.kind << " " << second.kind;
            }
        }
    }
    // Class names and strings with the same text are still different kinds.
    EXPECT_FALSE(*LexValue::MakeClassNames({L"a"}) == *LexValue::MakeStrings({L"a"}));
}

// Numbers read the way wcstol reads them where long has 32 bits: the C library's wcstol, clamped
// to 32 bits, is the model for random texts over the characters that matter.
TEST(LexValue, ParseNumberAgreesWithWcstol) {
    const std::wstring_view alphabet = L" \t+-0xX178aAfFgG9";
    std::mt19937 rng(17);
    for (int i = 0; i < 50000; ++i) {
        std::wstring text(rng() % 14, L' ');
        for (wchar_t& c : text) c = alphabet[rng() % alphabet.size()];
        // Long digit runs reach past both limits.
        if (i % 7 == 0)
            text += std::wstring(rng() % 12, L'9');
        long expected = std::wcstol(text.c_str(), nullptr, 0);
        expected = std::clamp<long>(expected, INT32_MIN, INT32_MAX);
        ASSERT_EQ(LexValue::ParseNumber(text), expected) << '"' << pw::Narrow(text) << '"';
    }
    EXPECT_EQ(LexValue::ParseNumber(L"0xFF0000"), 0xFF0000);
    EXPECT_EQ(LexValue::ParseNumber(L"010"), 8);
    EXPECT_EQ(LexValue::ParseNumber(L"08"), 0);
    EXPECT_EQ(LexValue::ParseNumber(L"0x"), 0);
    EXPECT_EQ(LexValue::ParseNumber(L"-2147483649"), INT32_MIN);
    EXPECT_EQ(LexValue::ParseNumber(L"0xFFFFFFFF"), INT32_MAX);
    EXPECT_EQ(LexValue::ParseNumber(L""), 0);
}

TEST(LexTextAttributes, RedAndBlueChangePlaces) {
    EXPECT_EQ(SwapRedBlue(0xFF0000), 0x0000FF);
    EXPECT_EQ(SwapRedBlue(0x123456), 0x563412);
    EXPECT_EQ(SwapRedBlue(kColorNotSet), kColorNotSet);
    std::mt19937 rng(3);
    for (int i = 0; i < 1000; ++i) {
        auto color = static_cast<int32_t>(rng());
        EXPECT_EQ(SwapRedBlue(SwapRedBlue(color)), color);
        EXPECT_EQ(SwapRedBlue(color) & 0xFF00FF00, color & 0xFF00FF00);  // green and the top byte stay
    }
}

TEST(LexText, FoldsAsciiLatin1GreekAndCyrillic) {
    EXPECT_TRUE(EqualNoCase(L"Txt:ColorFG", L"txt:colorfg"));
    EXPECT_TRUE(EqualNoCase(L"\u00C9T\u00C9", L"\u00E9t\u00E9"));
    EXPECT_TRUE(EqualNoCase(L"\u0391\u03A9", L"\u03B1\u03C9"));
    EXPECT_TRUE(EqualNoCase(L"\u0401\u0416", L"\u0451\u0436"));
    EXPECT_FALSE(EqualNoCase(L"\u00D7", L"\u00F7"));  // multiplication and division signs
    EXPECT_FALSE(EqualNoCase(L"ab", L"abc"));
    EXPECT_FALSE(EqualNoCase(L"@", L"`"));  // one apart from a letter range, not letters
    EXPECT_TRUE(StartsWithNoCase(L"TXT:colorBK", L"txt:"));
    EXPECT_FALSE(StartsWithNoCase(L"tx", L"txt:"));
    // Folding is idempotent and leaves lower case alone.
    for (unsigned u = 0; u <= 0xFFFF; ++u) {
        wchar_t f = FoldCase(static_cast<wchar_t>(u));
        ASSERT_EQ(FoldCase(f), f) << u;
    }
}
