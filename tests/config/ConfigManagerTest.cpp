// Reading configurations: the shipped one, relative paths, theme inheritance with loops, broken
// files, and themes applied over both class trees of every scheme.
#include <functional>
#include <random>
#include <set>

#include "config/ConfigTesting.h"
#include "lexer/LexText.h"

namespace {

// Every instance of both trees of a schema.
void ForEachInstance(const TextSchema& schema, const std::function<void(const LexClass&)>& visit) {
    std::function<void(const ClassSet::ClassList&)> walk = [&](const ClassSet::ClassList& list) {
        for (const pw::RefPtr<LexClass>& cls : list) {
            visit(*cls);
            walk(cls->GetChildren());
            walk(cls->GetDynamicChildren());
        }
    };
    walk(schema.GetClassSet().GetTree(ClassSet::kFullTree));
    walk(schema.GetClassSet().GetTree(ClassSet::kCompleteParseTree));
}

int32_t Property(const LexClass& cls, const wchar_t* key) {
    pw::RefPtr<LexValue> value = cls.GetProperty(key, false);
    return value->GetKind() == LexValue::kNumber ? value->GetNumber() : -1;
}

// The extensions of a "parent:file" value such as "<*.c|*.h>".
std::vector<std::wstring> ClaimedExtensions(const TextSchema& schema) {
    std::vector<std::wstring> extensions;
    for (const pw::RefPtr<LexClass>& cls : schema.GetClassSet().GetTemplates()) {
        if (cls->GetParentRule().mode != LexClass::kParentFile || cls->GetParentRule().names.empty())
            continue;
        std::wstring list = cls->GetParentRule().names[0];
        list = list.substr(1, list.size() - 2);
        for (size_t start = 0; start <= list.size();) {
            size_t bar = std::min(list.find(L'|', start), list.size());
            std::wstring piece = list.substr(start, bar - start);
            std::erase(piece, L'*');
            extensions.push_back(piece);
            start = bar + 1;
        }
    }
    return extensions;
}

}  // namespace

TEST(ConfigManagerTest, ShippedConfigurationLoadsEverySchemeAndTheme) {
    ClosingConfig config;
    EventRecorder events(config->GetEventSource());
    ASSERT_TRUE(config->SetConfigFile(ShippedConfig()));
    EXPECT_EQ(events.Count(BufferConfig::kConfigRead), 1u);  // sent on the reading thread

    const std::vector<ConfigManager::Entry> themes = config->GetThemes();
    ASSERT_EQ(themes.size(), 3u);
    for (const ConfigManager::Entry& theme : themes) {
        EXPECT_TRUE(theme.loaded) << pw::Narrow(theme.name);
        EXPECT_TRUE(config->GetTheme(theme.name)) << pw::Narrow(theme.name);
    }
    EXPECT_EQ(config->GetCurrentTheme(), L"Default");

    const std::vector<ConfigManager::Entry> schemes = config->GetSchemes();
    ASSERT_EQ(schemes.size(), 18u);
    std::set<std::wstring> seen;
    for (const ConfigManager::Entry& scheme : schemes) {
        SCOPED_TRACE(pw::Narrow(scheme.name));
        ASSERT_TRUE(scheme.loaded);
        pw::RefPtr<TextSchema> schema = config->GetSchema(scheme.name);
        ASSERT_TRUE(schema);
        EXPECT_FALSE(schema->GetClassSet().GetTree(ClassSet::kCompleteParseTree).empty());
        // Each extension the schema claims leads back to it, also written in other case and as
        // part of a path; no two schemes claim one extension.
        std::vector<std::wstring> extensions = ClaimedExtensions(*schema);
        EXPECT_FALSE(extensions.empty());
        for (const std::wstring& ext : extensions) {
            EXPECT_TRUE(seen.insert(FoldCase(ext)).second) << pw::Narrow(ext);
            EXPECT_EQ(config->GetSchemaForFile(ext), schema) << pw::Narrow(ext);
            std::wstring upper = ext;
            for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
            EXPECT_EQ(config->GetSchemaForFile(L"C:\\src\\some.dir\\file" + upper), schema)
                << pw::Narrow(upper);
        }
    }
    EXPECT_FALSE(config->GetSchemaForFile(L""));
    EXPECT_FALSE(config->GetSchemaForFile(L".nosuch"));
    EXPECT_FALSE(config->GetSchemaForFile(L"cpp"));  // an extension has its dot
    EXPECT_EQ(config->GetSchemaForFile(L"x.cpp")->GetName(), L"C and C++");
}

