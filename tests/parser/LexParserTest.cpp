// The parser of a buffer: reparses through the buffer's seams, the options a schema gives, the
// relay of the schema's events, token lists, and a parse stopped from another thread that a
// later run finishes. The worker thread has its own test program (parserthread).
#include "parser/LexParser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "notify/NotificationSink.h"
#include "parser/ParseTesting.h"

namespace {

using ParserPtr = pw::RefPtr<LexParser>;

// The shipped C++ schema, its edits reparsed at once on the editing thread.
SchemaPtr CppReparsedAtOnce() {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    pw::RefPtr<LexClass> fileClass = schema->FileClass(L".cpp");
    EXPECT_TRUE(fileClass);
    fileClass->SetProperty(L"global:EditReparceInSeparateThread", LexValue::MakeNumber(0));
    return schema;
}

struct Fixture {
    explicit Fixture(const Rows& rows) : buffer(BufferWith(rows, L".cpp")), parser(pw::MakeRef<LexParser>()) {
        EXPECT_TRUE(parser->SetTextSchema(schema.get()));
        buffer->SetParser(parser);
        reference = parser->GetCurrentSchema()->Clone();
    }
    ~Fixture() { buffer->Close(); }

    std::string Fresh() {
        reference->ReleaseAllBlocks();
        FullParse(*reference, *buffer);
        return DumpExact(*reference);
    }

    SchemaPtr schema = CppReparsedAtOnce();
    Buffer buffer;
    ParserPtr parser;
    SchemaPtr reference;
};

TEST(LexParser, EditsAndTheirUndoReachTheParserThroughTheBuffer) {
    Fixture f({L"int a; /* one", L"two */ int b;", L"{ \"s\" }"});
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);
    const std::string original = DumpExact(*f.parser->GetCurrentSchema());
    EXPECT_NE(original.find("comment_block"), std::string::npos);

    // What the edit commands do: cancel, change, report the changed range.
    LineCol final;
    f.buffer->CancelParse();
    ASSERT_TRUE(f.buffer->InsertText(L"*/", 1, 8, true, &final));
    f.buffer->ParserTextChanged({1, 8}, final, BlockChain::kInserted);
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), f.Fresh());
    EXPECT_NE(DumpExact(*f.parser->GetCurrentSchema()), original);

    // Undo replays the command, which reports through the same seams.
    LineCol start, end;
    f.buffer->GetUndoManager().Undo(start, end, nullptr);
    EXPECT_EQ(FlatText(*f.buffer), L"int a; /* one\ntwo */ int b;\n{ \"s\" }");
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), original);
}

// Text written over characters replaces them, and so do undoing and redoing that: reparsed at
// once, each gives the blocks of a fresh parse. Reported as an insertion, the redo would move the
// keywords after it by the length of the text, onto other keywords as far apart, and keep them.
TEST(LexParser, AnOverwriteItsUndoAndRedoReparseAtOnce) {
    Fixture f({L"int a;", L"  long c; long d; long e; long f; long g; long h; long i;"});
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);
    f.buffer->SetOverwriteFlag(true);
    f.buffer->CancelParse();
    ASSERT_TRUE(f.buffer->InsertText(L"ABCDEFGH", 2, 3, true));
    f.buffer->ParserTextChanged({2, 3}, {2, 11}, BufferParser::kReplaced);
    f.buffer->SetOverwriteFlag(false);
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), f.Fresh());
    LineCol start, end;
    f.buffer->GetUndoManager().Undo(start, end, nullptr);
    EXPECT_EQ(f.buffer->GetLineText(2), L"  long c; long d; long e; long f; long g; long h; long i;");
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), f.Fresh());
    f.buffer->GetUndoManager().Redo(start, end, nullptr);
    EXPECT_EQ(f.buffer->GetLineText(2), L"  ABCDEFGHlong d; long e; long f; long g; long h; long i;");
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), f.Fresh());
}

