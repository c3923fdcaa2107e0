// The colour page's edits written through the configuration: onto the file as it is at the
// time, so that nothing written into it since the copy is lost, and loaded again at once.
#include <gtest/gtest.h>

#include "config/ConfigTesting.h"
#include "lexer/LexText.h"
#include "options/ClassColors.h"

namespace {

const std::string kExtraClass = "lexClass:\n\tname = extra\n\tparent = tst\n\tstart:tag = '#'\n//:lexClass\n";

// The watcher polls as slowly as it does for users: whatever the test sees, the edit did.
class SchemaWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.Write("tst.pws", SmallSchema("0x010203"));
        temp.Write("Penwright.ini", "[schemes]\nTest=tst.pws\n");
        ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
        path = config->GetSchemes().at(0).path;
    }

    // The page's copy of the file's definitions, as it takes it when it opens.
    ClassColorsEditor Copy() {
        SchemaCache cache = config->CopySchemaDefinitions();
        auto found = cache.find(FoldCase(path));
        EXPECT_NE(found, cache.end());
        return ClassColorsEditor(found == cache.end() ? std::vector<LexClassDef>() : found->second.classes);
    }

    bool Apply(ClassColorsEditor& editor) {
        if (!config->EditSchemaFile(path, [&](SchemaFileDefs& current) { editor.Replay(current); }))
            return false;
        editor.Written();
        return true;
    }

    pwtest::TempFolder temp;
    ClosingConfig config;
    EventRecorder events{config->GetEventSource()};
    std::wstring path;
};

constexpr size_t kComment = 1;  // the class "comment" in SmallSchema

TEST_F(SchemaWriteTest, ClassesAddedSinceTheCopyStayAndTheSchemeReloads) {
    ClassColorsEditor editor = Copy();
    temp.Write("tst.pws", SmallSchema("0x010203") + kExtraClass);
    editor.SetColor(kComment, ClassColor::kText, 0x0000FF);
    ASSERT_TRUE(Apply(editor));

    const std::string file = temp.Read("tst.pws");
    EXPECT_NE(file.find("name = extra"), std::string::npos);
    EXPECT_NE(file.find("txt:colorFG = 0xFF0000"), std::string::npos);
    EXPECT_EQ(file.find("0x010203"), std::string::npos);
    EXPECT_EQ(CommentColour(*config->GetSchema(L"Test")), 0x0000FF);  // at once, not at the next poll
    EXPECT_TRUE(events.WaitFor(BufferConfig::kSchemeReloaded, L"Test"));
    EXPECT_FALSE(editor.IsModified());
}

// A second Apply before the watcher noticed the first keeps the first.
TEST_F(SchemaWriteTest, SecondApplyKeepsTheFirst) {
    ClassColorsEditor editor = Copy();
    editor.SetStyle(kComment, ClassStyle::kBold, true);
    ASSERT_TRUE(Apply(editor));
    editor.SetColor(kComment, ClassColor::kBack, 0x00FF00);
    ASSERT_TRUE(Apply(editor));
    const std::string file = temp.Read("tst.pws");
    EXPECT_NE(file.find("txt:Bold = 1"), std::string::npos);
    EXPECT_NE(file.find("txt:colorBK = 0x00FF00"), std::string::npos);
    EXPECT_EQ(ReadLook(Copy().Classes().at(kComment)).colors[1], 0x00FF00u);
}

TEST_F(SchemaWriteTest, WhatCannotBeWrittenLeavesTheFile) {
    const std::string before = temp.Read("tst.pws");
    // An unquoted value with a blank would read back as two.
    EXPECT_FALSE(config->EditSchemaFile(path, [](SchemaFileDefs& current) {
        current.classes.at(kComment).SetAttribute(L"txt:colorFG", {L"1 2"});
        current.modified = true;
    }));
    EXPECT_EQ(temp.Read("tst.pws"), before);

    // A file deleted meanwhile is not made again from the edits alone.
    ClassColorsEditor editor = Copy();
    editor.SetColor(kComment, ClassColor::kText, 0x0000FF);
    std::filesystem::remove(temp.Native("tst.pws"));
    EXPECT_FALSE(Apply(editor));
    EXPECT_FALSE(std::filesystem::exists(temp.Native("tst.pws")));
    EXPECT_TRUE(editor.IsModified());
}

}  // namespace
