// The shipped schemas against a sample of each language: at named places in the sample the
// innermost block must be of the expected class, so a schema edit that stops colouring a keyword,
// comment, string or nested block shows up here.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "buffer/LineReader.h"
#include "parser/ParseTesting.h"
#include "platform/FileSystem.h"

namespace {

// Language folder under tests/data, the schema that colours it and the sample's extension.
struct Language {
    const char* folder;
    const wchar_t* schema;
    const wchar_t* ext;
};

const Language kLanguages[] = {
    {"cpp", L"cpp.pws", L".cpp"},
    {"python", L"python.pws", L".py"},
    {"javascript", L"javascript.pws", L".js"},
    {"html", L"html.pws", L".html"},
    {"json", L"json.pws", L".json"},
    {"batch", L"batch.pws", L".bat"},
    {"csharp", L"csharp.pws", L".cs"},
    {"css", L"css.pws", L".css"},
    {"ini", L"ini.pws", L".ini"},
    {"java", L"java.pws", L".java"},
    {"markdown", L"markdown.pws", L".md"},
    {"powershell", L"powershell.pws", L".ps1"},
    {"shell", L"shell.pws", L".sh"},
};

// Rows count from 1 and columns from 0, as in the block dumps.
struct Check {
    const char* language;
    int row;
    int col;
    const char* expected;
};

// clang-format off
const Check kChecks[] = {
    {"cpp", 1, 3, "comment"},
    {"cpp", 2, 1, "preprocessor"},
    {"cpp", 5, 3, "comment_block"},
    {"cpp", 6, 0, "keyword"},
    {"cpp", 6, 11, "cpp"},
    {"cpp", 6, 40, "block"},
    {"cpp", 9, 4, "keyword"},
    {"cpp", 10, 0, "block"},
    {"cpp", 10, 19, "string_char"},
    {"cpp", 11, 12, "block"},
    {"cpp", 21, 25, "string"},
    {"cpp", 21, 34, "string"},
    {"cpp", 21, 48, "string"},
    {"cpp", 21, 50, "block"},
    {"cpp", 22, 25, "string"},
    {"cpp", 23, 11, "number"},
    {"cpp", 23, 13, "number"},
    {"python", 1, 2, "comment"},
    {"python", 2, 0, "keyword"},
    {"python", 2, 7, "python"},
    {"python", 4, 3, "string_block"},
    {"python", 5, 0, "string_block"},
    {"python", 7, 9, "block"},
    {"python", 7, 11, "string"},
    {"python", 7, 29, "number"},
    {"python", 10, 0, "keyword"},
    {"python", 10, 17, "block"},
    {"python", 14, 52, "string_char"},
    {"python", 14, 53, "string_char"},
    {"python", 21, 63, "block"},
    {"python", 21, 72, "block"},
    {"python", 21, 73, "number"},
    {"python", 21, 51, "keyword"},
    {"python", 22, 24, "string"},
    {"python", 22, 35, "string"},
    {"python", 22, 43, "string"},
    {"python", 22, 44, "block"},
    {"python", 23, 42, "number"},
    {"python", 23, 23, "string"},
    {"javascript", 1, 3, "comment"},
    {"javascript", 2, 1, "string_char"},
    {"javascript", 5, 6, "comment_block"},
    {"javascript", 6, 0, "keyword"},
    {"javascript", 6, 13, "regex"},
    {"javascript", 6, 18, "regex"},
    {"javascript", 6, 24, "javascript"},
    {"javascript", 8, 0, "keyword"},
    {"javascript", 8, 25, "block"},
    {"javascript", 8, 9, "javascript"},
    {"javascript", 9, 2, "keyword"},
    {"javascript", 11, 2, "keyword"},
    {"javascript", 12, 4, "keyword"},
    {"javascript", 13, 6, "block"},
    {"javascript", 12, 38, "block"},
    {"javascript", 16, 29, "block"},
    {"javascript", 16, 31, "number"},
    {"javascript", 16, 33, "number"},
    {"javascript", 17, 9, "string_block"},
    {"javascript", 17, 41, "string_block"},
    {"javascript", 17, 71, "string_block"},
    {"javascript", 20, 24, "string_char"},
    {"javascript", 20, 68, "block"},
    {"javascript", 21, 25, "string"},
    {"javascript", 21, 27, "string"},
    {"javascript", 21, 28, "string"},
    {"javascript", 21, 30, "block"},
    {"javascript", 23, 0, "block"},
    {"html", 1, 2, "declaration"},
    {"html", 2, 1, "tag"},
    {"html", 2, 6, "attribute"},
    {"html", 2, 12, "string"},
    {"html", 2, 15, "tag_end"},
    {"html", 3, 1, "tag"},
    {"html", 4, 3, "tag_void"},
    {"html", 4, 17, "string"},
    {"html", 5, 9, "element"},
    {"html", 5, 23, "tag_close"},
    {"html", 6, 7, "comment_block"},
    {"html", 7, 7, "comment_block"},
    {"html", 8, 3, "style"},
    {"html", 8, 8, "style_tag"},
    {"html", 9, 12, "rule"},
    {"html", 9, 14, "property"},
    {"html", 9, 35, "number"},
    {"html", 9, 4, "style_code"},
    {"html", 13, 3, "tag"},
    {"html", 13, 14, "string"},
    {"html", 14, 4, "tag_optional"},
    {"html", 14, 7, "element"},
    {"html", 15, 5, "tag"},
    {"html", 15, 29, "string"},
    {"html", 15, 32, "tag_close"},
    {"html", 16, 5, "tag_void"},
    {"html", 17, 22, "element"},
    {"html", 18, 4, "tag_close"},
    {"html", 20, 7, "comment"},
    {"html", 21, 4, "keyword"},
    {"html", 21, 41, "string_char"},
    {"html", 22, 26, "string"},
    {"html", 22, 40, "block"},
    {"html", 23, 6, "keyword"},
    {"html", 24, 67, "string"},
    {"html", 24, 76, "string"},
    {"html", 24, 77, "block"},
    {"html", 26, 4, "script"},
    {"html", 27, 0, "tag_close"},
    {"json", 1, 3, "comment"},
    {"json", 2, 0, "block"},
    {"json", 3, 3, "property"},
    {"json", 3, 11, "string"},
    {"json", 3, 8, "block"},
    {"json", 4, 13, "number"},
    {"json", 5, 5, "comment_block"},
    {"json", 6, 5, "comment_block"},
    {"json", 7, 12, "block"},
    {"json", 8, 4, "property"},
    {"json", 8, 21, "number"},
    {"json", 9, 13, "number"},
    {"json", 9, 19, "number"},
    {"json", 10, 19, "string"},
    {"json", 11, 19, "string"},
    {"json", 11, 26, "string"},
    {"json", 11, 31, "string"},
    {"json", 11, 32, "block"},
    {"json", 13, 15, "array"},
    {"json", 13, 17, "string"},
    {"json", 13, 28, "block"},
    {"json", 13, 30, "property"},
    {"json", 13, 38, "string"},
    {"json", 13, 54, "keyword"},
    {"json", 13, 60, "array"},
    {"json", 13, 61, "block"},
    {"json", 14, 12, "keyword"},
    {"json", 15, 12, "keyword"},
    {"json", 16, 0, "block"},
    {"batch", 1, 1, "keyword"},
    {"batch", 2, 4, "comment"},
    {"batch", 3, 3, "comment"},
    {"batch", 4, 0, "keyword"},
    {"batch", 6, 0, "keyword"},
    {"batch", 6, 4, "string"},
    {"batch", 6, 10, "parameter"},
    {"batch", 6, 14, "parameter"},
    {"batch", 7, 0, "keyword"},
    {"batch", 7, 9, "parameter"},
    {"batch", 10, 0, "keyword"},
    {"batch", 10, 9, "variable"},
    {"batch", 10, 16, "parameter"},
    {"batch", 10, 24, "block"},
    {"batch", 10, 23, "block"},
    {"batch", 11, 4, "keyword"},
    {"batch", 11, 19, "block"},
    {"batch", 12, 15, "block"},
    {"batch", 13, 8, "keyword"},
    {"batch", 14, 6, "keyword"},
    {"batch", 15, 22, "parameter"},
    {"batch", 17, 0, "block"},
    {"batch", 19, 31, "variable"},
    {"batch", 20, 0, "keyword"},
    {"batch", 22, 1, "label"},
    {"batch", 23, 11, "keyword"},
    {"csharp", 1, 3, "comment"},
    {"csharp", 2, 0, "keyword"},
    {"csharp", 5, 0, "keyword"},
    {"csharp", 5, 10, "csharp"},
    {"csharp", 6, 0, "block"},
    {"csharp", 8, 9, "comment_block"},
    {"csharp", 9, 4, "keyword"},
    {"csharp", 10, 4, "block"},
    {"csharp", 11, 9, "region"},
    {"csharp", 11, 16, "region"},
    {"csharp", 12, 8, "keyword"},
    {"csharp", 13, 8, "block"},
    {"csharp", 14, 12, "keyword"},
    {"csharp", 14, 41, "block"},
    {"csharp", 14, 49, "string_char"},
    {"csharp", 14, 50, "string_char"},
    {"csharp", 14, 81, "block"},
    {"csharp", 17, 13, "region"},
    {"csharp", 19, 0, "block"},
    {"csharp", 19, 8, "keyword"},
    {"csharp", 21, 12, "keyword"},
    {"csharp", 21, 25, "number"},
    {"csharp", 21, 26, "number"},
    {"csharp", 24, 75, "string"},
    {"csharp", 27, 32, "string"},
    {"csharp", 27, 50, "string"},
    {"csharp", 27, 67, "string"},
    {"csharp", 28, 30, "string_raw"},
    {"csharp", 28, 41, "string_raw"},
    {"csharp", 28, 50, "string_raw"},
    {"csharp", 28, 51, "block"},
    {"csharp", 29, 29, "number"},
    {"css", 1, 3, "comment_block"},
    {"css", 2, 7, "comment_block"},
    {"css", 3, 0, "keyword"},
    {"css", 3, 13, "string"},
    {"css", 5, 1, "css"},
    {"css", 5, 7, "block"},
    {"css", 6, 2, "property"},
    {"css", 6, 10, "number"},
    {"css", 6, 12, "block"},
    {"css", 7, 2, "property"},
    {"css", 7, 16, "number"},
    {"css", 8, 16, "string"},
    {"css", 8, 33, "string_char"},
    {"css", 8, 40, "string_char"},
    {"css", 8, 41, "string_char"},
    {"css", 8, 44, "block"},
    {"css", 12, 2, "property"},
    {"css", 12, 12, "string"},
    {"css", 13, 14, "keyword"},
    {"css", 13, 9, "block"},
    {"css", 16, 0, "keyword"},
    {"css", 16, 19, "number"},
    {"css", 16, 26, "block"},
    {"css", 17, 9, "block"},
    {"css", 18, 4, "property"},
    {"css", 18, 13, "number"},
    {"css", 18, 22, "number"},
    {"css", 19, 2, "block"},
    {"css", 20, 0, "block"},
    {"ini", 1, 2, "comment"},
    {"ini", 2, 2, "comment"},
    {"ini", 4, 0, "section"},
    {"ini", 4, 8, "section"},
    {"ini", 5, 0, "property"},
    {"ini", 5, 9, "ini"},
    {"ini", 6, 0, "property"},
    {"ini", 6, 11, "ini"},
    {"ini", 7, 6, "string"},
    {"ini", 7, 19, "string"},
    {"ini", 7, 25, "string"},
    {"ini", 9, 3, "section"},
    {"ini", 10, 2, "property"},
    {"ini", 10, 10, "ini"},
    {"ini", 11, 7, "property"},
    {"ini", 11, 11, "ini"},
    {"ini", 14, 0, "property"},
    {"ini", 15, 2, "comment"},
    {"java", 1, 3, "comment"},
    {"java", 2, 0, "keyword"},
    {"java", 4, 0, "keyword"},
    {"java", 8, 3, "comment_block"},
    {"java", 9, 0, "keyword"},
    {"java", 9, 12, "java"},
    {"java", 9, 19, "block"},
    {"java", 10, 12, "keyword"},
    {"java", 10, 37, "number"},
    {"java", 10, 41, "number"},
    {"java", 12, 18, "keyword"},
    {"java", 12, 28, "block"},
    {"java", 16, 8, "keyword"},
    {"java", 16, 52, "keyword"},
    {"java", 17, 53, "block"},
    {"java", 17, 46, "string"},
    {"java", 18, 54, "block"},
    {"java", 19, 20, "block"},
    {"java", 21, 42, "number"},
    {"java", 24, 21, "string_char"},
    {"java", 24, 23, "string_char"},
    {"java", 24, 24, "string_char"},
    {"java", 25, 46, "string"},
    {"java", 25, 53, "string"},
    {"java", 25, 55, "block"},
    {"java", 26, 35, "string_block"},
    {"java", 27, 12, "string_block"},
    {"java", 27, 18, "string_block"},
    {"java", 28, 4, "block"},
    {"markdown", 1, 0, "heading"},
    {"markdown", 1, 7, "heading"},
    {"markdown", 3, 0, "markdown"},
    {"markdown", 3, 43, "strong"},
    {"markdown", 3, 55, "strong"},
    {"markdown", 3, 66, "emphasis"},
    {"markdown", 3, 11, "markdown"},
    {"markdown", 4, 17, "link"},
    {"markdown", 4, 37, "link"},
    {"markdown", 4, 59, "link"},
    {"markdown", 6, 5, "comment_block"},
    {"markdown", 7, 9, "comment_block"},
    {"markdown", 9, 3, "heading"},
    {"markdown", 11, 0, "list"},
    {"markdown", 11, 7, "code"},
    {"markdown", 11, 27, "markdown"},
    {"markdown", 12, 12, "markdown"},
    {"markdown", 12, 30, "markdown"},
    {"markdown", 15, 0, "quote"},
    {"markdown", 15, 2, "quote"},
    {"markdown", 15, 10, "strong"},
    {"markdown", 16, 7, "code"},
    {"markdown", 16, 16, "quote"},
    {"markdown", 18, 0, "code_block"},
    {"markdown", 19, 9, "code_block"},
    {"markdown", 20, 2, "code_block"},
    {"powershell", 1, 2, "comment"},
    {"powershell", 2, 0, "keyword"},
    {"powershell", 2, 14, "variable"},
    {"powershell", 2, 25, "string"},
    {"powershell", 4, 0, "comment_block"},
    {"powershell", 5, 19, "comment_block"},
    {"powershell", 6, 1, "variable"},
    {"powershell", 6, 9, "number"},
    {"powershell", 6, 12, "number"},
    {"powershell", 7, 9, "number"},
    {"powershell", 9, 0, "keyword"},
    {"powershell", 9, 15, "keyword"},
    {"powershell", 9, 18, "powershell"},
    {"powershell", 9, 61, "block"},
    {"powershell", 10, 4, "keyword"},
    {"powershell", 10, 21, "keyword"},
    {"powershell", 10, 33, "block"},
    {"powershell", 11, 23, "string"},
    {"powershell", 11, 33, "string"},
    {"powershell", 11, 34, "expansion"},
    {"powershell", 11, 37, "variable"},
    {"powershell", 11, 49, "string"},
    {"powershell", 11, 52, "variable"},
    {"powershell", 12, 8, "keyword"},
    {"powershell", 14, 47, "keyword"},
    {"powershell", 14, 55, "string_char"},
    {"powershell", 14, 0, "block"},
    {"powershell", 14, 4, "variable"},
    {"powershell", 15, 11, "block"},
    {"powershell", 16, 0, "block"},
    {"powershell", 18, 10, "string_block"},
    {"powershell", 19, 0, "string_block"},
    {"powershell", 20, 9, "variable"},
    {"powershell", 21, 1, "string_block"},
    {"powershell", 22, 14, "variable"},
    {"shell", 1, 3, "comment"},
    {"shell", 2, 2, "comment"},
    {"shell", 3, 0, "keyword"},
    {"shell", 5, 6, "expansion"},
    {"shell", 5, 5, "string"},
    {"shell", 6, 6, "number"},
    {"shell", 7, 12, "number"},
    {"shell", 9, 13, "block"},
    {"shell", 9, 0, "shell"},
    {"shell", 10, 4, "keyword"},
    {"shell", 10, 12, "expansion"},
    {"shell", 10, 22, "parameter"},
    {"shell", 10, 20, "string"},
    {"shell", 10, 33, "variable"},
    {"shell", 10, 43, "keyword"},
    {"shell", 11, 8, "keyword"},
    {"shell", 11, 24, "string"},
    {"shell", 11, 25, "parameter"},
    {"shell", 11, 31, "block"},
    {"shell", 12, 8, "keyword"},
    {"shell", 14, 4, "block"},
    {"shell", 15, 13, "expansion"},
    {"shell", 16, 0, "block"},
    {"shell", 18, 0, "keyword"},
    {"shell", 18, 31, "string_char"},
    {"shell", 18, 40, "keyword"},
    {"shell", 19, 20, "shell"},
    {"shell", 22, 4, "string_block"},
    {"shell", 23, 0, "string_block"},
    {"shell", 25, 0, "string_block"},
    {"shell", 26, 0, "keyword"},
};
// clang-format on

// tests/data beside the shipped configuration, which already carries the drive prefix under Wine.
std::wstring DataFolder() { return pw::Widen(PW_CONFIG_DIR) + L"/../../tests/data/"; }

Rows SampleRows(const Language& lang) {
    const std::wstring path = DataFolder() + pw::Widen(lang.folder) + L"/sample" + lang.ext;
    std::optional<std::string> bytes = pw::ReadFileBytes(path);
    EXPECT_TRUE(bytes.has_value()) << pw::Narrow(path);
    Rows rows;
    if (!bytes) return rows;
    const std::wstring text = pw::Widen(*bytes);
    LineReader reader(text);
    while (std::optional<TextLine> line = reader.Next()) rows.push_back(line->text);
    return rows;
}

// The deepest block holding the position; block ends are the last character they cover.
const TextBlock* InnermostAt(TextSchema& schema, LineCol pos) {
    const TextBlock* found = nullptr;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock) {
        if (b->startPos <= pos && pos <= b->endPos && (!found || Depth(b.get()) > Depth(found))) found = b.get();
    }
    return found;
}

