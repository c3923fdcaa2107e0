// The renderers of penwright-cli: whatever the text and however the runs cut it, the page or the
// terminal shows the text itself, in the colours of its runs, and nothing in the text can pass
// for markup or a terminal command.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "AnsiRenderer.h"
#include "HtmlRenderer.h"
#include "platform/CodePage.h"

namespace {

// Random UTF-16 with everything that needs care: markup characters, controls, tabs, surrogate
// pairs and lone surrogates.
std::wstring RandomText(std::mt19937& random, size_t length) {
    static const std::wstring kPieces[] = {
        L"a",    L"Z",      L" ",      L"\t",           L"<",      L">",     L"&", L"\"", L"\x1b", L"\x01",
        L"\x7f", L"\u00e9", L"\u4e2d", L"\xD83D\xDE00", L"\xD800", L"\xDC00"};
    std::wstring text;
    while (text.size() < length) text += kPieces[random() % std::size(kPieces)];
    return text;
}

// What the text looks like once shown: controls and lone surrogates as U+FFFD.
std::string Shown(const std::wstring& text) {
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            shown += text.substr(i++, 2);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || (c < 0x20 && c != L'\t') || c == 0x7F) {
            shown += wchar_t(0xFFFD);
        } else {
            shown += c;
        }
    }
    std::string utf8;
    EXPECT_TRUE(pw::Utf16ToUtf8(shown, utf8));
    return utf8;
}

// Runs that tile [0, length) at random places, each with its own colour.
std::vector<RowRun> RandomRuns(std::mt19937& random, int length) {
    std::vector<RowRun> runs;
    for (int start = 0; start < length;) {
        const int end = std::min(length, start + 1 + static_cast<int>(random() % 6));
        RowRun run{start, end, {}};
        run.attributes.text.custom = static_cast<int32_t>(random() % 3) * 0x0000FF;
        run.attributes.weight = random() % 2 ? LexTextAttributes::kBold : LexTextAttributes::kNotSet;
        runs.push_back(run);
        start = end;
    }
    return runs;
}

std::string Unescaped(std::string html) {
    html = std::regex_replace(html, std::regex("<[^>]*>"), "");
    html = std::regex_replace(html, std::regex("&lt;"), "<");
    html = std::regex_replace(html, std::regex("&gt;"), ">");
    return std::regex_replace(html, std::regex("&amp;"), "&");
}

TEST(Renderers, ShowExactlyTheTextWhateverTheRuns) {
    std::mt19937 random(11);
    LexTextAttributes base;
    for (int round = 0; round < 200; ++round) {
        const std::wstring text = RandomText(random, random() % 40);
        const std::vector<RowRun> runs = RandomRuns(random, static_cast<int>(text.size()));
        std::string html, ansi;
        HtmlRenderer(L"t", base, 4).Row(text, runs, html);
        AnsiRenderer(base).Row(text, runs, ansi);
        ASSERT_EQ(Unescaped(html), Shown(text) + "\n");
        // Nothing but our own escapes reach the terminal: the text's ESC became U+FFFD.
        ASSERT_EQ(std::regex_replace(ansi, std::regex("\x1b\\[[0-9;]*m"), ""), Shown(text) + "\n");
    }
}

TEST(Renderers, HtmlIsAStandalonePageWithOneClassPerLook) {
    LexTextAttributes base;
    base.text.standard = 0x000000;
    base.background.standard = 0xFFFFFF;
    LexTextAttributes red = base, redBold = base;
    red.text.custom = 0x0000FF;  // COLORREF: red in the lowest byte
    redBold.text.custom = 0x0000FF;
    redBold.weight = LexTextAttributes::kBold;
    HtmlRenderer page(L"a<b>.c", base, 8);
    std::string body;
    page.Row(L"int x; // y", {{0, 3, red}, {3, 4, base}, {4, 6, red}, {6, 7, base}, {7, 11, redBold}}, body);
    page.Row(L"z", {{0, 1, red}}, body);
    EXPECT_EQ(body,
              "<span class=\"c0\">int</span> <span class=\"c0\">x;</span> <span class=\"c1\">// y</span>\n"
              "<span class=\"c0\">z</span>\n");
    const std::string head = page.Prologue();
    EXPECT_EQ(head.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(head.find("<title>a&lt;b&gt;.c</title>"), std::string::npos);
    EXPECT_NE(head.find(".c0 { color: #ff0000 }"), std::string::npos) << head;
    EXPECT_NE(head.find(".c1 { color: #ff0000; font-weight: bold }"), std::string::npos) << head;
    EXPECT_NE(head.find("tab-size: 8"), std::string::npos);
    EXPECT_EQ(page.Epilogue(), "</pre>\n</body>\n</html>\n");
    // A page that learns the rows first has their classes in its sheet before any row is written.
    HtmlRenderer streamed(L"a<b>.c", base, 8);
    streamed.Learn({{0, 1, base}, {1, 2, redBold}});
    streamed.Learn({{0, 2, red}});
    std::string rows;
    streamed.Row(L"z", {{0, 1, red}}, rows);
    EXPECT_NE(streamed.Prologue().find(".c0 { color: #ff0000; font-weight: bold }"), std::string::npos);
    EXPECT_EQ(rows, "<span class=\"c1\">z</span>\n");
}

TEST(Renderers, AnsiSpellsColoursAndStylesOncePerChange) {
    LexTextAttributes base;
    LexTextAttributes blue = base;
    blue.text.custom = 0xFF0000;  // COLORREF: blue in the third byte
    blue.background.standard = 0x102030;
    blue.italic = 1;
    std::string out;
    AnsiRenderer(base).Row(L"ab", {{0, 1, blue}, {1, 2, blue}}, out);
    EXPECT_EQ(out, "\x1b[0;3m\x1b[38;2;0;0;255m\x1b[48;2;48;32;16mab\x1b[0m\n");
}

}  // namespace
