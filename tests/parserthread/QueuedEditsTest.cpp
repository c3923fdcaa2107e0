// Edits that pile up while the worker waits for a pause in typing, parsed when it ends: the
// blocks then equal those of a fresh parse of the text, whatever the edits were. The languages
// and options are those we ship; edits are made as the edit control and the undo list make them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "notify/NotificationSink.h"
#include "parser/LexParser.h"
#include "parser/ParseTesting.h"
#include "platform/Event.h"

namespace {

constexpr uint32_t kLimitMs = 600000;  // only turns a lost wake-up into a failure

// Holds the worker's next parse at its n-th ended block until the stop event asks it to stop:
// the edit that comes next then surely stops a parse in progress, at a place the test chose.
class ParseHolder : public CQELNotificationSink {
public:
    explicit ParseHolder(LexParser& parser) : schema_(*parser.GetCurrentSchema()) {
        for (uint32_t code : {TextSchema::kParseStarted, TextSchema::kBlockEndedEvent})
            Advise(parser.GetConnection(), code);
    }
    ~ParseHolder() override { UnadviseAll(); }

    void HoldAt(int n) { holdAt_ = n; }
    pw::Event& Holding() { return holding_; }

private:
    // On the worker's thread.
    void OnEvent(uint32_t code, uintptr_t, intptr_t, uint32_t) override {
        if (code == TextSchema::kParseStarted) {
            ended_ = 0;
            return;
        }
        if (++ended_ != holdAt_)
            return;
        holdAt_ = 0;
        holding_.Set();
        while (!schema_.StopEvent().IsSet()) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }

    TextSchema& schema_;
    std::atomic<int> holdAt_{0};
    int ended_ = 0;
    pw::Event holding_{pw::Event::Reset::Auto};
};

struct Fixture {
    Fixture(const wchar_t* schemaFile, const Rows& rows, const std::wstring& ext)
        : buffer(BufferWith(rows, ext)), parser(pw::MakeRef<LexParser>()) {
        SchemaPtr schema = ShippedSchema(schemaFile);
        EXPECT_TRUE(parser->SetTextSchema(schema.get()));
        buffer->SetParser(parser);
        reference = parser->GetCurrentSchema()->Clone();
        holder.emplace(*parser);
        EXPECT_TRUE(parser->ParseAll(*buffer, false) & TextSchema::kDone);
    }
    ~Fixture() {
        holder.reset();
        buffer->Close();
    }

    std::string Fresh() {
        reference->ReleaseAllBlocks();
        EXPECT_TRUE(FullParse(*reference, *buffer) & TextSchema::kDone);
        return DumpExact(*reference);
    }
    // Has the worker parse now, held at its n-th ended block if it gets that far; returns once
    // it is held there or has parsed all there is.
    void ParseHeldAt(int n) {
        holder->HoldAt(n);
        parser->RequestParse(*buffer, lastEdit, lastEdit, true);
        while (!holder->Holding().Wait(1) && !parser->WaitUntilParsed(0)) {
        }
        holder->HoldAt(0);
    }
    // Ends the wait for a pause in typing and waits until the worker has parsed all there is.
    std::string Drained() {
        parser->RequestParse(*buffer, lastEdit, lastEdit, true);
        EXPECT_TRUE(parser->WaitUntilParsed(kLimitMs));
        return DumpExact(*parser->GetCurrentSchema());
    }

    // As the edit control edits: cancel, change the rows with an undo step, report the change.
    void Insert(const std::wstring& text, LineCol at) {
        lastEdit = ParserPos(at);
        buffer->CancelParse();
        LineCol final;
        buffer->InsertText(text, at.row, at.col, true, &final);
        buffer->ParserTextChanged(at, final, BufferParser::kInserted);
    }
    void Delete(LineCol a, LineCol b) {
        lastEdit = ParserPos(a);
        buffer->CancelParse();
        if (buffer->DeleteText(a.row, a.col, b.row, b.col, true))
            buffer->ParserTextChanged(a, b, BufferParser::kDeleted);
    }
    // Typed in overwrite mode, a character at a time: over a character of the row it replaces
    // it; past the row's end, and a line break anywhere, is added.
    void Overwrite(const std::wstring& chars, LineCol at) {
        lastEdit = ParserPos(at);
        buffer->SetOverwriteFlag(true);
        for (wchar_t c : chars) {
            buffer->CancelParse();
            const bool over = at.col <= buffer->GetLineTextLength(at.row) && c != L'\r' && c != L'\n';
            LineCol final;
            buffer->InsertText(std::wstring(1, c), at.row, at.col, true, &final);
            buffer->ParserTextChanged(at, final, over ? BufferParser::kReplaced : BufferParser::kInserted);
            at = final;
        }
        buffer->SetOverwriteFlag(false);
    }
    void Undo() {
        LineCol e;
        if (buffer->GetUndoManager().Undo(lastEdit, e, nullptr))
            lastEdit = ParserPos(lastEdit);
    }
    void Redo() {
        LineCol e;
        if (buffer->GetUndoManager().Redo(lastEdit, e, nullptr))
            lastEdit = ParserPos(lastEdit);
    }

