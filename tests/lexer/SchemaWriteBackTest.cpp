// Writing edited definitions back into a schema file: exactly the intended changes, everything
// else kept line for line, and a failed write-back that leaves the file as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "lexer/LexClass.h"
#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "lexer/SchemaReaderTesting.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
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

// A text as lines without their line ends, and the line ends it uses.
struct Layout {
    std::vector<std::string> lines;
    std::set<std::string> ends;
    bool finalEnd = false;
};

Layout LayoutOf(std::string_view text) {
    Layout layout;
    for (size_t from = 0; from < text.size();) {
        size_t feed = text.find('\n', from);
        if (feed == std::string_view::npos) {
            layout.lines.emplace_back(text.substr(from));
            break;
        }
        size_t cr = feed > from && text[feed - 1] == '\r';
        layout.lines.emplace_back(text.substr(from, feed - from - cr));
        layout.ends.insert(cr ? "\r\n" : "\n");
        from = feed + 1;
    }
    layout.finalEnd = !text.empty() && text.back() == '\n';
    return layout;
}

// The edits of a property that the options dialog makes, and one it does not (clearing the
// values), which must come to the same as removing.
enum class Edit { kSet, kRemove, kClear };

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
    template <typename EditFn>
    std::pair<int, std::string> WriteBack(std::string_view original, EditFn edit,
                                          std::string name = "a.sch") {
        std::wstring path = temp.Write(name, original);
        SchemaFileDefs defs = Cached(path);
        edit(defs);
        int written = reader.WriteBack(path, defs);
        return {written, temp.Read(name)};
    }

    void CheckEdit(const std::string& original, size_t index, const std::wstring& name, Edit edit);
    void CheckUnchanged(const std::string& original);

    pwtest::TempFolder temp;
    SchemaReader reader;
};

// Gives attribute `name` of class `index` the edit: only the lines of that attribute change (a
// set one's value; an absent one's new line after the block's last line; every occurrence of
// a removed one), the file keeps its line ends and its final line end or the lack of one, and
// it reads back as edited. The text is ASCII, so that a column is a byte, and no attribute
// stands on a "lexClass:" line.
void SchemaWriteBackTest::CheckEdit(const std::string& original, size_t index, const std::wstring& name,
                                    Edit edit) {
    SCOPED_TRACE(pw::Narrow(name) + " of class " + std::to_string(index) + ", edit " +
                 std::to_string(static_cast<int>(edit)));
    const std::wstring path = temp.Write("p.sch", original);
    SchemaFileDefs edited = Cached(path);
    LexClassDef& target = edited.classes.at(index);
    LexClassDef before = target;
    const LexAttrDef* present = before.FindAttribute(name);
    const Layout layout = LayoutOf(original);
    std::vector<std::string> lines = layout.lines;
    if (edit == Edit::kSet) {
        target.SetAttribute(name, {L"0x123456"});
        if (present)
            lines[present->value.line - 1].replace(present->value.column, present->valueLength, "0x123456");
        else
            lines.insert(lines.begin() + before.lastLine, pw::Narrow(name) + " = 0x123456");
    } else {
        for (auto a = before.attributes.rbegin(); a != before.attributes.rend(); ++a)
            if (EqualNoCase(a->FullName(), name))
                lines.erase(lines.begin() + a->start.line - 1, lines.begin() + a->value.line);
        for (LexAttrDef& attribute : target.attributes)
            if (EqualNoCase(attribute.FullName(), name))
                attribute.values.clear();
        if (edit == Edit::kRemove)
            target.RemoveAttribute(name);
    }
    ASSERT_EQ(reader.WriteBack(path, edited), 1);
    Layout after = LayoutOf(temp.Read("p.sch"));
    if (edit == Edit::kSet && !present) {  // a new line takes the indentation of its block
        std::string& added = after.lines.at(before.lastLine);
        added.erase(0, added.find_first_not_of(" \t"));
    }
    EXPECT_EQ(after.lines, lines);
    EXPECT_EQ(after.ends, layout.ends);
    EXPECT_EQ(after.finalEnd, layout.finalEnd);
    reader.ReadSchemaFile(path, false);
    if (edit == Edit::kClear)  // read back, an attribute without values is none
        target.RemoveAttribute(name);
    EXPECT_EQ(Describe(reader.GetDefinitions()), Describe(edited.classes));
    // The class compiler sees the edit of a property take effect, also where it was given twice.
    if (StartsWithNoCase(name, L"txt:")) {
        pw::RefPtr<LexClass> compiled = pw::MakeRef<LexClass>();
        for (const LexAttrDef& attribute : reader.GetDefinitions().at(index).attributes)
            compiled->ApplyAttribute(attribute);
        int32_t expected = edit != Edit::kSet                     ? -1
                           : StartsWithNoCase(name, L"txt:color") ? 0x563412
                                                                  : 0x123456;
        EXPECT_EQ(compiled->GetNumber(name, false, -1), expected);
    }
}