struct Parsed {
    Buffer buffer;
    SchemaPtr schema;
};

Parsed ParseSample(const Language& lang) {
    Parsed parsed{BufferWith(SampleRows(lang), lang.ext), ShippedSchema(lang.schema)};
    EXPECT_GT(parsed.buffer->GetRowCount(), 0) << lang.folder;
    EXPECT_EQ(FullParse(*parsed.schema, *parsed.buffer), TextSchema::kDone) << lang.folder;
    return parsed;
}

TEST(LanguageSamples, NamedPlacesHaveTheirClasses) {
    std::map<std::string, Parsed> parsed;
    for (const Language& lang : kLanguages) parsed.emplace(lang.folder, ParseSample(lang));
    for (const Check& check : kChecks) {
        auto it = parsed.find(check.language);
        ASSERT_NE(it, parsed.end()) << check.language;
        TextSchema& schema = *it->second.schema;
        const TextBlock* block = InnermostAt(schema, LineCol{check.row, check.col});
        const std::string got = block ? pw::Narrow(block->lexClass->GetName()) : std::string("(none)");
        EXPECT_EQ(got, check.expected) << check.language << " at " << check.row << "," << check.col << " in\n"
                                       << DumpBlocks(schema);
    }
}

TEST(LanguageSamples, EveryLanguageIsChecked) {
    for (const Language& lang : kLanguages) {
        int count = 0;
        for (const Check& check : kChecks) count += std::string(check.language) == lang.folder;
        EXPECT_GE(count, 5) << lang.folder;
    }
}

}  // namespace
