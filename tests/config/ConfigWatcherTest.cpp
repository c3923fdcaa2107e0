// The watcher and the re-read at work: files changed, deleted and created on disk while the
// configuration runs, closing while its threads are busy, and buffers following the events.
#include <thread>

#include "buffer/BufferManager.h"
#include "config/ConfigTesting.h"
#include "parser/LexParser.h"
#include "platform/Archive.h"
#include "platform/MemFile.h"
#include "platform/Time.h"

namespace {

constexpr uint32_t kFastPollMs = 10;

class WatcherTest : public ::testing::Test {
protected:
    void Start(const std::string& ini) {
        temp.Write("Penwright.ini", ini);
        ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
    }

    pwtest::TempFolder temp;
    ClosingConfig config{kFastPollMs};
    EventRecorder events{config->GetEventSource()};
};

}  // namespace

TEST_F(WatcherTest, ChangedSchemaAndThemeFilesAreReloaded) {
    temp.Write("tst.pws", SmallSchema("0x010203"));
    temp.Write("Default.ini", "[comment]\nBold=1\n");
    Start("[themes]\nDefault=Default.ini\n[schemes]\nTest=tst.pws\n");
    pw::RefPtr<TextSchema> before = config->GetSchema(L"Test");
    ASSERT_TRUE(before);
    EXPECT_EQ(CommentColour(*before), 0x030201);

    temp.Write("tst.pws", SmallSchema("0x0A0B0C0D"));  // another size, whatever the clock says
    ASSERT_TRUE(events.WaitFor(BufferConfig::kSchemeReloaded, L"Test"));
    pw::RefPtr<TextSchema> after = config->GetSchema(L"Test");
    ASSERT_TRUE(after);
    EXPECT_NE(after, before);
    EXPECT_EQ(CommentColour(*after), 0x0A0D0C0B);
    EXPECT_TRUE(events.Records().back().withObject);

    // The current theme changes: every scheme takes it at once.
    temp.Write("Default.ini", "[comment]\ncolorFG=0x00FF00\nBold=1\n");
    ASSERT_TRUE(events.WaitFor(BufferConfig::kThemeReloaded, L"Default"));
    EXPECT_EQ(CommentColour(*config->GetSchema(L"Test")), 0x00FF00);

    // Deleted: the theme is gone and the schema shows its own colours again.
    const size_t seen = events.Count(BufferConfig::kThemeReloaded);
    std::filesystem::remove(temp.Native("Default.ini"));
    ASSERT_TRUE(events.WaitFor(BufferConfig::kThemeReloaded, L"Default", seen));
    EXPECT_FALSE(config->GetTheme(L"Default"));
    EXPECT_EQ(CommentColour(*config->GetSchema(L"Test")), 0x0A0D0C0B);
}

TEST_F(WatcherTest, MissingFilesAreLoadedOnceTheyAppear) {
    Start("[themes]\nDefault=Default.ini\n[schemes]\nTest=tst.pws\n");
    EXPECT_FALSE(config->GetTheme(L"Default"));
    EXPECT_FALSE(config->GetSchemaForFile(L".tst"));

    temp.Write("Default.ini", "[comment]\ncolorFG=0x0000FF\n");
    ASSERT_TRUE(events.WaitFor(BufferConfig::kThemeReloaded, L"Default"));
    EXPECT_TRUE(config->GetTheme(L"Default"));

    temp.Write("tst.pws", SmallSchema());
    ASSERT_TRUE(events.WaitFor(BufferConfig::kSchemeReloaded, L"Test"));
    pw::RefPtr<TextSchema> schema = config->GetSchemaForFile(L".tst");
    ASSERT_TRUE(schema);
    EXPECT_EQ(CommentColour(*schema), 0xFF0000);  // the current theme applies to the new scheme

    // The scheme's file goes away: no schema until it is back.
    const size_t seen = events.Count(BufferConfig::kSchemeReloaded);
    std::filesystem::remove(temp.Native("tst.pws"));
    ASSERT_TRUE(events.WaitFor(BufferConfig::kSchemeReloaded, L"Test", seen));
    EXPECT_FALSE(events.Records().back().withObject);
    EXPECT_FALSE(config->GetSchemaForFile(L".tst"));
}

