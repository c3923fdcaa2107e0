#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/CodePage.h"
#include "platform/TempFolder.h"

namespace {

using pw::IniEntry;
using pwtest::TempFolder;

std::vector<std::pair<std::wstring, std::wstring>> Pairs(const std::vector<IniEntry>& entries) {
    std::vector<std::pair<std::wstring, std::wstring>> pairs;
    for (const auto& e : entries) pairs.emplace_back(e.name, e.value);
    return pairs;
}

using Expected = std::vector<std::pair<std::wstring, std::wstring>>;

std::string Utf16LeWithMark(const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>((unit >> 8) & 0xFF));
    }
    return bytes;
}

TEST(SplitIniLine, TrimsBothSidesOfTheFirstEquals) {
    auto check = [](const wchar_t* line, const wchar_t* name, const wchar_t* value) {
        IniEntry entry = pw::SplitIniLine(line);
        EXPECT_EQ(entry.name, name) << line;
        EXPECT_EQ(entry.value, value) << line;
    };
    check(L"cpp=schemes\\cpp.schclass", L"cpp", L"schemes\\cpp.schclass");
    check(L"  key \t=\t value  ", L"key", L"value");
    check(L"a=b=c", L"a", L"b=c");
    check(L"novalue", L"novalue", L"");
    check(L"  spaced line  ", L"spaced line", L"");
    check(L"=only value", L"", L"only value");
    check(L"key=", L"key", L"");
    check(L"key=\"quoted\"", L"key", L"\"quoted\"");  // quotes are the caller's business
}

// A file as people write them: comments, blank lines, odd spacing, a line without '=', and a
// section that appears twice (the first one counts).
const char kConfig[] =
    "; Penwright configuration\r\n"
    "\r\n"
    "[themes]\r\n"
    "Default = themes\\default.ini\r\n"
    "  ; indented comment\r\n"
    "Dark=themes\\dark.ini   \r\n"
    "\r\n"
    "[Schemes]\r\n"
    "cpp   =   schemes\\cpp.schclass\r\n"
    "bare line\r\n"
    "html=schemes\\html.schclass\r\n"
    "[themes]\r\n"
    "Ignored=second section of the same name\r\n";

TEST(IniFile, ReadsSectionsAndEntriesInFileOrder) {
    TempFolder temp;
    auto path = temp.Write("Penwright.ini", kConfig);
    // Every header is listed, a repeated one again; lookups find the first.
    EXPECT_EQ(pw::IniSectionNames(path), (std::vector<std::wstring>{L"themes", L"Schemes", L"themes"}));
    EXPECT_EQ(Pairs(pw::IniSection(path, L"themes")),
              (Expected{{L"Default", L"themes\\default.ini"}, {L"Dark", L"themes\\dark.ini"}}));
    EXPECT_EQ(Pairs(pw::IniSection(path, L"SCHEMES")), (Expected{{L"cpp", L"schemes\\cpp.schclass"},
                                                                 {L"bare line", L""},
                                                                 {L"html", L"schemes\\html.schclass"}}));
    EXPECT_TRUE(pw::IniSection(path, L"missing").empty());
}