TEST(ConfigManagerTest, RelativePathsAreFoundBesideTheConfigurationFile) {
    pwtest::TempFolder temp;
    std::filesystem::create_directories(temp.Native("conf/Themes"));
    std::filesystem::create_directories(temp.Native("conf/Schemas"));
    temp.Write("conf/Themes/Light.ini", "[comment]\ncolorFG=0x0000FF\n");
    temp.Write("conf/Schemas/tst.pws", SmallSchema());
    const std::string absoluteTheme = pw::Narrow(temp.Write("Other.ini", "[keyword]\nBold=1\n"));
    temp.Write("conf/Penwright.ini", "[themes]\nLight=Themes\\Light.ini\nOther=" + absoluteTheme +
                                         "\nGone=Themes\\Gone.ini\n[schemes]\nTest=Schemas\\tst.pws\n");
    ClosingConfig config;
    ASSERT_TRUE(config->SetConfigFile(temp.Path("conf/Penwright.ini")));

    const std::vector<ConfigManager::Entry> themes = config->GetThemes();
    ASSERT_EQ(themes.size(), 3u);
    EXPECT_TRUE(themes[0].loaded);
    EXPECT_TRUE(FileWatcher::IsFile(themes[0].path));
    EXPECT_TRUE(themes[1].loaded);
    EXPECT_EQ(pw::Narrow(themes[1].path), absoluteTheme);
    EXPECT_FALSE(themes[2].loaded);  // remembered, loaded once it exists
    EXPECT_EQ(config->GetTheme(L"LIGHT")->GetValue(L"Comment", L"ColorFG", false), L"0x0000FF");
    ASSERT_EQ(config->GetSchemes().size(), 1u);
    EXPECT_TRUE(config->GetSchemes()[0].loaded);
    EXPECT_TRUE(config->GetSchemaForFile(L".tst"));
    EXPECT_EQ(config->GetConfigFile(), temp.Path("conf/Penwright.ini"));
}

// Themes: Base <- Child; Ping <-> Pong; Self names itself; Entry -> Loop1 <-> Loop2 (a loop that
// does not pass through the theme where the lookup starts).
class ThemeInheritanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.Write(
            "Base.ini",
            "[main]\nparentschema=\nbaseonly=1\n[keyword]\nBold=1\ncolorFG=0x112233\n[comment]\nItalic=1\n");
        temp.Write("Child.ini", "[MAIN]\nParentSchema=base\n[Keyword]\nColorFG=0x445566\n");
        temp.Write("Ping.ini", "[main]\nparentschema=Pong\n[a]\nping=1\n");
        temp.Write("Pong.ini", "[main]\nparentschema=Ping\n[a]\npong=1\n[b]\nx=2\n");
        temp.Write("Self.ini", "[main]\nparentschema=self\n[a]\nk=1\n");
        temp.Write("Entry.ini", "[main]\nparentschema=Loop1\n");
        temp.Write("Loop1.ini", "[main]\nparentschema=Loop2\n");
        temp.Write("Loop2.ini", "[main]\nparentschema=Loop1\n[deep]\nkey=3\n");
        temp.Write("Penwright.ini",
                   "[themes]\nBase=Base.ini\nChild=Child.ini\nPing=Ping.ini\nPong=Pong.ini\nSelf=Self.ini\n"
                   "Entry=Entry.ini\nLoop1=Loop1.ini\nLoop2=Loop2.ini\n");
        ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
    }
    std::wstring Value(const wchar_t* theme, const wchar_t* section, const wchar_t* key, bool inherit) {
        pw::RefPtr<Theme> t = config->GetTheme(theme);
        EXPECT_TRUE(t) << pw::Narrow(theme);
        return t ? t->GetValue(section, key, inherit) : L"?";
    }

    pwtest::TempFolder temp;
    ClosingConfig config;
};

