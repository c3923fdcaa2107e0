// Writing edited definitions back into a schema file: exactly the intended changes, everything
// else kept line for line, and a failed write-back that leaves the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "lexer/SchemaReaderTesting.h"
#include "platform/CodePage.h"
#include "platform/TempFolder.h"

namespace {

using namespace std::string_literals;
using pwtest::Describe;
using Strings = std::vector<std::wstring>;

std::string Join(std::initializer_list<std::string_view> lines, std::string_view end) {
    std::string text;
    for (std::string_view line : lines) text.append(line).append(end);
    return text;
}

LexClassDef& ClassNamed(SchemaFileDefs& defs, std::wstring_view name) {
    auto found = std::find_if(defs.classes.begin(), defs.classes.end(),
                              [&](const LexClassDef& c) { return c.name == name; });
    EXPECT_NE(found, defs.classes.end());
    return *found;
}

LexAttrDef& AttributeNamed(LexClassDef& cls, std::wstring_view name) {
    auto found = std::find_if(cls.attributes.begin(), cls.attributes.end(),
                              [&](const LexAttrDef& a) { return EqualNoCase(a.FullName(), name); });
    EXPECT_NE(found, cls.attributes.end());
    return *found;
}

LexAttrDef NewAttribute(Strings parts, Strings values) {
    LexAttrDef attribute;
    attribute.nameParts = std::move(parts);
    attribute.values = std::move(values);
    return attribute;
}

class SchemaWriteBackTest : public ::testing::Test {
protected:
    // The definitions of a file as the options dialog gets them: from the cache.
    SchemaFileDefs Cached(const std::wstring& path) {
        reader.ReadSchemaFile(path, true);
        SchemaCache cache;
        reader.CopyCache(cache);
        SchemaFileDefs defs = cache[FoldCase(path)];
        defs.modified = true;
        return defs;
    }

    // Writes `original`, applies `edit` to its definitions and writes them back: the answer, and
    // the file's bytes afterwards.
    template <typename Edit>
    std::pair<int, std::string> WriteBack(std::string_view original, Edit edit, std::string name = "a.sch") {
        std::wstring path = temp.Write(name, original);
        SchemaFileDefs defs = Cached(path);
        edit(defs);
        int written = reader.WriteBack(path, defs);
        return {written, temp.Read(name)};
    }