TEST_F(WatcherTest, ConfigurationIsReadAgainWhenItChangesOrAppears) {
    temp.Write("tst.pws", SmallSchema());
    ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));  // not there yet
    ASSERT_EQ(events.Count(BufferConfig::kConfigRead), 1u);
    EXPECT_TRUE(config->GetSchemes().empty());

    temp.Write("Penwright.ini", "[schemes]\nTest=tst.pws\n");
    ASSERT_TRUE(events.WaitFor(BufferConfig::kConfigRead, {}, 1));
    ASSERT_TRUE(PumpUntil([&] { return config->GetSchema(L"Test") != nullptr; }));

    const size_t seen = events.Count(BufferConfig::kConfigRead);
    temp.Write("Penwright.ini", "[schemes]\nRenamed=tst.pws\n");
    ASSERT_TRUE(events.WaitFor(BufferConfig::kConfigRead, {}, seen));
    ASSERT_TRUE(PumpUntil([&] { return config->GetSchema(L"Renamed") != nullptr; }));
    EXPECT_FALSE(config->GetSchema(L"Test"));
}

TEST(ConfigCloseTest, ClosingWhileTheWatcherAndARereadRun) {
    // The shipped schemas make a re-read long enough to be caught in the middle.
    pwtest::TempFolder temp;
    std::string schemes = "[schemes]\n";
    for (int i = 0; i < 18; ++i) {
        schemes += "S" + std::to_string(i) + "=" + PW_CONFIG_DIR + "/Schemas/cpp.pws\n";
    }
    std::mt19937 random(11);
    for (int round = 0; round < 8; ++round) {
        temp.Write("Penwright.ini", schemes);
        auto config = pw::MakeRef<ConfigManager>(1);
        ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
        temp.Write("Penwright.ini", schemes + "; changed " + std::to_string(round) + "\n");
        pw::SleepMs(random() % 40);
        config->Close();
        EXPECT_TRUE(config->GetSchemes().empty());
        EXPECT_FALSE(config->GetSchemaForFile(L".cpp"));
        // Closed, it can be read again.
        if (round == 0) {
            ASSERT_TRUE(config->SetConfigFile(temp.Path("Penwright.ini")));
            EXPECT_TRUE(config->GetSchemaForFile(L".cpp"));
            config->Close();
        }
    }
}

namespace {

// A buffer with a parser over a configuration of its own.
struct ColouredBuffer {
    explicit ColouredBuffer(const ConfigPtr& config) {
        buffer->SetParser(parser);
        buffer->SetConfigManager(config);
    }
    pw::RefPtr<TextSchema> Schema() const { return parser->GetCurrentSchema(); }

    pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    pw::RefPtr<LexParser> parser = pw::MakeRef<LexParser>();
};

}  // namespace

