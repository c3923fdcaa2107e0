// The colour page's reading of a class's "txt:" attributes, its edits, and the replay of those
// edits onto a file's definitions read later.
#include <gtest/gtest.h>

#include <string>

#include "lexer/SchemaReader.h"
#include "options/ClassColors.h"

namespace {

std::vector<LexClassDef> Parse(const std::wstring& text) {
    SchemaReader reader;
    reader.ParseText(text);
    return reader.GetDefinitions();
}

LexClassDef OneClass(const std::wstring& attributes) {
    return Parse(L"lexClass:\n\tname = c\n" + attributes + L"//:lexClass\n").at(0);
}

// The attribute's values, one entry per occurrence.
std::vector<std::wstring> Occurrences(const LexClassDef& definition, std::wstring_view name) {
    std::vector<std::wstring> found;
    for (const LexAttrDef& attribute : definition.attributes)
        if (attribute.FullName() == name)
            found.push_back(attribute.values.empty() ? L"" : attribute.values[0]);
    return found;
}

TEST(ClassColorsTest, ReadsColoursAndStylesAsTheClassCompilerDoes) {
    struct Case {
        std::wstring lines;
        std::optional<ColorRef> text;
        bool bold;
    };
    const Case cases[] = {
        {L"", std::nullopt, false},
        {L"txt:colorFG = 0xFF0000\n", 0x0000FF, false},            // 0xRRGGBB becomes 0x00BBGGRR
        {L"txt:colorFG = 255\n", 0xFF0000, false},                 // decimal
        {L"txt:colorFG = 010\n", 0x080000, false},                 // a leading 0 is octal
        {L"txt:colorFG = -1\n", std::nullopt, false},              // not set
        {L"txt:colorFG = -2\n", 0xFEFFFF, false},                  // any other number is a colour, in 24 bits
        {L"txt:colorFG = 0x1ABCDEF\n", 0xEFCDAB, false},           // masked
        {L"txt:colorFG = zz\n", 0x000000, false},                  // no digits read as 0
        {L"txt:colorFG = '0xFF'\n", std::nullopt, false},          // a string sets no number
        {L"txt:colorFG = 1\ntxt:colorFG = 2\n", 0x020000, false},  // the last occurrence counts
        {L"txt:Bold = 1\n", std::nullopt, true},
        {L"txt:Bold = 0x0\n", std::nullopt, false},
        {L"txt:Bold = 2\n", std::nullopt, true},
        {L"txt:Bold = '1'\n", std::nullopt, false},
        {L"txt:Bold = 1\ntxt:bold = 0\n", std::nullopt, false},  // names ignore case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.lines.begin(), c.lines.end()));
        ClassLook look = ReadLook(OneClass(c.lines));
        EXPECT_EQ(look.colors[0], c.text);
        EXPECT_EQ(look.styles[0], c.bold);
        EXPECT_FALSE(look.colors[1] || look.styles[1]);
    }
}

TEST(ClassColorsTest, DisplayNames) {
    EXPECT_EQ(DisplayName(OneClass(L"")), L"c");
    EXPECT_EQ(DisplayName(OneClass(L"DisplayName = 'Block comment'\n")), L"Block comment");
    EXPECT_EQ(DisplayName(OneClass(L"DisplayName = 'a', 'b'\n")), L"a, b");
}

TEST(ClassColorsTest, EditsWriteOneAttributeOrNone) {
    struct Case {
        std::wstring lines;
        std::function<void(ClassColorsEditor&)> edit;
        std::wstring attribute;
        std::vector<std::wstring> after;
    };
    const Case cases[] = {
        {L"", [](auto& e) { e.SetColor(0, ClassColor::kBack, 0x0000FF); }, L"txt:colorBK", {L"0xFF0000"}},
        {L"txt:colorBK = 1\ntxt:colorBK = 2\n",
         [](auto& e) { e.SetColor(0, ClassColor::kBack, 0x123456); },
         L"txt:colorBK",
         {L"0x563412"}},
        {L"txt:colorBK = 1\ntxt:colorBK = 2\n",
         [](auto& e) { e.SetColor(0, ClassColor::kBack, std::nullopt); },
         L"txt:colorBK",
         {}},
        {L"txt:colorSelFG = 3\n",
         [](auto& e) { e.SetColor(0, ClassColor::kSelText, 0xFF000000 | 0x10); },
         L"txt:colorSelFG",
         {L"0x100000"}},
        {L"txt:Bold = 0\ntxt:Bold = 7\n",
         [](auto& e) { e.SetStyle(0, ClassStyle::kBold, true); },
         L"txt:Bold",
         {L"1"}},
        {L"txt:Italic = 1\n", [](auto& e) { e.SetStyle(0, ClassStyle::kItalic, false); }, L"txt:Italic", {}},
        {L"txt:Underline = 1\ntxt:colorSelBK = 5\n", [](auto& e) { e.Reset(0); }, L"txt:colorSelBK", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.lines.begin(), c.lines.end()));
        ClassColorsEditor editor({OneClass(c.lines)});
        c.edit(editor);
        EXPECT_EQ(Occurrences(editor.Classes()[0], c.attribute), c.after);
        EXPECT_TRUE(editor.IsModified());
        // What was written reads back as what was asked.
        SchemaFileDefs file{{OneClass(c.lines)}, false};
        editor.Replay(file);
        EXPECT_TRUE(file.modified);
        EXPECT_EQ(Occurrences(file.classes[0], c.attribute), c.after);
    }
}

