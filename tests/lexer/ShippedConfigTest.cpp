// The configuration that ships with the control (config/EditConfig): every schema that
// Penwright.ini names compiles without a rejected attribute or an ignored value, its classes
// relate as written, and the themes colour classes that exist, in hexadecimal, leaving no class
// with its light colour on a dark background.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lexer/LexClass.h"
#include "lexer/LexClassDef.h"
#include "lexer/LexFileClass.h"
#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"

namespace {

using ClassPtr = pw::RefPtr<LexClass>;

// PW_CONFIG_DIR comes from the build, in the form that this build's file functions open.
std::wstring ConfigPath(std::wstring_view relative) {
    return pw::Widen(PW_CONFIG_DIR) + L"/" + std::wstring(relative);
}

struct Schema {
    std::wstring scheme;  // its name in Penwright.ini
    std::wstring path;
    std::vector<LexClassDef> definitions;
    std::vector<ClassPtr> classes;       // one per definition, in file order
    std::vector<std::wstring> rejected;  // "class: attribute" for each attribute not taken

    const LexClass* Find(std::wstring_view name) const { return FindClassByName(classes, name); }
};

// Read and compiled once: the configuration manager's steps, without its class set.
const std::vector<Schema>& ShippedSchemas() {
    static const std::vector<Schema> schemas = [] {
        std::vector<Schema> all;
        for (const pw::IniEntry& entry : pw::IniSection(ConfigPath(L"Penwright.ini"), L"schemes")) {
            Schema schema{entry.name, ConfigPath(entry.value), {}, {}, {}};
            SchemaReader::Instance().ReadSchemaFile(schema.path, false);
            schema.definitions = SchemaReader::Instance().GetDefinitions();
            for (const LexClassDef& def : schema.definitions) {
                ClassPtr cls = pw::MakeRef<LexClass>();
                cls->SetName(def.name);
                for (const LexAttrDef& attr : def.attributes)
                    if (cls->ApplyAttribute(attr) != 1)
                        schema.rejected.push_back(def.name + L": " + attr.FullName());
                schema.classes.push_back(cls);
            }
            all.push_back(std::move(schema));
        }
        return all;
    }();
    return schemas;
}

const LexClass* FindInAnySchema(std::wstring_view name) {
    for (const Schema& schema : ShippedSchemas())
        if (const LexClass* cls = schema.Find(name))
            return cls;
    return nullptr;
}

bool Contains(const std::vector<std::wstring>& names, std::wstring_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::wstring& n) { return EqualNoCase(n, name); });
}

// Whether a condition list holds `value`: a tag as written, a class name in any case, or a "@" set.
bool ListHolds(const LexValueList& list, std::wstring_view value) {
    return std::any_of(list.begin(), list.end(), [&](const pw::RefPtr<LexValue>& group) {
        const std::vector<std::wstring>& strings = group->GetStrings();
        switch (group->GetKind()) {
            case LexValue::kCharSet:
                return value.starts_with(L'@') && group->GetCharSet() == LexCharSet::Parse(value);
            case LexValue::kClassNames:
                return Contains(strings, value);
            default:
                return std::find(strings.begin(), strings.end(), value) != strings.end();
        }
    });
}

// "0x" and hexadecimal digits, or decimal digits, and nothing else.
bool IsWholeNumber(std::wstring_view text, bool hexOnly) {
    bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    if (hex)
        text.remove_prefix(2);
    else if (hexOnly && text.size() > 1)
        return false;  // a theme's "1" is read alike in both bases; "10" would not be
    return !text.empty() && std::all_of(text.begin(), text.end(), [&](wchar_t c) {
        return hex ? std::iswxdigit(static_cast<wint_t>(c)) != 0 : c >= L'0' && c <= L'9';
    });
}

std::string Where(const Schema& schema, std::wstring_view cls) {
    return pw::Narrow(schema.scheme + L" / " + std::wstring(cls));
}

struct ClassExpectation {
    const wchar_t* name;
    const wchar_t* parent;  // one of its parent names
    const wchar_t* key;     // a condition list that holds `value`, or a property equal to it
    const wchar_t* value;
};