    static LineCol ParserPos(LineCol p) { return {p.row, std::max(p.col - 1, 0)}; }

    Buffer buffer;
    pw::RefPtr<LexParser> parser;
    SchemaPtr reference;
    std::optional<ParseHolder> holder;
    LineCol lastEdit{1, 0};  // where the last edit began, in parser positions
};

// The two edits that first showed the fault, each pair made before the worker parses.
TEST(QueuedEdits, EditsAtTheStartOfTheText) {
    {
        Fixture f(L"cpp.pws", {L"int a;", L"int b;"}, L".cpp");
        f.Delete({1, 1}, {2, 1});
        f.Insert(L"// new line\r\n/* more */ x", {1, 1});
        EXPECT_EQ(f.Drained(), f.Fresh());
    }
    {
        Fixture f(L"cpp.pws", {L"int a;", L"int b;"}, L".cpp");
        f.Delete({1, 1}, {1, 2});
        f.Insert(L"x", {1, 1});
        EXPECT_EQ(f.Drained(), f.Fresh());
    }
}

// Redoing an overwrite replaces characters; the row keeps its length and so do the blocks.
TEST(QueuedEdits, RedoOfAnOverwriteLeavesNoPhantomBlocks) {
    Fixture f(L"vb.pws", {L"\"", L"      Dim total As Long"}, L".vb");
    f.Overwrite(L"abc", {2, 1});
    EXPECT_EQ(f.Drained(), f.Fresh());
    f.Undo();
    f.Undo();
    f.Undo();
    EXPECT_EQ(f.Drained(), f.Fresh());
    f.Redo();
    f.Redo();
    f.Redo();
    EXPECT_EQ(f.Drained(), f.Fresh());
}

// A reparse stopped by the next edit keeps none of the old blocks after the ones it made. Here
// the reparse of the brace is stopped at its first block, and the edit that stops it is parsed
// first: the text after the stopped reparse must still be parsed again.
TEST(QueuedEdits, AStoppedReparseIsResumed) {
    Fixture f(L"cpp.pws", SampleRows(kLanguageSamples[0]), L".cpp");
    f.Insert(L"{", {14, 5});
    f.ParseHeldAt(1);
    f.Insert(L"y", {1, 1});
    EXPECT_EQ(f.Drained(), f.Fresh());
}

// Random edits in bursts: each burst made before the worker runs (now and then with the
// worker started in the middle of it, so that the next edit stops its parse), then parsed and
// compared with a fresh parse of the text.
class RandomBursts : public ::testing::TestWithParam<LanguageSample> {
protected:
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // Somewhere in the text, now and then at its very start or end.
    LineCol AnyPosition() {
        const int rows = std::max(f_->buffer->GetRowCount(), 1);
        const int kind = Pick(0, 9);
        const int row = kind == 0 ? 1 : kind == 1 ? rows : Pick(1, rows);
        const int length = f_->buffer->GetLineTextLength(row);
        return {row, kind == 0 ? 1 : kind == 1 ? length + 1 : Pick(1, length + 1)};
    }
    // A position at or after `a`: on its row, a row or two on, or anywhere up to the text's end.
    LineCol Later(LineCol a) {
        const int rows = std::max(f_->buffer->GetRowCount(), 1);
        const int kind = Pick(0, 9);
        LineCol b = a;
        if (kind < 6) {
            b.col = std::min(f_->buffer->GetLineTextLength(a.row) + 1, a.col + Pick(1, 4));
            return b;
        }
        b.row = kind < 9 ? std::min(rows, a.row + Pick(1, 2)) : Pick(a.row, rows);
        b.col = Pick(b.row == a.row ? a.col : 1, f_->buffer->GetLineTextLength(b.row) + 1);
        if (kind == 9 && Pick(0, 1))
            b.col = f_->buffer->GetLineTextLength(b.row) + 1;
        return b;
    }
    const std::wstring& Fragment() { return fragments_[Pick(0, static_cast<int>(fragments_.size()) - 1)]; }

