// The parser of a buffer: reparses through the buffer's seams, the relay of the schema's events,
// token lists, and a parse stopped from another thread that a later run finishes.
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

    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    Buffer buffer;
    ParserPtr parser;
    SchemaPtr reference;
};

TEST(LexParser, EditsAndTheirUndoReachTheParserThroughTheBuffer) {
    Fixture f({L"int a; /* one", L"two */ int b;", L"{ \"s\" }"});
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);
    const std::string original = DumpExact(*f.parser->GetCurrentSchema());
    EXPECT_NE(original.find("comment_block"), std::string::npos);

    // What the edit commands do: cancel, change, report the range with 0-based columns.
    LineCol final;
    f.buffer->CancelParse();
    ASSERT_TRUE(f.buffer->InsertText(L"*/", 1, 8, true, &final));
    f.buffer->ParserTextChanged({1, 7}, {final.row, final.col - 1}, BlockChain::kInserted);
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), f.Fresh());
    EXPECT_NE(DumpExact(*f.parser->GetCurrentSchema()), original);

    // Undo replays the command, which reports through the same seams.
    LineCol start, end;
    f.buffer->GetUndoManager().Undo(start, end, nullptr);
    EXPECT_EQ(FlatText(*f.buffer), L"int a; /* one\ntwo */ int b;\n{ \"s\" }");
    EXPECT_EQ(DumpExact(*f.parser->GetCurrentSchema()), original);
}

TEST(LexParser, WithoutSchemaNothingIsParsed) {
    ParserPtr parser = pw::MakeRef<LexParser>();
    EXPECT_FALSE(parser->SetTextSchema(nullptr));
    EXPECT_FALSE(parser->GetCurrentSchema());
    Buffer buffer = BufferWith({L"{}"}, L".cpp");
    EXPECT_EQ(parser->ParseAll(*buffer, false), TextSchema::kFailed);
    parser->TextChanged({1, 0}, {1, 1}, BlockChain::kInserted, *buffer);
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

// Records the relayed events; the ended blocks by class name.
class Recorder : public CQELNotificationSink {
public:
    explicit Recorder(CQELNotificationConnection* connection) {
        for (uint32_t code : {1u, 2u, 3u}) Advise(connection, code);
    }
    ~Recorder() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t, uint32_t) override {
        if (code == TextSchema::kBlockEndedEvent)
            log += pw::Narrow(reinterpret_cast<TextBlock*>(wParam)->lexClass->GetName()) + " ";
        else
            log += std::to_string(code) + ":" + std::to_string(wParam) + " ";
        if (onEvent)
            onEvent(code);
    }
    std::string log;
    std::function<void(uint32_t)> onEvent;
};

TEST(LexParser, RelayPassesEndedBlocksThemselves) {
    Fixture f({L"{ int }"});
    Recorder recorder(f.parser->GetConnection());
    EXPECT_EQ(f.parser->ParseAll(*f.buffer, true), TextSchema::kDone);
    EXPECT_EQ(recorder.log, "1:0 keyword block cpp 3:512 ");
    recorder.log.clear();
    // The reparse after an edit reports nothing.
    f.buffer->InsertText(L"x", 1, 1, false);
    f.buffer->ParserTextChanged({1, 0}, {1, 1}, BlockChain::kInserted);
    EXPECT_EQ(recorder.log, "");
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
