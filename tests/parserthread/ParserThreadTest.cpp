// The parser's worker thread: edits racing background parses, the typing delay merging bursts
// of edits, cancelling and stopping a long parse, the worker ending when idle, and the parser
// released while its worker runs. Waits are on events with generous limits, never on timing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "PumpUntil.h"
#include "notify/NotificationSink.h"
#include "notify/NotificationSinkMT.h"
#include "parser/LexParser.h"
#include "parser/ParseTesting.h"
#include "platform/Event.h"
#include "platform/Time.h"

namespace {

using ParserPtr = pw::RefPtr<LexParser>;

constexpr uint32_t kLimitMs = 600000;  // only turns a lost wake-up into a failure

// The shipped C++ schema with these "global:" numbers on its file class.
SchemaPtr Cpp(std::initializer_list<std::pair<const wchar_t*, int32_t>> globals) {
    SchemaPtr schema = ShippedSchema(L"cpp.pws");
    pw::RefPtr<LexClass> fileClass = schema->FileClass(L".cpp");
    EXPECT_TRUE(fileClass);
    for (const auto& [key, value] : globals) fileClass->SetProperty(key, LexValue::MakeNumber(value));
    return schema;
}

// Ten rows of everything that makes blocks, `copies` times.
Rows Program(int copies) {
    Rows rows;
    for (int i = 0; i < copies; ++i) {
        const std::wstring n = std::to_wstring(i);
        for (const std::wstring& row : std::initializer_list<std::wstring>{
                 L"// unit " + n, L"int f" + n + L"(int a) {", L"    /* a comment",
                 L"       over two rows */", L"    const char* s = \"str \\\"q\\\"\";",
                 L"    if (a > 1) { return a * 2; }", L"    return 0;", L"}", L"#define M" + n + L"(x) x",
                 L""})
            rows.push_back(row);
    }
    return rows;
}

struct Fixture {
    Fixture(SchemaPtr schema, const Rows& rows)
        : buffer(BufferWith(rows, L".cpp")), parser(pw::MakeRef<LexParser>()) {
        EXPECT_TRUE(parser->SetTextSchema(schema.get()));
        buffer->SetParser(parser);
        reference = parser->GetCurrentSchema()->Clone();
    }
    ~Fixture() {
        if (buffer)
            buffer->Close();
    }

    std::string Fresh() {
        reference->ReleaseAllBlocks();
        EXPECT_EQ(FullParse(*reference, *buffer), TextSchema::kDone);
        return DumpExact(*reference);
    }
    std::string Current() { return DumpExact(*parser->GetCurrentSchema()); }

    // What an edit command does: cancel, change the rows, report the change.
    void Insert(const std::wstring& text, int row, int col) {
        buffer->CancelParse();
        LineCol final;
        ASSERT_TRUE(buffer->InsertText(text, row, col, false, &final));
        buffer->ParserTextChanged({row, col}, final, BlockChain::kInserted);
    }
    void Delete(int row1, int col1, int row2, int col2) {
        buffer->CancelParse();
        ASSERT_TRUE(buffer->DeleteText(row1, col1, row2, col2, false));
        buffer->ParserTextChanged({row1, col1}, {row2, col2}, BlockChain::kDeleted);
    }