struct LanguageExpectation {
    const wchar_t* scheme;
    const wchar_t* fileClass;
    const wchar_t* extension;  // one of those it claims
    bool caseSensitive;
    std::vector<ClassExpectation> classes;
};

// A few classes of each language, with what would break its colouring if it went wrong.
const std::vector<LanguageExpectation>& Languages() {
    static const std::vector<LanguageExpectation> languages = {
        {L"C and C++",
         L"cpp",
         L".hpp",
         true,
         {{L"comment", L"preprocessor", L"start:tag", L"//"},
          {L"comment_block", L"block", L"Collapsable", L"1"},
          {L"preprocessor", L"block", L"skip:tag", L"\\\r\n"},
          {L"string_raw", L"cpp", L"start:tag", L"u8R\"("},
          {L"string", L"block", L"skip:tag", L"\\\\"},
          {L"string_char", L"cpp", L"skip:tag", L"\\'"},
          {L"number", L"block", L"start:tag", L"@digit"},
          {L"keyword", L"block", L"token:tag", L"co_await"},
          {L"keyword", L"cpp", L"token:end:separators", L"'"},
          {L"block", L"block", L"Collapsable", L"1"}}},
        {L"C#",
         L"csharp",
         L".cs",
         true,
         {{L"region", L"block", L"RecurrenceDepth", L"3"},
          {L"region", L"region", L"end:tag", L"#endregion"},
          {L"block", L"region", L"Collapsable", L"1"},
          {L"string_raw", L"csharp", L"skip:tag", L"\"\""},
          {L"string_block", L"block", L"start:tag", L"\"\"\""},
          {L"keyword", L"block", L"token:tag", L"record"}}},
        {L"Java",
         L"java",
         L".java",
         true,
         {{L"comment_block", L"java", L"Collapsable", L"1"},
          {L"string_block", L"block", L"end:tag", L"\"\"\""},
          {L"keyword", L"block", L"token:tag", L"non-sealed"}}},
        {L"JavaScript",
         L"javascript",
         L".mjs",
         true,
         {{L"regex", L"block", L"previous:tag", L"return"},
          {L"regex", L"javascript", L"skip:tag", L"\\/"},
          {L"string_block", L"block", L"skip:tag", L"\\`"},
          {L"keyword", L"block", L"token:tag", L"await"}}},
        {L"TypeScript",
         L"typescript",
         L".tsx",
         true,
         {{L"keyword", L"block", L"token:tag", L"satisfies"},
          {L"keyword", L"typescript", L"token:tag", L"yield"},
          {L"block", L"typescript", L"CollapsedText", L"{...}"}}},
        {L"Python",
         L"python",
         L".py",
         true,
         {{L"comment", L"block", L"start:tag", L"#"},
          {L"string_block", L"python", L"Collapsable", L"1"},
          {L"string_block_char", L"python", L"end:tag", L"'''"},
          {L"keyword", L"python", L"token:tag", L"nonlocal"},
          {L"block", L"block", L"end:tag", L"]"}}},
        {L"SQL",
         L"sql",
         L".sql",
         false,
         {{L"comment", L"sql", L"start:tag", L"--"},
          {L"string_char", L"block", L"skip:tag", L"''"},
          {L"keyword", L"block", L"token:tag", L"merge"},
          {L"block", L"sql", L"start:tag", L"("}}},
        {L"HTML",
         L"html",
         L".htm",
         false,
         {{L"element", L"element", L"end:class", L"tag_close"},
          {L"element", L"html", L"End:Class:Parent", L"this"},
          {L"tag_void", L"element", L"start:tag", L"<br"},
          {L"attribute", L"html", L"previous:class", L"tag_optional"},
          {L"tag_optional", L"element", L"token:end:separators", L">"},
          {L"script_code", L"script", L"end:separators", L"</script>"},
          {L"script_code", L"script", L"CaseSensitive", L"1"},
          {L"property", L"rule", L"previous:tag", L"{"},
          {L"string", L"attribute", L"start:tag", L"\""}}},
        {L"XML",
         L"xml",
         L".xsd",
         true,
         {{L"element", L"xml", L"end:class", L"tag_selfclose"},
          {L"element", L"element", L"Collapsable", L"1"},
          {L"tag", L"element", L"previous:tag", L"<"},
          {L"cdata", L"element", L"start:tag", L"<![CDATA["},
          {L"string", L"attribute", L"end:tag", L"\""}}},
        {L"CSS",
         L"css",
         L".css",
         false,
         {{L"property", L"block", L"end:separators", L":"},
          {L"keyword", L"css", L"token:tag", L"@media"},
          {L"block", L"block", L"Collapsable", L"1"}}},
        {L"JSON",
         L"json",
         L".json",
         true,
         {{L"property", L"block", L"previous:tag", L","},
          {L"block", L"array", L"RecurrenceDepth", L"10"},
          {L"array", L"array", L"Collapsable", L"1"},
          {L"keyword", L"array", L"token:tag", L"null"}}},
        {L"Ini",
         L"ini",
         L".inf",
         false,
         {{L"comment", L"ini", L"previous:tag", L"@eol"},
          {L"section", L"ini", L"end:tag", L"]"},
          {L"property", L"ini", L"end:separators", L"="}}},
        {L"Visual Basic",
         L"vb",
         L".bas",
         false,
         {{L"comment", L"region", L"start:tag", L"'"},
          {L"comment_alt", L"vb", L"start:tag", L"Rem "},
          {L"region", L"region", L"end:tag", L"#End Region"},
          {L"number", L"vb", L"start:tag", L"&H"},
          {L"keyword", L"region", L"token:tag", L"AndAlso"},
          {L"keyword", L"vb", L"token:start:separators", L"\\"}}},
        {L"VBScript",
         L"vbscript",
         L".vbs",
         false,
         {{L"string", L"vbscript", L"skip:tag", L"\"\""},
          {L"keyword", L"vbscript", L"token:tag", L"Randomize"}}},
        {L"PowerShell",
         L"powershell",
         L".ps1",
         false,
         {{L"comment_block", L"block", L"start:tag", L"<#"},
          {L"string_block", L"powershell", L"end:tag", L"\n\"@"},
          {L"string", L"expansion", L"RecurrenceDepth", L"2"},
          {L"variable", L"string", L"start:tag", L"$"},
          {L"keyword", L"block", L"token:tag", L"-notmatch"}}},
        {L"Batch",
         L"batch",
         L".cmd",
         false,
         {{L"comment", L"batch", L"start:tag", L"::"},
          {L"label", L"block", L"start:tag", L":"},
          {L"parameter", L"string", L"token:tag", L"%~dp0"},
          {L"keyword", L"block", L"token:tag", L"setlocal"},
          {L"block", L"batch", L"Collapsable", L"1"}}},
        {L"Shell",
         L"shell",
         L".sh",
         true,
         {{L"comment", L"block", L"previous:tag", L";"},
          {L"string_block", L"shell", L"start:tag", L"<<'EOF'"},
          {L"expansion", L"string", L"end:tag", L"))"},
          {L"parameter", L"string", L"token:tag", L"$?"},
          {L"keyword", L"block", L"token:tag", L"esac"}}},
        {L"Markdown",
         L"markdown",
         L".md",
         false,
         {{L"code_block", L"markdown", L"Collapsable", L"1"},
          {L"heading", L"markdown", L"start:tag", L"#"},
          {L"link", L"heading", L"start:tag", L"]("},
          {L"strong", L"quote", L"start:tag", L"**"}}},
    };
    return languages;
}