    pwtest::TempFolder temp;
    SchemaReader reader;
};

TEST_F(SchemaWriteBackTest, ChangesExactlyWhatWasEditedAndKeepsEveryOtherLine) {
    for (std::string_view end : {"\r\n", "\n"}) {
        std::string original = Join({"// Sample schema: comments and blank lines stay.",
                                     "// A second header line",
                                     "",
                                     "lexClass:",
                                     "\tname = c_CPP",
                                     "\tparent:file = <*.c|*.cpp>",
                                     "\tCaseSensitive = 1",
                                     "\ttxt:colorFG = 0x000000  // default text",
                                     "",
                                     "//:lexClass",
                                     "",
                                     "lexClass:\tname = c_Comment",
                                     "\tparent = c_CPP",
                                     "\tstart:tag = '/*'",
                                     "\tend:tag = '*/'",
                                     "  txt:colorFG   =   0x008000   // green comments",
                                     "\ttxt:Italic = 1",
                                     "//:lexClass",
                                     "",
                                     "// The strings block goes away.",
                                     "lexClass:",
                                     "\tname = c_String",
                                     "\tparent = c_CPP",
                                     "\tstart:tag = '\"'",
                                     "\ttxt:colorFG = 0x800000",
                                     "//:lexClass",
                                     "",
                                     "lexClass:",
                                     "\tname = c_Keyword",
                                     "\tparent = c_CPP",
                                     "\ttoken:tag = 'if', 'else', 'while'",
                                     "\ttxt:colorFG = 0x0000FF",
                                     "\t// a note after the last attribute",
                                     "//:lexClass",
                                     "// end of file"},
                                    end);
        SchemaFileDefs edited;
        auto [written, text] = WriteBack(original, [&](SchemaFileDefs& defs) {
            AttributeNamed(ClassNamed(defs, L"c_CPP"), L"txt:colorFG").values = {L"0x101010"};
            LexClassDef& comment = ClassNamed(defs, L"c_Comment");
            AttributeNamed(comment, L"txt:colorFG").values = {L"0x00FF00"};
            AttributeNamed(comment, L"txt:italic").values = {L"0"};
            comment.attributes.push_back(NewAttribute({L"txt", L"Bold"}, {L"1"}));
            std::erase_if(defs.classes, [](const LexClassDef& c) { return c.name == L"c_String"; });
            LexClassDef& keyword = ClassNamed(defs, L"c_Keyword");
            AttributeNamed(keyword, L"token:tag").values = {L"'if'", L"'for'", L"'it's'"};
            keyword.attributes.push_back(NewAttribute({L"txt", L"colorBK"}, {L"0xFFFFFF"}));
            LexClassDef number;
            number.name = L"c_Number";
            number.attributes = {NewAttribute({L"parent"}, {L"c_CPP"}),
                                 NewAttribute({L"start", L"tag"}, {L"'0x'"}),
                                 NewAttribute({L"txt", L"colorFG"}, {L"0xFF00FF"})};
            defs.classes.push_back(number);
            edited = defs;
        });
        EXPECT_EQ(written, 1);
        EXPECT_EQ(text, Join({"// Sample schema: comments and blank lines stay.",
                              "// A second header line",
                              "",
                              "lexClass:",
                              "\tname = c_CPP",
                              "\tparent:file = <*.c|*.cpp>",
                              "\tCaseSensitive = 1",
                              "\ttxt:colorFG = 0x101010  // default text",
                              "",
                              "//:lexClass",
                              "",
                              "lexClass:\tname = c_Comment",
                              "\tparent = c_CPP",
                              "\tstart:tag = '/*'",
                              "\tend:tag = '*/'",
                              "  txt:colorFG   =   0x00FF00   // green comments",
                              "\ttxt:Italic = 0",
                              "\ttxt:Bold = 1",
                              "//:lexClass",
                              "",
                              "// The strings block goes away.",
                              "",
                              "lexClass:",
                              "\tname = c_Keyword",
                              "\tparent = c_CPP",
                              "\ttoken:tag = 'if', 'for', 'it\\'s'",
                              "\ttxt:colorFG = 0x0000FF",
                              "\ttxt:colorBK = 0xFFFFFF",
                              "\t// a note after the last attribute",
                              "//:lexClass",
                              "// end of file",
                              "",
                              "lexClass:",
                              "\tname = c_Number",
                              "\tparent = c_CPP",
                              "\tstart:tag = '0x'",
                              "\ttxt:colorFG = 0xFF00FF",
                              "//:lexClass"},
                             "\r\n"));
        EXPECT_TRUE(reader.GetDefinitions().empty());
        // Read again, the file holds what was edited.
        reader.ReadSchemaFile(temp.Path("a.sch"), false);
        EXPECT_EQ(Describe(reader.GetDefinitions()), Describe(edited.classes));
    }
}

TEST_F(SchemaWriteBackTest, OddLayoutsKeepWhatIsNotTheirs) {
    // An attribute on the keyword's line goes without the keyword; a block without attributes
    // gets new ones after its name line; an attribute over two lines goes whole; an edited
    // value on a line whose "=" stands alone is replaced where it is.
    std::string odd =
        Join({"lexClass: a = 1", "\tname = x", "lexClass:", "name = y", "// y ends", "lexClass: name = z",
              "\tstart", "\t:tag = 'q'", "\tend", "= 'w'", "last line without end"},
             "\n");
    odd.pop_back();
    auto [written, text] = WriteBack(odd, [](SchemaFileDefs& defs) {
        ClassNamed(defs, L"x").attributes.clear();
        ClassNamed(defs, L"y").attributes.push_back(NewAttribute({L"v"}, {L"2"}));
        LexClassDef& z = ClassNamed(defs, L"z");
        z.attributes.erase(z.attributes.begin());
        z.attributes[0].values = {L"'e'"};
    });
    EXPECT_EQ(written, 1);
    EXPECT_EQ(text, Join({"lexClass:", "\tname = x", "lexClass:", "name = y", "\tv = 2", "// y ends",
                          "lexClass: name = z", "\tend", "= 'e'", "last line without end"},
                         "\r\n"));

    // Two blocks of one name each keep their own attributes.
    auto [twice, both] =
        WriteBack(Join({"lexClass: name = d", "\tv = 1", "lexClass: name = D", "\tw = 2"}, "\r\n"),
                  [](SchemaFileDefs& defs) { defs.classes[1].attributes[0].values = {L"3"}; });
    EXPECT_EQ(twice, 1);
    EXPECT_EQ(both, Join({"lexClass: name = d", "\tv = 1", "lexClass: name = D", "\tw = 3"}, "\r\n"));
}

TEST_F(SchemaWriteBackTest, KeepsTheBytesOfTextTheReaderDoesNotSee) {
    // Bytes that are no text in the system code page, and everything after a NUL, come back
    // as they were while a value changes.
    std::string original = Join({"// caf\xE9 \xFF", "lexClass: name = a", "\tv = 1"}, "\r\n") +
                           "\0 \xFE\r\nlexClass: name = b\r\n"s;
    auto [written, text] = WriteBack(
        original, [](SchemaFileDefs& defs) { ClassNamed(defs, L"a").attributes[0].values = {L"2"}; });
    EXPECT_EQ(written, 1);
    std::string expected = original;
    expected.replace(expected.find("v = 1"), 5, "v = 2");
    EXPECT_EQ(text, expected);

    // Leaving out the block that a NUL ends keeps what follows the NUL, unseen as before.
    auto [removed, rest] = WriteBack("lexClass: name = a\r\n\tv = 1\0 hidden\r\nlexClass: name = b\r\n"s,
                                     [](SchemaFileDefs& defs) { defs.classes.clear(); });
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(rest, "\0 hidden\r\nlexClass: name = b\r\n"s);

    // A missing file is made from the edited classes.
    SchemaFileDefs defs;
    defs.modified = true;
    defs.classes.resize(2);
    defs.classes[1].name = L"n";
    defs.classes[1].attributes = {NewAttribute({L"v"}, {L"1", L"'a\tb'"})};
    EXPECT_EQ(reader.WriteBack(temp.Path("new.sch"), defs), 1);
    EXPECT_EQ(temp.Read("new.sch"),
              Join({"", "lexClass:", "\tname = n", "\tv = 1, 'a\\tb'", "//:lexClass"}, "\r\n"));
}

TEST_F(SchemaWriteBackTest, AFailedWriteBackLeavesTheFileAsItWas) {
    const std::string original = Join({"// keep me", "lexClass: name = a", "\tv = 1"}, "\r\n");
    auto setValue = [](std::wstring value) {
        return [value](SchemaFileDefs& defs) { ClassNamed(defs, L"a").attributes[0].values = {value}; };
    };
    struct Case {
        const char* what;
        std::string text;
        std::function<void(SchemaFileDefs&)> edit;
        std::string name = "a.sch";
    };
    const Case cases[] = {
        {"nothing modified", original, [](SchemaFileDefs& defs) { defs.modified = false; }},
        {"a value with no bytes in the code page", original, setValue(std::wstring(1, wchar_t(0xD800)))},
        {"a value holding a NUL", original, setValue(std::wstring(L"x\0y", 3))},
        {"a new class whose name breaks its line", original,
         [](SchemaFileDefs& defs) { defs.classes.emplace_back().name = L"x\ny"; }},
        {"a line end that two statements share", Join({"lexClass: name = a\r\tv = 1"}, "\r\n"),
         setValue(L"2")},
        // The temporary file beside it cannot be made: its name would be too long.
        {"no room for a temporary file", original, setValue(L"2"), std::string(250, 'n') + ".sch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto [written, text] = WriteBack(c.text, c.edit, c.name);
        EXPECT_EQ(written, 0);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.Folder()), {}), 1);
        std::filesystem::remove(temp.Native(c.name));
    }

    // A file that is a latin-1 text read bytewise cannot take characters beyond it.
    std::string latin = Join({"// caf\xE9", "lexClass: name = a", "\tv = 1"}, "\r\n");
    auto [written, text] = WriteBack(latin, setValue(L"'\x4E00'"));
    EXPECT_EQ(written, 0);
    EXPECT_EQ(text, latin);

    // A folder is no schema file.
    std::filesystem::create_directory(temp.Native("folder.sch"));
    SchemaFileDefs defs;
    defs.modified = true;
    defs.classes.emplace_back().name = L"a";
    EXPECT_EQ(reader.WriteBack(temp.Path("folder.sch"), defs), 0);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Native("folder.sch")));
}

}  // namespace