    Buffer buffer;
    ParserPtr parser;
    SchemaPtr reference;
};

// Calls `onEvent` on the raising thread (the worker's) for each relayed event.
class Tap : public CQELNotificationSink {
public:
    Tap(CQELNotificationConnection* connection, std::function<void(uint32_t, uintptr_t)> onEvent)
        : onEvent_(std::move(onEvent)) {
        for (uint32_t code : {1u, 2u, 3u}) Advise(connection, code);
    }
    ~Tap() override { UnadviseAll(); }
    void OnEvent(uint32_t code, uintptr_t wParam, intptr_t, uint32_t) override { onEvent_(code, wParam); }

private:
    std::function<void(uint32_t, uintptr_t)> onEvent_;
};

// Holds the worker inside its parse, at the first ended block, until the stop event asks it to
// stop: whoever stops the parse then surely meets one in progress.
struct ParseHolder {
    explicit ParseHolder(Fixture& f)
        : schema(*f.parser->GetCurrentSchema()),
          tap(f.parser->GetConnection(), [this](uint32_t code, uintptr_t value) {
              if (code == TextSchema::kParseFinished)
                  results.push_back(static_cast<int32_t>(value));
              if (code != TextSchema::kBlockEndedEvent || held.exchange(true))
                  return;
              inside.Set();
              while (!schema.StopEvent().IsSet()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }) {}

    TextSchema& schema;
    std::atomic<bool> held{false};
    pw::Event inside{pw::Event::Reset::Manual};
    std::vector<int32_t> results;  // written by the worker, read once it has drained
    Tap tap;
};

TEST(ParserThread, EditsRacingTheWorkerEndAsAWholeParseOnceItHasDrained) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 1}}), Program(10000));
    ASSERT_EQ(f.buffer->GetRowCount(), 100000);
    std::mt19937 rng(11);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const std::wstring fragments[] = {L"/*", L"*/", L"\"", L"{", L"}", L"//", L"\r\n", L"x", L" ", L"#"};
    int row = 1;
    auto edit = [&] {
        // Half the edits near the last one, as typing goes; the rest anywhere.
        row = pick(0, 1) ? std::clamp(row + pick(-4, 4), 1, f.buffer->GetRowCount())
                         : pick(1, f.buffer->GetRowCount());
        const int length = f.buffer->GetLineTextLength(row);
        const int col = pick(1, length + 1);
        if (pick(0, 2) || (col > length && row == f.buffer->GetRowCount())) {
            f.Insert(fragments[pick(0, 9)], row, col);
        } else if (row < f.buffer->GetRowCount() && pick(0, 3) == 0) {
            f.Delete(row, col, row + 1, pick(1, f.buffer->GetLineTextLength(row + 1) + 1));
        } else if (col <= length) {
            f.Delete(row, col, row, std::min(length + 1, col + pick(1, 3)));
        } else {
            f.Delete(row, col, row + 1, 1);  // the line break
        }
        if (pick(0, 9) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pick(1, 5)));
    };

    // Edits while the first parse of the text runs, then while reparses of ranges run.
    f.parser->ParseWholeText(*f.buffer, LexParser::WholeParse::kTextLoaded);
    for (int i = 0; i < 20; ++i) edit();
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    for (int i = 0; i < 200; ++i) {
        edit();
        if (i % 50 == 0)  // now and then a request that skips the typing delay
            f.parser->RequestParse(*f.buffer, LineCol{row, 0}, LineCol{row, 1}, true);
    }
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    const std::string current = f.Current();
    EXPECT_EQ(current.find('!'), std::string::npos);
    EXPECT_TRUE(current == f.Fresh());  // not EXPECT_EQ: the dumps run to megabytes
}

// With a typing delay longer than the test, edits pile up; close ones merge into one range and
// the immediate request parses what is queued, the last-queued range first.
TEST(ParserThread, TypingDelayMergesBurstsOfEditsAndImmediateEndsTheWait) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 0x7FFFFFFF}}), Program(20));
    ASSERT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);

    // The events arrive on this thread through a thread-aware sink, as they reach the edit control.
    struct Run {
        int32_t result = 0;
        int firstEnded = 0;  // the row of the first block that ended
    };
    std::vector<Run> runs;
    const pw::ThreadId self = pw::CurrentThreadId();
    bool otherThread = false;
    CQELNotificationSinkMT sink;
    for (uint32_t code : {1u, 2u, 3u})
        sink.Advise(f.parser->GetConnection(), code, [&](uint32_t c, uintptr_t wParam, intptr_t) {
            otherThread |= pw::CurrentThreadId() != self;
            if (c == TextSchema::kParseStarted)
                runs.emplace_back();
            else if (c == TextSchema::kBlockEndedEvent && !runs.empty() && runs.back().firstEnded == 0)
                runs.back().firstEnded = static_cast<int>(wParam);
            else if (c == TextSchema::kParseFinished && !runs.empty())
                runs.back().result = static_cast<int32_t>(wParam);
        });

    for (int row : {21, 22, 24, 23, 25})  // within three rows of each other
        f.Insert(L"x", row, 1);
    f.Insert(L"/*", 61, 1);
    f.Insert(L"*/", 62, 1);
    f.Insert(L"{", 151, 1);
    EXPECT_FALSE(f.parser->WaitUntilParsed(0));
    f.parser->RequestParse(*f.buffer, LineCol{151, 0}, LineCol{151, 1}, true);  // inside the last range
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    ASSERT_TRUE(PumpUntil([&] { return runs.size() == 3 && runs.back().result != 0; }))
        << runs.size() << " runs, " << sink.LostEvents() << " events lost";
    EXPECT_FALSE(otherThread);
    EXPECT_GE(runs[0].firstEnded, 140);
    EXPECT_GE(runs[1].firstEnded, 50);
    EXPECT_LT(runs[1].firstEnded, 140);
    EXPECT_LT(runs[2].firstEnded, 50);
    for (const Run& run : runs) EXPECT_TRUE(run.result & TextSchema::kDone);
    EXPECT_EQ(f.Current(), f.Fresh());
}