TEST_F(ThemeInheritanceTest, SectionsAndKeysComeFromTheParent) {
    EXPECT_EQ(config->GetTheme(L"child")->GetParentName(), L"base");
    EXPECT_EQ(Value(L"Child", L"keyword", L"colorfg", true), L"0x445566");  // its own wins
    EXPECT_EQ(Value(L"Child", L"keyword", L"bold", true), L"1");            // key from the parent's section
    EXPECT_EQ(Value(L"Child", L"keyword", L"bold", false), L"");
    EXPECT_EQ(Value(L"Child", L"comment", L"italic", true), L"1");  // a whole section from the parent
    EXPECT_EQ(Value(L"Child", L"main", L"baseonly", true), L"");    // "main" is never inherited
    pw::RefPtr<Theme> child = config->GetTheme(L"Child");
    EXPECT_EQ(child->FindSection(L"comment", true),
              config->GetTheme(L"Base")->FindSection(L"COMMENT", false));
    EXPECT_EQ(child->FindSection(L"comment", false), nullptr);
    EXPECT_EQ(child->FindClassSection(L"Keyword")->at(L"colorfg"), L"0x445566");

    config->SetCurrentTheme(L"Child");
    EXPECT_EQ(config->GetThemeValue(L"keyword", L"Bold", true), L"1");
    config->SetCurrentTheme(L"NoSuchTheme");
    EXPECT_EQ(config->GetThemeValue(L"keyword", L"Bold", true), L"");
}

TEST_F(ThemeInheritanceTest, LoopsEnd) {
    // Each finds what the other has, and a key in neither ends the lookup.
    EXPECT_EQ(Value(L"Ping", L"a", L"pong", true), L"1");
    EXPECT_EQ(Value(L"Ping", L"b", L"x", true), L"2");
    EXPECT_EQ(Value(L"Pong", L"a", L"ping", true), L"1");
    EXPECT_EQ(Value(L"Pong", L"a", L"neither", true), L"");
    EXPECT_EQ(Value(L"Ping", L"nosuch", L"x", true), L"");
    EXPECT_EQ(config->GetTheme(L"Ping")->FindSection(L"nosuch", true), nullptr);
    EXPECT_EQ(Value(L"Self", L"a", L"k", true), L"1");
    EXPECT_EQ(Value(L"Self", L"a", L"missing", true), L"");
    EXPECT_EQ(config->GetTheme(L"Self")->FindSection(L"none", true), nullptr);
    // A loop further up the chain.
    EXPECT_EQ(Value(L"Entry", L"deep", L"key", true), L"3");
    EXPECT_EQ(Value(L"Entry", L"deep", L"missing", true), L"");
    EXPECT_EQ(Value(L"Loop1", L"nowhere", L"k", true), L"");
}

TEST(ConfigManagerTest, BrokenConfigurationsGiveClearResults) {
    pwtest::TempFolder temp;
    ClosingConfig config;
    EventRecorder events(config->GetEventSource());

    // No path at all, or one that a NUL would cut short.
    EXPECT_FALSE(config->SetConfigFile(L""));
    EXPECT_FALSE(config->SetConfigFile(std::wstring(L"a\0b.ini", 7)));
    EXPECT_EQ(events.Count(BufferConfig::kConfigRead), 0u);

    // A missing file: empty, and still reported as read.
    ASSERT_TRUE(config->SetConfigFile(temp.Path("missing.ini")));
    EXPECT_EQ(events.Count(BufferConfig::kConfigRead), 1u);
    EXPECT_TRUE(config->GetSchemes().empty());
    EXPECT_TRUE(config->GetThemes().empty());
    EXPECT_FALSE(config->GetSchemaForFile(L".cpp"));

    // A scheme path that is a folder, one that names no file, empty entries, a line without
    // "=", a schema file and a theme file of binary garbage: the good scheme still loads.
    std::filesystem::create_directories(temp.Native("folder.pws"));
    std::mt19937 random(7);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(random());
    garbage[10] = '\0';
    temp.Write("garbage.pws", garbage);
    temp.Write("garbage.ini", garbage);
    temp.Write("tst.pws", SmallSchema());
    temp.Write(
        "Penwright.ini",
        "[themes]\nJunk=garbage.ini\n=nameless.ini\nEmpty=\n[schemes]\nFolder=folder.pws\nMissing=none.pws\n"
        "Junk=garbage.pws\nno equals sign\nGood=tst.pws\n");
    ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
    std::vector<ConfigManager::Entry> schemes = config->GetSchemes();
    ASSERT_EQ(schemes.size(), 4u);
    EXPECT_FALSE(schemes[0].loaded);  // a folder is no schema file
    EXPECT_FALSE(config->GetSchema(L"Folder"));
    EXPECT_FALSE(schemes[1].loaded);
    EXPECT_TRUE(schemes[3].loaded);
    EXPECT_EQ(config->GetSchemaForFile(L"a.tst"), config->GetSchema(L"good"));
    ASSERT_EQ(config->GetThemes().size(), 1u);
    config->SetCurrentTheme(L"Junk");  // whatever its sections hold, nothing breaks

    // The configuration file itself as binary garbage.
    temp.Write("Penwright.ini", garbage);
    ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
    for (const ConfigManager::Entry& scheme : config->GetSchemes()) EXPECT_FALSE(scheme.loaded);
    EXPECT_FALSE(config->GetSchemaForFile(L"a.tst"));
}