TEST(ShippedConfig, SchemesAreTheLanguagesWithTheirOwnExtensions) {
    const std::vector<Schema>& schemas = ShippedSchemas();
    ASSERT_EQ(schemas.size(), Languages().size());
    std::map<std::wstring, std::wstring> claimedBy;  // folded extension to scheme
    for (const LanguageExpectation& language : Languages()) {
        auto schema = std::find_if(schemas.begin(), schemas.end(),
                                   [&](const Schema& s) { return s.scheme == language.scheme; });
        ASSERT_NE(schema, schemas.end()) << pw::Narrow(language.scheme);
        ASSERT_FALSE(schema->classes.empty()) << pw::Narrow(schema->path);

        // The file class comes first and is the only one, so its name colours plain text.
        const LexClass& top = *schema->classes.front();
        EXPECT_EQ(top.GetName(), language.fileClass);
        EXPECT_EQ(top.IsCaseSensitive(), language.caseSensitive) << pw::Narrow(language.scheme);
        EXPECT_EQ(std::count_if(schema->classes.begin(), schema->classes.end(),
                                [](const ClassPtr& c) { return IsTopLevelClass(*c); }),
                  1);

        auto file = pw::MakeRef<LexFileClass>();
        file->CopyFrom(top);
        EXPECT_TRUE(file->HasExtension(language.extension)) << pw::Narrow(language.scheme);
        for (const std::wstring& extension : file->GetExtensions()) {
            auto [it, fresh] = claimedBy.emplace(FoldCase(extension), language.scheme);
            EXPECT_TRUE(fresh) << pw::Narrow(extension) << " claimed by " << pw::Narrow(it->second) << " and "
                               << pw::Narrow(language.scheme);
        }
    }
}