    void Edit() {
        std::ostringstream log;
        const int kind = Pick(0, 99);
        if (kind < 35) {
            const LineCol at = AnyPosition();
            const std::wstring& text = Fragment();
            log << "insert \"" << pw::Narrow(text) << "\" at " << at.row << ":" << at.col;
            f_->Insert(text, at);
        } else if (kind < 60) {
            const LineCol a = AnyPosition(), b = Later(a);
            log << "delete " << a.row << ":" << a.col << " - " << b.row << ":" << b.col;
            f_->Delete(a, b);
        } else if (kind < 75) {
            const LineCol at = AnyPosition();
            const std::wstring& text = Fragment();
            log << "overwrite \"" << pw::Narrow(text) << "\" at " << at.row << ":" << at.col;
            f_->Overwrite(text, at);
        } else if (kind < 90) {
            log << "undo";
            f_->Undo();
        } else {
            log << "redo";
            f_->Redo();
        }
        history_.push_back(log.str());
    }

    std::string Report() const {
        std::string text;
        for (int r = 1; r <= f_->buffer->GetRowCount(); ++r)
            text += pw::Narrow(f_->buffer->GetLineText(r)) + "\n";
        std::string last;
        for (size_t k = history_.size() > 12 ? history_.size() - 12 : 0; k < history_.size(); ++k)
            last += history_[k] + "\n";
        return "last edits:\n" + last + "text:\n" + text;
    }

    void Check(int copies, int holdPercent);

    std::mt19937 rng_;
    std::optional<Fixture> f_;
    std::vector<std::wstring> fragments_;
    std::vector<std::string> history_;
};

// `copies` of the language's sample; after each edit, `holdPercent` of the time, the worker
// parses at once and is held in its parse for the next edit to stop it.
void RandomBursts::Check(int copies, int holdPercent) {
    const LanguageSample& lang = GetParam();
    fragments_ = lang.fragments;
    fragments_.insert(fragments_.end(), kCommonFragments.begin(), kCommonFragments.end());
    const Rows sample = SampleRows(lang);
    ASSERT_FALSE(sample.empty());
    Rows rows;
    for (int i = 0; i < copies; ++i) rows.insert(rows.end(), sample.begin(), sample.end());
    constexpr int kBurstsPerText = 30;    // then the text starts again from the sample
    const int bursts = RandomCases(100);  // per language
    for (int burst = 0; burst < bursts; ++burst) {
        if (burst % kBurstsPerText == 0) {
            rng_.seed(static_cast<unsigned>(burst / kBurstsPerText + 1));
            f_.reset();
            f_.emplace(lang.schema, rows, lang.ext);
            history_.clear();
        }
        for (int edits = Pick(1, 6); edits > 0; --edits) {
            Edit();
            if (Pick(1, 100) <= holdPercent) {
                const int n = Pick(1, 40);
                history_.push_back("-- parse held at ended block " + std::to_string(n));
                f_->ParseHeldAt(n);
            }
        }
        history_.push_back("-- parsed");
        const std::string drained = f_->Drained();
        const std::string fresh = f_->Fresh();
        ASSERT_TRUE(drained == fresh) << "burst " << burst << "\n"
                                      << Report() << "incremental:\n"
                                      << drained << "fresh:\n"
                                      << fresh;
    }
}

TEST_P(RandomBursts, EditsQueuedWhileTheWorkerWaits) {
    Check(1, 0);
}

TEST_P(RandomBursts, EditsStoppingTheWorkersParse) {
    Check(4, 30);
}

INSTANTIATE_TEST_SUITE_P(Languages, RandomBursts, ::testing::ValuesIn(kLanguageSamples),
                         [](const ::testing::TestParamInfo<LanguageSample>& info) {
                             return std::string(info.param.folder);
                         });

}  // namespace