TEST(ParserThread, CancelStopsALongParseAndTheWorkerWaitsForTheChange) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 1}}), Program(300));
    ParseHolder holder(f);
    f.parser->RequestParse(*f.buffer, EditRange::kTextStart, std::nullopt, true);
    ASSERT_TRUE(holder.inside.Wait(kLimitMs));
    f.buffer->CancelParse();
    // Stopped, and no other parse starts: the rows may change now.
    {
        pw::TimedLock idle(holder.schema.ParseLock(), 0);
        EXPECT_TRUE(idle.Owns());
    }
    EXPECT_FALSE(holder.schema.StopEvent().IsSet());
    ASSERT_TRUE(f.buffer->InsertText(L"/*", 5, 1, false));
    EXPECT_EQ(f.Current().find('!'), std::string::npos);
    EXPECT_FALSE(f.parser->WaitUntilParsed(0));
    f.buffer->ParserTextChanged({5, 1}, {5, 3}, BlockChain::kInserted);
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    ASSERT_FALSE(holder.results.empty());
    EXPECT_EQ(holder.results.front() & TextSchema::kEndMask, TextSchema::kStopped);
    EXPECT_TRUE(f.Current() == f.Fresh());
}

TEST(ParserThread, StopAndRestartTheWorkerWithItsPriority) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 1}}), Program(300));
    f.parser->SetWorkerPriority(pw::ThreadPriority::BelowNormal);
    ParseHolder holder(f);
    f.parser->ParseWholeText(*f.buffer, LexParser::WholeParse::kConfigChanged);
    ASSERT_TRUE(holder.inside.Wait(kLimitMs));
    EXPECT_TRUE(f.parser->IsWorkerRunning());
    EXPECT_EQ(f.parser->GetWorkerPriority(), pw::ThreadPriority::BelowNormal);
    f.parser->SetWorkerPriority(pw::ThreadPriority::Lowest);
    EXPECT_EQ(f.parser->GetWorkerPriority(), pw::ThreadPriority::Lowest);

    f.parser->StopWorker();  // in the middle of the parse
    EXPECT_FALSE(f.parser->IsWorkerRunning());
    EXPECT_TRUE(f.parser->WaitUntilParsed(0));  // what was queued is gone
    EXPECT_EQ(f.parser->GetWorkerPriority(), pw::ThreadPriority::Lowest);
    EXPECT_EQ(f.Current().find('!'), std::string::npos);

    // A new request starts a new worker, which finishes the text.
    f.parser->RequestParse(*f.buffer, EditRange::kTextStart, std::nullopt, true);
    EXPECT_TRUE(f.parser->IsWorkerRunning());
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    EXPECT_TRUE(f.Current() == f.Fresh());
}

TEST(ParserThread, IdleLifeTimeEndsTheWorkerAndTheNextRequestStartsAnother) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 1}, {L"global:ParserThreadIdleLifeTime_sec", 1}}),
              Program(50));
    f.parser->ParseWholeText(*f.buffer, LexParser::WholeParse::kTextLoaded);
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    ASSERT_TRUE(PumpUntil([&] { return !f.parser->IsWorkerRunning(); }, kLimitMs));
    f.Insert(L"/*", 3, 1);
    EXPECT_TRUE(f.parser->IsWorkerRunning());
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    EXPECT_EQ(f.Current(), f.Fresh());
}

// Rows taken away without telling the parser leave blocks beyond the text: a reparse the
// worker is asked for there still ends as a whole parse of the text as it is.
TEST(ParserThread, ARangeBeyondTheTextReparsesWhatIsThere) {
    Fixture f(Cpp({{L"global:EditReparceTimeout_ms", 1}}), Program(30));
    ASSERT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);
    ASSERT_TRUE(f.buffer->DeleteText(100, 1, 300, 1, false));
    f.parser->RequestParse(*f.buffer, LineCol{250, 0}, LineCol{250, 1}, true);
    ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
    EXPECT_EQ(f.Current(), f.Fresh());
}

TEST(ParserThread, ReleasingTheParserEndsItsWorkerWhateverItIsDoing) {
    for (int state = 0; state < 3; ++state) {
        Fixture f(Cpp({{L"global:EditReparceTimeout_ms", state == 1 ? 0x7FFFFFFF : 1}}), Program(300));
        ASSERT_EQ(f.parser->ParseAll(*f.buffer, false), TextSchema::kDone);
        std::optional<ParseHolder> holder;
        if (state == 0) {  // parsing
            holder.emplace(f);
            f.parser->RequestParse(*f.buffer, EditRange::kTextStart, std::nullopt, true);
            ASSERT_TRUE(holder->inside.Wait(kLimitMs));
        } else {  // waiting for typing to pause; waiting for work
            f.Insert(L"{", 10, 1);
            if (state == 2) {
                ASSERT_TRUE(f.parser->WaitUntilParsed(kLimitMs));
            }
        }
        EXPECT_TRUE(f.parser->IsWorkerRunning());
        f.buffer->Close();
        f.buffer.reset();
        EXPECT_EQ(f.parser->RefCount(), 1);
        f.parser.reset();  // the destructor stops and joins the worker
    }
}

}  // namespace