TEST(ShippedConfig, EveryAttributeIsTakenAndEveryValueCounts) {
    for (const Schema& schema : ShippedSchemas()) {
        for (const std::wstring& rejected : schema.rejected)
            ADD_FAILURE() << pw::Narrow(schema.scheme) << " rejects " << pw::Narrow(rejected);
        for (size_t i = 0; i < schema.definitions.size(); ++i) {
            const LexClassDef& def = schema.definitions[i];
            for (const LexAttrDef& attr : def.attributes) {
                std::string where = Where(schema, def.name) + " " + pw::Narrow(attr.FullName());
                if (schema.classes[i]->GetValue(attr.FullName())->GetKind() != LexValue::kList) {
                    // A property: one unquoted value must be a number all through, since what
                    // follows a typo would be dropped without a word.
                    bool relation = EqualNoCase(attr.nameParts[0], L"parent") ||
                                    EqualNoCase(attr.nameParts[0], L"children");
                    if (attr.values.size() == 1 && !attr.values[0].starts_with(L'\'') && !relation &&
                        !EqualNoCase(attr.FullName(), L"End:Class:Parent")) {
                        EXPECT_TRUE(IsWholeNumber(attr.values[0], false)) << where;
                    }
                    continue;
                }
                // A condition: an unquoted tag or a quoted class name would be ignored.
                size_t used = 0;
                for (const pw::RefPtr<LexValue>& group :
                     LexClass::BuildValueGroups(attr.nameParts, attr.values)) {
                    if (group->GetKind() == LexValue::kCharSet) {
                        EXPECT_NE(group->GetCharSet().GetId(), LexCharSet::kUnknown) << where;
                        ++used;
                        continue;
                    }
                    for (const std::wstring& text : group->GetStrings()) EXPECT_FALSE(text.empty()) << where;
                    used += group->GetStrings().size();
                }
                EXPECT_EQ(used, attr.values.size()) << where;
            }
        }
    }
}

TEST(ShippedConfig, ClassesHaveTheirParentsAndKeyAttributes) {
    for (const LanguageExpectation& language : Languages()) {
        const Schema* schema = nullptr;
        for (const Schema& s : ShippedSchemas())
            if (s.scheme == language.scheme)
                schema = &s;
        ASSERT_NE(schema, nullptr) << pw::Narrow(language.scheme);
        for (const ClassExpectation& expect : language.classes) {
            std::string where = Where(*schema, expect.name) + " " + pw::Narrow(expect.key);
            const LexClass* cls = schema->Find(expect.name);
            ASSERT_NE(cls, nullptr) << where;
            EXPECT_EQ(cls->GetParentRule().mode, LexClass::kParentNamed) << where;
            EXPECT_TRUE(Contains(cls->GetParentRule().names, expect.parent)) << where;

            pw::RefPtr<LexValue> list = cls->GetValue(expect.key);
            pw::RefPtr<LexValue> property = cls->GetProperty(expect.key, false);
            if (list->GetKind() == LexValue::kList)
                EXPECT_TRUE(ListHolds(list->GetList(), expect.value)) << where;
            else if (property->GetKind() == LexValue::kStrings)
                EXPECT_TRUE(Contains(property->GetStrings(), expect.value)) << where;
            else
                EXPECT_EQ(cls->GetNumber(expect.key, false, INT_MIN), LexValue::ParseNumber(expect.value))
                    << where;
        }
    }
}

