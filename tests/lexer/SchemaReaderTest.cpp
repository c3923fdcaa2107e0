// Schema text to raw definitions: the tokens and how they make blocks, attributes and values,
// the places recorded for write-back, malformed and hostile text, files and the cache, and
// value escaping.
#include "lexer/SchemaReader.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <random>
#include <string>

#include "lexer/LexText.h"
#include "lexer/SchemaReaderTesting.h"
#include "platform/TempFolder.h"

namespace {

using pwtest::Describe;

std::vector<LexClassDef> Parse(std::wstring_view text) {
    SchemaReader reader;
    reader.ParseText(text);
    return reader.GetDefinitions();
}

TEST(SchemaReaderTest, BlocksOpenOnlyAtTheExactKeywordAndNeedANameLine) {
    // Text before the first block is nobody's; the keyword in another case or with a blank
    // before its colon is an ordinary word and so an attribute's name part; a block without a
    // name line is dropped; the last name line wins and is kept as written.
    EXPECT_EQ(Describe(Parse(L"junk = 1\r\n"
                             L"lexClass:\r\n"
                             L"\tname = first\r\n"
                             L"LexClass: a = 1\r\n"
                             L"lexclass:b = 2\r\n"
                             L"lexClass : c = 3\r\n"
                             L"//:lexClass\r\n"
                             L"lexClass:\r\n"
                             L"\td = 4\r\n"
                             L"//:lexClass\r\n"
                             L"lexClass: name = 'it\\'s'\r\n"
                             L"\te = 5\r\n"
                             L"\tNAME = second\r\n"
                             L"lexClass: name = 'x\\'y', z\r\n")),
              L"first\n"
              L"  LexClass a = [1]\n"
              L"  lexclass b = [2]\n"
              L"  lexClass : c = [3]\n"
              L"second\n"
              L"  e = [5]\n"
              L"'x\\'y'\n");
    EXPECT_TRUE(Parse(L"name = a\r\nLEXCLASS: name = b\r\nlexClass= name = c\r\n").empty());
}

TEST(SchemaReaderTest, ValuesFollowTheTokenRules) {
    EXPECT_EQ(Describe(Parse(L"lexClass: name = c\n"
                             L"\ttxt:colorFG = 0xFF0000\n"             // parts joined by a colon
                             L"\tstart:tag = '/*', '*/'\n"             // quotes stay
                             L"\tb = 'it\\'s'\n"                       // an escaped quote
                             L"\tc = 'ab\\\\'\n"                       // not closed: runs to the end
                             L"\tc2 = 'ab\\\\' tail\n"                 //   of the line
                             L"\td = abc/def ghi\n"                    // a slash starts a comment
                             L"\tf = @alpha:not, x=y\n"                // other runs through ":" "="
                             L"\tg =\n"                                // no values: no attribute
                             L"\th = '' x'\n"                          // no empty quoted text
                             L"\ti = 'a'b\n"                           // a token after the quote
                             L"\tj = x,,y\tz // comment\n"             // blanks and commas
                             L"\tk = 'open\n"                          // unclosed at the line end
                             L"\tl = '\\a\\b\\f\\n\\r\\t\\v\\q'\n")),  // escapes
              L"c\n"
              L"  txt colorFG = [0xFF0000]\n"
              L"  start tag = ['/*'] ['*/']\n"
              L"  b = ['it's']\n"
              L"  c = ['ab\\']\n"
              L"  c2 = ['ab\\' tail]\n"
              L"  d = [abc]\n"
              L"  f = [@alpha:not] [x] [=] [y]\n"
              L"  h = [' x']\n"
              L"  i = ['a'] [b]\n"
              L"  j = [x] [y] [z]\n"
              L"  k = ['open]\n"
              L"  l = ['\a\b\f\n\r\t\v\\q']\n");
}

TEST(SchemaReaderTest, NamePartsRunOverLinesAndKeepASpacedColon) {
    EXPECT_EQ(Describe(Parse(L"lexClass: name = c\n"
                             L"\ttxt : colorFG = 1\n"
                             L"\tstart\n"
                             L":tag = 'x'\n"  // a colon first
                             L"\tend\n"
                             L"\t:tag = 'y'\n"  // a blank first
                             L"\tend // the rest of a name can follow a comment\n"
                             L"\ttag = 'z'\n"
                             L"\t'q':w = 2\n")),
              L"c\n"
              L"  txt : colorFG = [1]\n"
              L"  start tag = ['x']\n"
              L"  end : tag = ['y']\n"
              L"  end tag = ['z']\n"
              L"  'q' w = [2]\n");
}

TEST(SchemaReaderTest, RecordsLinesAndValuePlacesWhateverTheLineEnds) {
    for (std::wstring_view end : {L"\r\n", L"\n"}) {
        std::wstring text;
        for (std::wstring_view line :
             {L"// header", L"lexClass:", L"\tname = c", L"\ttxt:colorFG  =  0xFF0000 // red", L"\tstart",
              L"\t:tag = '/*', '{'  // two", L"", L"lexClass: name = d", L"\ta = 1", L"\tname = e"})
            text.append(line).append(end);
        std::vector<LexClassDef> classes = Parse(text);
        ASSERT_EQ(classes.size(), 2u);
        EXPECT_EQ(classes[0].firstLine, 2u);
        EXPECT_EQ(classes[0].lastLine, 6u);
        const LexAttrDef& color = classes[0].attributes[0];
        EXPECT_EQ(color.line, 4u);
        EXPECT_EQ(color.start.line, 4u);
        EXPECT_EQ(color.start.column, 1u);
        EXPECT_EQ(color.value.line, 4u);
        EXPECT_EQ(color.value.column, 17u);
        EXPECT_EQ(color.valueLength, 8u);
        const LexAttrDef& tag = classes[0].attributes[1];
        EXPECT_EQ(tag.line, 6u);
        EXPECT_EQ(tag.start.line, 5u);
        EXPECT_EQ(tag.value.line, 6u);
        EXPECT_EQ(tag.value.column, 8u);
        EXPECT_EQ(tag.valueLength, 9u);
        // A name line after the attributes is the block's last line.
        EXPECT_EQ(classes[1].name, L"e");
        EXPECT_EQ(classes[1].firstLine, 8u);
        EXPECT_EQ(classes[1].lastLine, 10u);
    }
    // The keyword's line is its own, even with the line feed right after it.
    std::vector<LexClassDef> classes = Parse(L"\nlexClass:\nname = x\n");
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(classes[0].firstLine, 2u);
    EXPECT_EQ(classes[0].lastLine, 3u);
}

TEST(SchemaReaderTest, MalformedTextGivesWhatTheRulesGive) {
    // An attribute without "=" before the next block is dropped.
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a\n\tb c\nlexClass: name = b\n")), L"a\nb\n");
    // The last character is read even without a line end; unclosed quotes end with the text.
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a\n\tv = 1")), L"a\n  v = [1]\n");
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a\n\tv = 'abc")), L"a\n  v = ['abc]\n");
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a")), L"a\n");
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a\n\tv =")), L"a\n");
    EXPECT_EQ(Describe(Parse(L"lexClass: name = a\n\tv")), L"a\n");
    // A NUL ends the text.
    EXPECT_EQ(Describe(Parse(std::wstring(L"lexClass: name = a\n\tv = 1\0\n\tw = 2\n", 34))),
              L"a\n  v = [1]\n");
    EXPECT_TRUE(Parse(L"").empty());
    EXPECT_TRUE(Parse(L"lexClass:").empty());