TEST_F(WatcherTest, BufferFollowsExtensionColouringAndReloads) {
    temp.Write("tst.pws", SmallSchema("0x010203"));
    temp.Write("Default.ini", "[keyword]\nBold=1\n");
    Start("[themes]\nDefault=Default.ini\n[schemes]\nTest=tst.pws\n");
    ColouredBuffer coloured(config.Get());
    CQELPenwrightBufferManager& buffer = *coloured.buffer;
    EventRecorder forwarded(buffer.GetConnection());
    buffer.InsertText(L"begin /* end */ end", 1, 1, false);

    EXPECT_EQ(buffer.GetConfigFile(), temp.Path("Penwright.ini"));
    buffer.SetFileExt(L".TST");
    ASSERT_TRUE(coloured.Schema());
    EXPECT_EQ(coloured.Schema()->GetName(), L"Test");
    EXPECT_NE(coloured.Schema(), config->GetSchema(L"Test"));  // the parser's own clone
    buffer.SetFileExt(L".txt");
    EXPECT_FALSE(coloured.Schema());
    buffer.SetFileExt(L".tst");

    buffer.EnableSyntaxColoring(false);
    EXPECT_FALSE(coloured.Schema());
    buffer.EnableSyntaxColoring(true);
    ASSERT_TRUE(coloured.Schema());
    ASSERT_TRUE(coloured.parser->WaitUntilParsed(60000));  // a bound against a hang, not a timing
    EXPECT_TRUE(coloured.Schema()->GetChain().HeadBlock());

    // A reloaded scheme replaces the parser's schema, and the event goes on to the editors.
    temp.Write("tst.pws", SmallSchema("0x0A0B0C0D"));
    ASSERT_TRUE(forwarded.WaitFor(BufferConfig::kSchemeReloaded, L"Test"));
    ASSERT_TRUE(coloured.Schema());
    EXPECT_EQ(CommentColour(*coloured.Schema()), 0x0A0D0C0B);
    ASSERT_TRUE(coloured.parser->WaitUntilParsed(60000));
    EXPECT_TRUE(coloured.Schema()->GetChain().HeadBlock());

    // A theme that changes reaches the parser's clone too.
    temp.Write("Default.ini", "[comment]\ncolorFG=0x00FF00\n");
    ASSERT_TRUE(forwarded.WaitFor(BufferConfig::kThemeReloaded, L"Default"));
    EXPECT_EQ(CommentColour(*coloured.Schema()), 0x00FF00);

    // With colouring off, events change nothing and are not passed on.
    buffer.EnableSyntaxColoring(false);
    forwarded.Clear();
    const size_t seen = events.Count(BufferConfig::kSchemeReloaded);
    temp.Write("tst.pws", SmallSchema("0x00000001"));
    ASSERT_TRUE(events.WaitFor(BufferConfig::kSchemeReloaded, L"Test", seen));
    EXPECT_FALSE(coloured.Schema());
    EXPECT_EQ(forwarded.Records().size(), 0u);
}

TEST_F(WatcherTest, LoadingTextWithAnExtensionSelectsTheSchema) {
    temp.Write("tst.pws", SmallSchema());
    Start("[schemes]\nTest=tst.pws\n");
    ColouredBuffer coloured(config.Get());
    auto load = [&](const wchar_t* ext) {
        pw::MemFile file;
        file.Write("begin /* x */", 13);
        file.Seek(0);
        pw::Archive archive(file, pw::Archive::Mode::Load);
        coloured.buffer->SerializeText(archive, -1, true, -1, std::wstring_view(ext), -1);
    };
    load(L".tst");
    ASSERT_TRUE(coloured.Schema());
    EXPECT_EQ(coloured.Schema()->GetName(), L"Test");
    load(L".txt");
    EXPECT_FALSE(coloured.Schema());
}

TEST(SharedConfigTest, FirstBufferMakesItLastOneClosesIt) {
    pwtest::TempFolder temp;
    temp.Write("tst.pws", SmallSchema());
    temp.Write("Penwright.ini", "[schemes]\nTest=tst.pws\n");
    ConfigManager::RegisterShared();
    auto first = pw::MakeRef<CQELPenwrightBufferManager>();
    auto second = pw::MakeRef<CQELPenwrightBufferManager>();
    pw::RefPtr<BufferConfig> shared = first->GetConfigManager();
    ASSERT_TRUE(shared);
    EXPECT_EQ(second->GetConfigManager(), shared);
    ASSERT_TRUE(first->SetConfigFile(temp.Path("Penwright.ini")));
    EXPECT_EQ(second->GetConfigFile(), temp.Path("Penwright.ini"));
    auto* config = static_cast<ConfigManager*>(shared.get());
    first.reset();
    EXPECT_EQ(config->GetSchemes().size(), 1u);  // still open for the second
    second.reset();
    EXPECT_TRUE(config->GetSchemes().empty());  // closed with the last
    // The next buffer makes a new one.
    auto third = pw::MakeRef<CQELPenwrightBufferManager>();
    EXPECT_TRUE(third->GetConfigManager());
    EXPECT_NE(third->GetConfigManager(), shared);
    third.reset();
    SetBufferConfigFactory(nullptr);
    EXPECT_FALSE(pw::MakeRef<CQELPenwrightBufferManager>()->SetConfigFile(temp.Path("Penwright.ini")));
}