// Written back unchanged, a file keeps every byte.
void SchemaWriteBackTest::CheckUnchanged(const std::string& original) {
    const std::wstring path = temp.Write("p.sch", original);
    ASSERT_EQ(reader.WriteBack(path, Cached(path)), 1);
    EXPECT_EQ(temp.Read("p.sch"), original);
}

// A schema as a user may write it: comments after values, odd spacing and quoting, a property
// given twice (the last one takes effect), tags given twice (they add up), a name over two
// lines and a block without attributes.
constexpr std::string_view kHandWritten[] = {
    "// A hand-written schema",
    "lexClass:",
    "\tname = base  // the file class",
    "\tparent:file = <*.x|*.y>",
    "\ttxt:colorFG = 0x000000 // black",
    "\ttxt:colorFG=0x111111// given again: this one takes effect",
    "  txt:colorBK   =   0xFFFFFF",
    "//:lexClass",
    "",
    "lexClass:",
    "    name = 'str'",
    "    parent = base",
    "    start:tag = '\\\"', 'a' 'b' , 'c'",
    "    skip:tag = '\\\\'",
    "    skip:tag = '\\'', '\\t'  // a quote and a tab",
    "    end",
    ":tag = '\\\"'",
    "\ttxt:Bold=1",
    "//:lexClass",
    "lexClass:",
    "name = bare",
    "// a block without attributes",
};

TEST_F(SchemaWriteBackTest, ColourEditsOfEveryShippedSchemaChangeOnlyTheirLines) {
    // Each write-back waits for the disk, so each schema gets the dialog's edits once, on
    // classes spread over the file, rather than on every class.
    const std::wstring config = pw::Widen(PW_CONFIG_DIR) + L"/";
    for (const pw::IniEntry& entry : pw::IniSection(config + L"Penwright.ini", L"schemes")) {
        SCOPED_TRACE(pw::Narrow(entry.value));
        std::optional<std::string> text = pw::ReadFileBytes(config + entry.value);
        ASSERT_TRUE(text);
        CheckUnchanged(*text);
        reader.ParseText(pw::Widen(*text));
        const size_t classes = reader.GetDefinitions().size();
        CheckEdit(*text, 0, L"txt:colorFG", Edit::kSet);
        CheckEdit(*text, classes / 3, L"txt:colorBK", Edit::kSet);
        CheckEdit(*text, classes / 2, L"txt:colorFG", Edit::kRemove);
        CheckEdit(*text, classes - 1, L"txt:Bold", Edit::kSet);
    }
}

TEST_F(SchemaWriteBackTest, EveryEditOfAHandWrittenSchemaChangesOnlyItsLinesWhateverItsLineEnds) {
    for (std::string_view end : {"\r\n", "\n"})
        for (bool finalEnd : {true, false}) {
            SCOPED_TRACE(std::string(end == "\n" ? "LF" : "CR LF") +
                         (finalEnd ? "" : " without a final one"));
            std::string text;
            for (std::string_view line : kHandWritten) text.append(line).append(end);
            if (!finalEnd)
                text.resize(text.size() - end.size());
            CheckUnchanged(text);
            reader.ParseText(pw::Widen(text));
            std::vector<LexClassDef> classes = reader.GetDefinitions();
            for (size_t c = 0; c < classes.size(); ++c) {
                std::set<std::wstring> names = {L"txt:colorBK"};  // absent from some
                for (const LexAttrDef& attribute : classes[c].attributes) names.insert(attribute.FullName());
                for (const std::wstring& name : names)
                    for (Edit edit : {Edit::kSet, Edit::kRemove, Edit::kClear})
                        if (edit == Edit::kSet || classes[c].FindAttribute(name))
                            CheckEdit(text, c, name, edit);
            }
        }
}

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
                             end));
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
    std::string expected = Join({"lexClass:", "\tname = x", "lexClass:", "name = y", "\tv = 2", "// y ends",
                                 "lexClass: name = z", "\tend", "= 'e'", "last line without end"},
                                "\n");
    expected.pop_back();
    EXPECT_EQ(text, expected);

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
        {"an unquoted value that would read back as two", original, setValue(L"a b")},
        {"quoted text ending in a backslash, which would take in the comment after it",
         Join({"lexClass: name = a", "\tv = 1 // one"}, "\r\n"), setValue(L"'x\\'")},
        {"a new class that would follow a NUL, unseen", original + "\0"s,
         [](SchemaFileDefs& defs) { defs.classes.emplace_back().name = L"b"; }},
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