    // Ten million characters on one line, as a value, an unclosed quote and a comment.
    const std::wstring huge(10'000'000, L'x');
    std::vector<LexClassDef> classes =
        Parse(L"lexClass: name = a\n\tv = " + huge + L"\n\tw = '" + huge + L"\n// " + huge + L"\n\tz = 1\n");
    ASSERT_EQ(classes.size(), 1u);
    ASSERT_EQ(classes[0].attributes.size(), 3u);
    EXPECT_EQ(classes[0].attributes[0].values, std::vector<std::wstring>{huge});
    EXPECT_EQ(classes[0].attributes[0].valueLength, huge.size());
    EXPECT_EQ(classes[0].attributes[1].values, std::vector<std::wstring>{L"'" + huge});
    EXPECT_EQ(classes[0].attributes[2].line, 5u);
}

// Random text made mostly of the characters that steer the scanner: whatever comes out keeps
// the reader's promises, and every recorded place points at the value it describes.
TEST(SchemaReaderTest, RandomTextKeepsTheDefinitionsConsistent) {
    const std::wstring pieces[] = {L"lexClass:", L"name", L"=", L":",      L"'",     L"\\",   L"/",
                                   L" ",         L"\t",   L",", L"\r",     L"\n",    L"\r\n", L"a",
                                   L"Zq",        L"0x1",  L"@", L"\x00E9", L"\xD800"};
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::wstring text;
        int length = std::uniform_int_distribution<int>(0, 60)(rng);
        for (int i = 0; i < length; ++i)
            text += pieces[std::uniform_int_distribution<size_t>(0, std::size(pieces) - 1)(rng)];
        SCOPED_TRACE(testing::PrintToString(text));
        std::vector<std::wstring> lines(1);
        for (wchar_t c : text) {
            if (c == L'\n')
                lines.emplace_back();
            else
                lines.back().push_back(c);
        }
        size_t previousLine = 0;
        for (const LexClassDef& cls : Parse(text)) {
            EXPECT_FALSE(cls.name.empty());
            EXPECT_GE(cls.firstLine, previousLine);
            EXPECT_GE(cls.lastLine, cls.firstLine);
            previousLine = cls.lastLine;
            for (const LexAttrDef& attribute : cls.attributes) {
                ASSERT_FALSE(attribute.values.empty());
                EXPECT_LE(attribute.value.line, cls.lastLine);
                ASSERT_LE(attribute.value.line, lines.size());
                const std::wstring& line = lines[attribute.value.line - 1];
                ASSERT_GT(attribute.valueLength, 0u);
                ASSERT_LE(attribute.value.column + attribute.valueLength, line.size());
                std::wstring raw = line.substr(attribute.value.column, attribute.valueLength);
                for (wchar_t edge : {raw.front(), raw.back()})
                    EXPECT_EQ(std::wstring_view(L" \t,\r\n").find(edge), std::wstring_view::npos);
                EXPECT_NE(raw.front(), L'/');
            }
        }
    }
}