TEST(LexParser, WithoutSchemaNothingIsParsed) {
    ParserPtr parser = pw::MakeRef<LexParser>();
    EXPECT_FALSE(parser->SetTextSchema(nullptr));
    EXPECT_FALSE(parser->GetCurrentSchema());
    Buffer buffer = BufferWith({L"{}"}, L".cpp");
    EXPECT_EQ(parser->ParseAll(*buffer, false), TextSchema::kFailed);
    parser->CancelParse();
    parser->TextChanged({1, 0}, {1, 1}, BlockChain::kInserted, *buffer);
    parser->RequestParse(*buffer, LineCol{1, 0}, std::nullopt, true);
    EXPECT_FALSE(parser->IsWorkerRunning());
    EXPECT_TRUE(parser->WaitUntilParsed(0));
    std::vector<LexParser::TokenList> lists(1);
    parser->GetTokenLists(lists, false);
    EXPECT_TRUE(lists.empty());
    // A schema set and then taken away leaves nothing behind.
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    ASSERT_TRUE(parser->SetTextSchema(schema.get()));
    EXPECT_NE(parser->GetCurrentSchema(), schema);
    EXPECT_EQ(parser->ParseAll(*buffer, false), TextSchema::kDone);
    EXPECT_FALSE(parser->SetTextSchema(nullptr));
    EXPECT_FALSE(parser->GetCurrentSchema());
}

TEST(LexParser, OptionsComeFromTheFileClassWithDefaultsAndAreCachedPerSchema) {
    ParserPtr parser = pw::MakeRef<LexParser>();
    auto expectDefaults = [](const ParserOptions& o) {
        EXPECT_TRUE(o.firstParseInThread && o.editReparseInThread && o.configChangedReparseInThread);
        EXPECT_EQ(o.backParseOffset, 100);
        EXPECT_EQ(o.editReparseDelayMs, 500u);
        EXPECT_EQ(o.onScreenCacheLifeTimeSec, 180);
        EXPECT_EQ(o.idleLifeTimeMs, 60000u);
    };
    expectDefaults(*parser->GetOptions(L".cpp"));  // no schema

    auto schemaWith = [](std::initializer_list<std::wstring_view> globals) {
        std::wstring text = L"lexClass:\n\tname = top\n\tparent:file = <*.t|*.u>\n";
        for (std::wstring_view line : globals) text += L"\t" + std::wstring(line) + L"\n";
        return SchemaFromText(text + L"//:lexClass\n");
    };
    SchemaPtr tuned =
        schemaWith({L"global:FirstParseInSeparateThread = 0", L"global:EditReparceInSeparateThread = 0",
                    L"global:ConfigChangedReparceInSeparateThread = 0", L"global:MaxBackParseOffset = 7",
                    L"global:EditReparceTimeout_ms = 25", L"global:OnScreenSchCacheLifeTime_sec = 9",
                    L"global:ParserThreadIdleLifeTime_sec = 2"});
    ASSERT_TRUE(parser->SetTextSchema(tuned.get()));
    pw::RefPtr<ParserOptions> o = parser->GetOptions(L"dir/name.T");
    EXPECT_FALSE(o->firstParseInThread || o->editReparseInThread || o->configChangedReparseInThread);
    EXPECT_EQ(o->backParseOffset, 7);
    EXPECT_EQ(o->editReparseDelayMs, 25u);
    EXPECT_EQ(o->onScreenCacheLifeTimeSec, 9);
    EXPECT_EQ(o->idleLifeTimeMs, 2000u);              // seconds in the schema
    EXPECT_EQ(parser->GetOptions(L"dir/name.T"), o);  // cached
    expectDefaults(*parser->GetOptions(L".x"));       // no file class claims it

    // 0 and -1 keep the worker for good; a new schema empties the cache.
    for (std::wstring_view idle : {L"0", L"-1"}) {
        SchemaPtr forever = schemaWith({L"global:ParserThreadIdleLifeTime_sec = " + std::wstring(idle)});
        ASSERT_TRUE(parser->SetTextSchema(forever.get()));
        EXPECT_EQ(parser->GetOptions(L"dir/name.T")->idleLifeTimeMs, pw::kInfinite);
        EXPECT_EQ(parser->GetOptions(L".u")->editReparseDelayMs, 500u);
    }
}

// Records the relayed events: code, the two values, and whether the flags post them.
class Recorder : public CQELNotificationSink {
public:
    explicit Recorder(CQELNotificationConnection* connection) {
        for (uint32_t code : {1u, 2u, 3u}) Advise(connection, code);
    }
    ~Recorder() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t lParam, uint32_t flags) override {
        log.append(std::to_string(code)).append(":").append(std::to_string(wParam));
        if (code == 2)
            log.append("-").append(std::to_string(lParam));
        log.append(flags == LexParser::kEventFlags ? " " : "?flags ");
        if (onEvent)
            onEvent(code);
    }
    std::string log;
    std::function<void(uint32_t)> onEvent;
};