// The file changed after the page read it: the edits land on what is there now, and nothing
// that appeared meanwhile is lost.
TEST(ClassColorsTest, ReplayKeepsWhatChangedSinceTheCopy) {
    const std::wstring before =
        L"lexClass:\n name = a\n//:lexClass\nlexClass:\n name = b\n//:lexClass\n"
        L"lexClass:\n name = b\n//:lexClass\n";
    ClassColorsEditor editor(Parse(before));
    editor.SetColor(0, ClassColor::kText, 0x000001);
    editor.SetStyle(2, ClassStyle::kBold, true);  // the second class named b
    editor.SetColor(1, ClassColor::kBack, 0x000002);
    editor.SetColor(1, ClassColor::kBack, std::nullopt);  // changed back: only the removal stays
    ASSERT_EQ(editor.Edits().size(), 3u);

    SchemaFileDefs now{Parse(L"lexClass:\n name = new\n//:lexClass\n" + before +
                             L"lexClass:\n name = B\n txt:colorBK = 9\n//:lexClass\n"),
                       false};
    now.classes[1].SetAttribute(L"txt:Italic", {L"1"});
    editor.Replay(now);
    ASSERT_EQ(now.classes.size(), 5u);
    EXPECT_TRUE(now.modified);
    EXPECT_EQ(now.classes[0].name, L"new");
    EXPECT_EQ(Occurrences(now.classes[1], L"txt:colorFG"), std::vector<std::wstring>{L"0x010000"});
    EXPECT_EQ(Occurrences(now.classes[1], L"txt:Italic"), std::vector<std::wstring>{L"1"});
    EXPECT_TRUE(Occurrences(now.classes[2], L"txt:Bold").empty());
    EXPECT_EQ(Occurrences(now.classes[3], L"txt:Bold"), std::vector<std::wstring>{L"1"});
    EXPECT_EQ(Occurrences(now.classes[4], L"txt:colorBK"), std::vector<std::wstring>{L"9"});

    // A class removed meanwhile takes no edit, and the rest still apply.
    SchemaFileDefs shrunk{Parse(L"lexClass:\n name = b\n//:lexClass\n"), false};
    editor.Replay(shrunk);
    EXPECT_TRUE(shrunk.modified);
    ASSERT_EQ(shrunk.classes.size(), 1u);
    EXPECT_TRUE(Occurrences(shrunk.classes[0], L"txt:Bold").empty());
}

}  // namespace