TEST(ConfigManagerTest, ThemeColoursBothTreesAndSwitchingBackRestoresTheSchema) {
    pwtest::TempFolder temp;
    temp.Write("tst.pws", SmallSchema("0x123456"));
    temp.Write("Plain.ini", "[main]\nparentschema=\n");
    temp.Write("Blue.ini", "[main]\nparentschema=Plain\n[Comment]\nColorFG=0x0000FF\nbold=1\nitalic=zz\n");
    temp.Write("Penwright.ini", "[themes]\nPlain=Plain.ini\nBlue=Blue.ini\n[schemes]\nTest=tst.pws\n");
    ClosingConfig config;
    ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
    EventRecorder events(config->GetEventSource());
    pw::RefPtr<TextSchema> schema = config->GetSchema(L"Test");
    ASSERT_TRUE(schema);

    auto comments = [&](const std::function<void(const LexClass&)>& check) {
        int n = 0;
        ForEachInstance(*schema, [&](const LexClass& cls) {
            if (cls.GetName() == L"comment") {
                check(cls);
                ++n;
            }
        });
        EXPECT_EQ(n, 2);  // one in each tree
    };
    // "Default" is current and not configured: the schema's own colours, swapped as read.
    comments([](const LexClass& cls) {
        EXPECT_EQ(Property(cls, L"txt:colorFG"), 0x563412);
        EXPECT_EQ(Property(cls, L"txt:Bold"), -1);
    });

    config->SetCurrentTheme(L"Blue");
    EXPECT_TRUE(events.WaitFor(BufferConfig::kThemeReloaded, L"Blue"));  // the buffers' copies follow
    comments([](const LexClass& cls) {
        EXPECT_EQ(Property(cls, L"txt:colorFG"), 0xFF0000);  // 0xRRGGBB stored as 0x00BBGGRR
        EXPECT_EQ(Property(cls, L"txt:Bold"), 1);
        EXPECT_EQ(Property(cls, L"txt:Italic"), -1);  // no hexadecimal digits: not set
        LexTextAttributes attrs;
        cls.GetTextAttributes(attrs);
        EXPECT_EQ(attrs.text.custom, 0xFF0000);
    });
    // Classes the theme does not name keep their own colours.
    ForEachInstance(*schema, [](const LexClass& cls) {
        if (cls.GetName() == L"keyword") {
            EXPECT_EQ(Property(cls, L"txt:colorFG"), 0xFF0000);
        }
    });

    config->SetCurrentTheme(L"Plain");
    comments([](const LexClass& cls) {
        EXPECT_EQ(Property(cls, L"txt:colorFG"), 0x563412);
        EXPECT_EQ(Property(cls, L"txt:Bold"), -1);
    });

    // A schema outside the configuration takes the theme when given.
    pw::RefPtr<TextSchema> clone = schema->Clone();
    config->SetCurrentTheme(L"Blue", clone.get());
    ForEachInstance(*clone, [](const LexClass& cls) {
        if (cls.GetName() == L"comment") {
            EXPECT_EQ(Property(cls, L"txt:colorFG"), 0xFF0000);
        }
    });
}