TEST(LexParser, RelayPassesTheRowsOfEndedBlocks) {
    Fixture f({L"{ int", L"}"});
    Recorder recorder(f.parser->GetConnection());
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, true), TextSchema::kDone);
    // The keyword on row 1 at once; then the block over rows 1-2 and the file block up to the
    // row after the text, merged into one range sent before the parse's end.
    EXPECT_EQ(recorder.log, "1:0 2:1-1 2:1-3 3:512 ");
    recorder.log.clear();
    // The reparse after an edit reports nothing.
    f.buffer->InsertText(L"x", 1, 1, false);
    f.buffer->ParserTextChanged({1, 1}, {1, 2}, BlockChain::kInserted);
    EXPECT_EQ(recorder.log, "");
}

TEST(LexParser, ALargeParseRelaysFarFewerEventsThanItEndsBlocksAndTheirRangesCoverTheText) {
    Rows rows;
    for (int i = 0; i < 3000; ++i) rows.push_back(L"{ int a = \"s\"; } // c");
    Fixture f(rows);
    struct Ranges : CQELNotificationSink {
        explicit Ranges(CQELNotificationConnection* c) { Advise(c, TextSchema::kBlockEndedEvent); }
        ~Ranges() override { UnadviseAll(); }
        void OnEvent(uint32_t, uintptr_t first, intptr_t last, uint32_t) override {
            got.emplace_back(static_cast<int>(first), static_cast<int>(last));
        }
        std::vector<std::pair<int, int>> got;
    } relayed(f.parser->GetConnection());
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, true), TextSchema::kDone);
    ASSERT_FALSE(relayed.got.empty());
    EXPECT_LT(relayed.got.size(), rows.size() / 10);  // each row ends at least four blocks
    // Every row is in a range that was sent, the file block's last one included.
    std::vector<bool> covered(rows.size() + 2);
    for (auto [first, last] : relayed.got)
        for (int row = first; row <= last; ++row) covered[static_cast<size_t>(row)] = true;
    EXPECT_EQ(std::count(covered.begin() + 1, covered.end(), false), 0);
}

TEST(LexParser, TokenListsComeFromClassesWithTokenTags) {
    Fixture f({L""});
    std::vector<LexParser::TokenList> lists(2);
    f.parser->GetTokenLists(lists, true);
    ASSERT_EQ(lists.size(), 3u);  // appended after the two there were
    const LexParser::TokenList& keywords = lists[2];
    EXPECT_NE(std::find(keywords.tags.begin(), keywords.tags.end(), L"constexpr"), keywords.tags.end());
    EXPECT_NE(std::find(keywords.startSeparators.begin(), keywords.startSeparators.end(), L"("),
              keywords.startSeparators.end());
    EXPECT_NE(std::find(keywords.endSeparators.begin(), keywords.endSeparators.end(), L" "),
              keywords.endSeparators.end());
    f.parser->GetTokenLists(lists, false);
    EXPECT_EQ(lists.size(), 1u);
}

// A parse on another thread, stopped from this one at the first ended block, leaves a chain a
// resumed run completes to exactly what a whole parse gives.
TEST(LexParser, CancelStopsAParseOnAnotherThreadAndAResumeFinishesIt) {
    Rows rows;
    for (int i = 0; i < 400; ++i)
        rows.push_back(L"int f" + std::to_wstring(i) + L"() { return \"x\"; } // c");
    Fixture f(rows);
    Recorder recorder(f.parser->GetConnection());
    std::atomic<bool> running{false};
    TextSchema& schema = *f.parser->GetCurrentSchema();
    recorder.onEvent = [&](uint32_t code) {
        if (code != TextSchema::kBlockEndedEvent || running.exchange(true))
            return;
        // Hold the parse here until this thread is asked to stop.
        while (!schema.StopEvent().IsSet()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    int32_t result = 0;
    std::thread worker([&] { result = f.parser->ParseAll(*f.buffer, true); });
    while (!running) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    f.parser->CancelParse();
    worker.join();
    EXPECT_EQ(result & TextSchema::kEndMask, TextSchema::kStopped);
    EXPECT_FALSE(schema.StopEvent().IsSet());
    const std::string partial = DumpExact(schema);
    EXPECT_EQ(partial.find('!'), std::string::npos) << partial;
    EXPECT_LT(partial.size(), f.Fresh().size());

    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(f.buffer.get());
    EXPECT_EQ(schema.Run(ClassSet::kCompleteParseTree, it.get(), std::nullopt, std::nullopt, false),
              TextSchema::kDone);
    EXPECT_EQ(DumpExact(schema), f.Fresh());
}

}  // namespace