TEST(SchemaReaderTest, FilesAndTheCache) {
    pwtest::TempFolder temp;
    SchemaReader reader;
    std::wstring upper = temp.Write("Upper.SCH", "lexClass: name = a\r\n\tv = 1\r\n");
    std::wstring other = temp.Write("other.sch", "lexClass: name = b\r\n");
    std::wstring missing = temp.Path("missing.sch");
    std::filesystem::create_directory(temp.Native("folder.sch"));

    reader.ReadSchemaFile(upper, true);
    EXPECT_EQ(Describe(reader.GetDefinitions()), L"a\n  v = [1]\n");
    reader.ReadSchemaFile(other, false);
    EXPECT_EQ(Describe(reader.GetDefinitions()), L"b\n");
    for (const std::wstring& nothing : {missing, temp.Path("folder.sch"), std::wstring(L"#9701")}) {
        reader.ReadSchemaFile(nothing, false);
        EXPECT_TRUE(reader.GetDefinitions().empty());
    }

    // Copies only what was read with the flag, keyed by the lower-cased path, and replaces
    // whatever the destination held.
    SchemaCache copy{{L"stale", SchemaFileDefs{}}};
    reader.CopyCache(copy);
    std::wstring key;
    for (wchar_t c : upper) key += static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    ASSERT_EQ(copy.size(), 1u);
    ASSERT_EQ(copy.count(key), 1u);
    EXPECT_EQ(Describe(copy[key].classes), L"a\n  v = [1]\n");
    EXPECT_FALSE(copy[key].modified);

    // A second read of the same file replaces the entry.
    temp.Write("Upper.SCH", "lexClass: name = c\r\n");
    reader.ReadSchemaFile(upper, true);
    reader.CopyCache(copy);
    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(Describe(copy[key].classes), L"c\n");

    // Bytes that are no text in the system code page read one byte per character.
    reader.ReadSchemaFile(temp.Write("latin.sch", "lexClass: name = caf\xE9\r\n\tv = '\xFF'\r\n"), false);
    EXPECT_EQ(Describe(reader.GetDefinitions()), L"caf\x00E9\n  v = ['\x00FF']\n");
}

// Escaping undoes unescaping for any text, and an escaped quoted value written into schema
// text reads back as itself.
TEST(SchemaReaderTest, EscapeRoundTrips) {
    const wchar_t alphabet[] = L"a'\\ \t\n\r\a\b\f\v/,=:x\x00E9\x4E00";
    std::mt19937 rng(11);
    SchemaReader reader;
    for (int round = 0; round < 5000; ++round) {
        std::wstring value;
        int length = std::uniform_int_distribution<int>(0, 12)(rng);
        for (int i = 0; i < length; ++i)
            value += alphabet[std::uniform_int_distribution<size_t>(0, std::size(alphabet) - 2)(rng)];
        SCOPED_TRACE(testing::PrintToString(value));
        std::wstring escaped = SchemaReader::Escape(value);
        EXPECT_EQ(escaped.find_first_of(L"\a\b\f\n\r\t\v"), std::wstring::npos);
        EXPECT_EQ(SchemaReader::Unescape(escaped), std::wstring(Trim(value)));
        if (value.empty())
            continue;  // "''" opens no empty quoted text
        std::wstring quoted = L"'" + value + L"'";
        reader.ParseText(L"lexClass: name = c\r\n\tv = " + SchemaReader::Escape(quoted) + L"\r\n");
        ASSERT_EQ(reader.GetDefinitions().size(), 1u);
        ASSERT_EQ(reader.GetDefinitions()[0].attributes.size(), 1u);
        EXPECT_EQ(reader.GetDefinitions()[0].attributes[0].values, std::vector<std::wstring>{quoted});
    }
    EXPECT_EQ(SchemaReader::Escape(L" it's\\ "), L"it\\'s\\\\");
    EXPECT_EQ(SchemaReader::Escape(L"'it's'"), L"'it\\'s'");
    EXPECT_EQ(SchemaReader::Unescape(L"\\\\n\\x\\"), L"\\n\\x\\");
    EXPECT_EQ(SchemaReader::Unescape(L"'"), L"'");
}

}  // namespace