TEST(ShippedConfig, EveryClassNamedByAClassIsInTheSameFileAndReachable) {
    for (const Schema& schema : ShippedSchemas()) {
        std::set<std::wstring> names;
        for (const ClassPtr& cls : schema.classes)
            EXPECT_TRUE(names.insert(FoldCase(cls->GetName())).second) << Where(schema, cls->GetName());

        for (const ClassPtr& cls : schema.classes) {
            std::string where = Where(schema, cls->GetName());
            LexClass::Rule parents = cls->GetParentRule();
            if (parents.mode != LexClass::kParentFile) {
                EXPECT_EQ(parents.mode, LexClass::kParentNamed) << where;
                EXPECT_FALSE(parents.names.empty()) << where;
                for (const std::wstring& parent : parents.names)
                    EXPECT_NE(schema.Find(parent), nullptr) << where << " parent " << pw::Narrow(parent);
            }
            for (const std::wstring& child : cls->GetChildrenRule().names)
                EXPECT_NE(schema.Find(child), nullptr) << where << " child " << pw::Narrow(child);
            for (auto condition : {LexClass::kPreviousClass, LexClass::kStartClass, LexClass::kEndClass})
                for (const pw::RefPtr<LexValue>& group : cls->GetConditionList(condition))
                    for (const std::wstring& named : group->GetStrings())
                        EXPECT_NE(schema.Find(named), nullptr) << where << " names " << pw::Narrow(named);
        }

        // Every class can be reached from the file class through the classes that contain it.
        std::set<std::wstring> reached{FoldCase(schema.classes.front()->GetName())};
        for (bool grew = true; grew;) {
            grew = false;
            for (const ClassPtr& cls : schema.classes)
                for (const std::wstring& parent : cls->GetParentRule().names)
                    if (reached.count(FoldCase(parent)) && reached.insert(FoldCase(cls->GetName())).second)
                        grew = true;
        }
        EXPECT_EQ(reached.size(), schema.classes.size()) << pw::Narrow(schema.scheme);
    }
}

TEST(ShippedConfig, FilesAreAsciiWithCrLfLinesClosedBlocksAndAFinalLineEnd) {
    std::vector<std::wstring> paths = {ConfigPath(L"Penwright.ini")};
    for (const pw::IniEntry& theme : pw::IniSection(paths.front(), L"themes"))
        paths.push_back(ConfigPath(theme.value));
    for (const Schema& schema : ShippedSchemas()) paths.push_back(schema.path);
    for (const std::wstring& path : paths) {
        std::optional<std::string> bytes = pw::ReadFileBytes(path);
        ASSERT_TRUE(bytes && !bytes->empty()) << pw::Narrow(path);
        EXPECT_TRUE(std::all_of(bytes->begin(), bytes->end(), [](char c) { return c > 0 && c < 0x7F; }))
            << pw::Narrow(path);
        EXPECT_EQ(bytes->back(), '\n') << pw::Narrow(path);

        // Blocks open and close in turn: no attribute strays into the next class.
        bool open = false;
        size_t lineFeedsAlone = 0;  // one line-end style for every file, the one we write
        for (size_t from = 0; from < bytes->size();) {
            size_t end = bytes->find('\n', from);
            std::string line = bytes->substr(from, end - from);
            from = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            else
                ++lineFeedsAlone;
            if (line == "lexClass:") {
                EXPECT_FALSE(std::exchange(open, true)) << pw::Narrow(path) << ": a block left open";
            } else if (line == "//:lexClass") {
                EXPECT_TRUE(std::exchange(open, false)) << pw::Narrow(path) << ": a close without a block";
            }
        }
        EXPECT_FALSE(open) << pw::Narrow(path);
        EXPECT_EQ(lineFeedsAlone, 0u) << pw::Narrow(path) << ": lines that end with LF, not CR LF";
    }
}