TEST(IniFile, LineFeedAloneEndsLinesToo) {
    TempFolder temp;
    auto path = temp.Write("lf.ini", "[a]\nx=1\ny = 2\n[]\n\n[b]\nz=3");  // no line end after the last line
    EXPECT_EQ(pw::IniSectionNames(path), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(Pairs(pw::IniSection(path, L"a")), (Expected{{L"x", L"1"}, {L"y", L"2"}}));
    EXPECT_EQ(Pairs(pw::IniSection(path, L"b")), (Expected{{L"z", L"3"}}));
}

TEST(IniFile, MissingFileOrFolderReadsAsEmpty) {
    TempFolder temp;
    EXPECT_TRUE(pw::IniSectionNames(temp.Path("missing.ini")).empty());
    EXPECT_TRUE(pw::IniSection(temp.Path("missing.ini"), L"themes").empty());
    EXPECT_TRUE(pw::IniSectionNames(pwtest::ApiPath(temp.Folder())).empty());
}

TEST(IniFile, ReadsUtf16AndUtf8WithAMark) {
    TempFolder temp;
    std::wstring text = L"[caf\x00E9]\r\nk\x00FC=\x20AC \x65E5\r\n";
    auto utf16 = temp.Write("utf16.ini", Utf16LeWithMark(text));
    auto utf8 = temp.Write("utf8.ini", "\xEF\xBB\xBF" + pw::Narrow(text));
    for (const auto& path : {utf16, utf8}) {
        EXPECT_EQ(pw::IniSectionNames(path), (std::vector<std::wstring>{L"caf\x00E9"}));
        EXPECT_EQ(Pairs(pw::IniSection(path, L"caf\x00E9")), (Expected{{L"k\x00FC", L"\x20AC \x65E5"}}));
    }
}

// Without a mark the bytes are in the system code page: UTF-8 here, the ANSI page on Windows.
TEST(IniFile, ReadsTextWithoutAMarkInTheSystemCodePage) {
    TempFolder temp;
    std::string value = "caf\xC3\xA9";
    auto path = temp.Write("plain.ini", "[s]\r\nk=" + value + "\r\n");
    std::wstring expected;
    ASSERT_TRUE(pw::MultiByteToUtf16(pw::kCodePageSystem, value, expected));
    EXPECT_EQ(Pairs(pw::IniSection(path, L"s")), (Expected{{L"k", expected}}));
}

// Large sections and long lines come back whole, however the system hands them over.
TEST(IniFile, LongLinesAndManyEntriesComeBackWhole) {
    TempFolder temp;
    std::string longValue(100000, 'v');
    std::string text = "[big]\r\nlong=" + longValue + "\r\n";
    for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + "=value" + std::to_string(i) + "\r\n";
    for (int i = 0; i < 1000; ++i) text += "[section" + std::to_string(i) + "]\r\n";
    auto path = temp.Write("big.ini", text);
    auto entries = pw::IniSection(path, L"big");
    ASSERT_EQ(entries.size(), 3001u);
    EXPECT_EQ(entries[0].value, std::wstring(100000, L'v'));
    EXPECT_EQ(entries[3000].name, L"key2999");
    EXPECT_EQ(entries[3000].value, L"value2999");
    auto names = pw::IniSectionNames(path);
    ASSERT_EQ(names.size(), 1001u);
    EXPECT_EQ(names.back(), L"section999");
}

TEST(IniFile, RelativePathsMeanTheCurrentFolder) {
    TempFolder temp;
    temp.Write("relative.ini", "[here]\r\nfound=yes\r\n");
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.Folder());
    auto entries = pw::IniSection(L"relative.ini", L"here");
    std::filesystem::current_path(previous);
    EXPECT_EQ(Pairs(entries), (Expected{{L"found", L"yes"}}));
}

TEST(IniDocument, ParsesWhatTheFileReaderSees) {
    pw::IniDocument document;
    ASSERT_TRUE(document.Parse(kConfig));
    EXPECT_EQ(document.SectionNames(), (std::vector<std::wstring>{L"themes", L"Schemes", L"themes"}));
    EXPECT_EQ(document.Section(L"THEMES").size(), 2u);
    EXPECT_EQ(document.Value(L"schemes", L"HTML"), L"schemes\\html.schclass");
    EXPECT_EQ(document.Value(L"themes", L"Ignored"), std::nullopt);  // only the first [themes] counts
    EXPECT_EQ(document.Value(L"nowhere", L"cpp"), std::nullopt);
}

TEST(IniDocument, RefusesBytesThatAreNoText) {
    pw::IniDocument document;
    EXPECT_FALSE(document.Parse("[s]\nk=\xC3("));                  // broken UTF-8
    EXPECT_FALSE(document.Parse(std::string("\xFF\xFE[\0s", 5)));  // UTF-16 cut in the middle of a unit
    EXPECT_TRUE(document.SectionNames().empty());
    EXPECT_TRUE(document.Parse(""));
    EXPECT_TRUE(document.SectionNames().empty());
}

TEST(IniDocument, SetValueChangesOneLineAndKeepsTheRest) {
    pw::IniDocument document;
    ASSERT_TRUE(
        document.Parse("; settings\r\n[Settings]\r\nTabSize=4\r\n; keep me\r\n\r\n[Other]\r\nx=1\r\n"));
    document.SetValue(L"settings", L"tabsize", L"8");  // names match without regard to case
    document.SetValue(L"Settings", L"AutoReload", L"1");
    document.SetValue(L"New", L"k", L"v");
    std::string bytes;
    ASSERT_TRUE(document.Serialize(bytes));
    EXPECT_EQ(bytes,
              "; settings\n[Settings]\ntabsize=8\n; keep me\nAutoReload=1\n\n[Other]\nx=1\n\n[New]\nk=v\n");
    pw::IniDocument again;
    ASSERT_TRUE(again.Parse(bytes));
    EXPECT_EQ(again.Value(L"SETTINGS", L"TabSize"), L"8");
    EXPECT_EQ(again.Value(L"new", L"K"), L"v");
}

TEST(IniDocument, SerializeRefusesTextThatIsNoUnicode) {
    pw::IniDocument document;
    document.SetValue(L"s", L"k", L"\xD800");
    std::string bytes;
    EXPECT_FALSE(document.Serialize(bytes));
}

}  // namespace