// Theme name to file, from Penwright.ini.
std::map<std::wstring, std::wstring> ThemeFiles() {
    std::map<std::wstring, std::wstring> themes;
    for (const pw::IniEntry& theme : pw::IniSection(ConfigPath(L"Penwright.ini"), L"themes"))
        themes[theme.name] = ConfigPath(theme.value);
    return themes;
}

TEST(ShippedConfig, ThemesSetTextAttributesOfExistingClassesInHexadecimal) {
    const std::map<std::wstring, std::wstring> themes = ThemeFiles();
    ASSERT_EQ(themes.size(), 3u);
    const std::map<std::wstring, std::wstring> parents = {
        {L"Default", L""}, {L"Dark", L"Default"}, {L"HighContrast", L"Default"}};
    const std::set<std::wstring> keys = {L"colorfg", L"colorbk", L"colorselfg", L"colorselbk",
                                         L"bold",    L"italic",  L"underline"};
    for (const auto& [theme, parent] : parents) {
        ASSERT_TRUE(themes.count(theme)) << pw::Narrow(theme);
        const std::wstring& path = themes.at(theme);
        std::vector<std::wstring> sections = pw::IniSectionNames(path);
        ASSERT_TRUE(Contains(sections, L"main")) << pw::Narrow(path);

        std::vector<pw::IniEntry> main = pw::IniSection(path, L"main");
        ASSERT_EQ(main.size(), 1u) << pw::Narrow(path);
        EXPECT_TRUE(EqualNoCase(main[0].name, L"parentschema"));
        EXPECT_EQ(main[0].value, parent) << pw::Narrow(theme);

        for (const std::wstring& section : sections) {
            if (EqualNoCase(section, L"main"))
                continue;
            std::string where = pw::Narrow(theme + L" [" + section + L"]");
            EXPECT_NE(FindInAnySchema(section), nullptr) << where;
            std::vector<pw::IniEntry> entries = pw::IniSection(path, section);
            EXPECT_FALSE(entries.empty()) << where;
            for (const pw::IniEntry& entry : entries) {
                EXPECT_TRUE(keys.count(FoldCase(entry.name))) << where << " " << pw::Narrow(entry.name);
                bool colour = StartsWithNoCase(entry.name, L"color");
                EXPECT_TRUE(IsWholeNumber(entry.value, true) && (!colour || entry.value.size() == 8))
                    << where << " " << pw::Narrow(entry.value);
            }
        }
    }
}

// The dark themes must replace every colour a schema sets, or that class keeps its light colour
// on their dark background; and each language's plain text needs their colours as well.
TEST(ShippedConfig, DarkThemesRecolourEveryColourThatASchemaSets) {
    const std::map<std::wstring, std::wstring> themes = ThemeFiles();
    for (const std::wstring theme : {L"Dark", L"HighContrast"}) {
        ASSERT_TRUE(themes.count(theme));
        const std::wstring& path = themes.at(theme);
        auto has = [&](const std::wstring& section, std::wstring_view key) {
            for (const pw::IniEntry& entry : pw::IniSection(path, section))
                if (EqualNoCase(entry.name, key))
                    return true;
            return false;
        };
        for (const Schema& schema : ShippedSchemas()) {
            const std::wstring& top = schema.classes.front()->GetName();
            for (const wchar_t* key : {L"colorFG", L"colorBK", L"colorSelFG", L"colorSelBK"})
                EXPECT_TRUE(has(top, key)) << pw::Narrow(theme + L" " + top + L" " + key);
            for (const ClassPtr& cls : schema.classes)
                for (const wchar_t* key : {L"colorFG", L"colorBK", L"colorSelFG", L"colorSelBK"})
                    if (cls->GetProperty(std::wstring(L"txt:") + key, false)->GetKind() ==
                        LexValue::kNumber) {
                        EXPECT_TRUE(has(cls->GetName(), key))
                            << pw::Narrow(theme) << " " << Where(schema, cls->GetName()) << " "
                            << pw::Narrow(key);
                    }
        }
    }
}

}  // namespace
