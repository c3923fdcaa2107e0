// Speed and memory of the parse with the shipped C++ schema on real library headers: full
// parses of 1, 10 and 100 MB (and of one row of 1 MB, made here), the reparse after typing one
// character or a line break in the middle of 100,000 rows, 1, 10 and 100 MB, the reparse after
// opening a block comment near the top and after closing it again, and the memory the block tree
// takes per megabyte of text.
//
// The texts come from /work/shared/bench/make-corpus.sh DIR; set PW_CORPUS_DIR=DIR. Without it
// every benchmark is skipped with a message. Run the memory benchmark on its own
// (--benchmark_filter=BlockTreeMemory) so that memory freed by earlier benchmarks does not hide
// the growth it measures.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "../tests/parser/ParseSetup.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;

// The shipped C++ schema, its trees built, as the configuration prepares it; null when the
// configuration cannot be read. bench/ lies beside config/.
SchemaPtr CppSchema() {
    const std::filesystem::path file = std::filesystem::path(__FILE__).parent_path().parent_path() /
                                       "config" / "EditConfig" / "Schemas" / "cpp.pws";
    SchemaPtr schema = ReadSchema(pw::Widen(file.string()), L"cpp.pws");
    return schema->EnsureTrees() ? schema : nullptr;
}

struct Corpus {
    Buffer buffer;
    int64_t bytes = 0;  // of the file the text came from
};

// "cpp1m", "cpp10m", "cpp100m" or "rows100k" (the first 100,000 rows of the 10 MB text), loaded once and
// shared by the benchmarks, which leave the text as they found it.
const Corpus* LoadCorpus(const std::string& name, benchmark::State& state) {
    static std::map<std::string, Corpus> loaded;
    if (auto it = loaded.find(name); it != loaded.end())
        return &it->second;
    const char* dir = std::getenv("PW_CORPUS_DIR");
    if (!dir) {
        state.SkipWithError("PW_CORPUS_DIR is not set: make the texts with make-corpus.sh DIR");
        return nullptr;
    }
    const std::string file = name == "rows100k" ? "cpp10m" : name;
    std::optional<std::string> bytes = pw::ReadFileBytes(pw::Widen(std::string(dir) + "/" + file + ".cpp"));
    if (!bytes) {
        state.SkipWithError(("no " + file + ".cpp in PW_CORPUS_DIR").c_str());
        return nullptr;
    }
    Corpus corpus{BufferOf(pw::Widen(*bytes), L".cpp"), static_cast<int64_t>(bytes->size())};
    if (name == "rows100k") {
        const int rows = corpus.buffer->GetRowCount();
        corpus.buffer->DeleteText(100'000, corpus.buffer->GetLineTextLength(100'000) + 1, rows,
                                  corpus.buffer->GetLineTextLength(rows) + 1, false);
        corpus.bytes = 0;
        for (int r = 1; r <= corpus.buffer->GetRowCount(); ++r)
            corpus.bytes += static_cast<int64_t>(pw::Narrow(corpus.buffer->GetLineText(r)).size()) + 1;
    }
    return &loaded.emplace(name, std::move(corpus)).first->second;
}

// How far an edit is followed: the buffer alone, the block positions too, or also the reparse
// of the edited range as the parser thread does it. The first two tell the reparse's share.
enum class Follow { kBuffer, kPositions, kReparse };

int32_t FollowEdit(TextSchema& schema, CQELPenwrightBufferManager& buffer, LineCol start, LineCol end,
                   BufferParser::Change how, Follow follow) {
    if (follow == Follow::kBuffer)
        return TextSchema::kDone;
    schema.GetChain().UpdatePositions(start, end, how);
    if (follow == Follow::kPositions)
        return TextSchema::kDone;
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(&buffer);
    return schema.Run(ClassSet::kCompleteParseTree, it.get(), start, end, false);
}

// Buffer columns are 1-based, the parser's 0-based.
int32_t InsertAndReparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, LineCol at,
                         std::wstring_view text, Follow follow = Follow::kReparse) {
    LineCol final = at;
    buffer.InsertText(text, at.row, at.col, false, &final);
    return FollowEdit(schema, buffer, {at.row, at.col - 1}, {final.row, final.col - 1}, BlockChain::kInserted,
                      follow);
}

int32_t DeleteAndReparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, LineCol from, int count,
                         Follow follow = Follow::kReparse) {
    buffer.DeleteText(from.row, from.col, from.row, from.col + count, false);
    return FollowEdit(schema, buffer, {from.row, from.col - 1}, {from.row, from.col - 1 + count},
                      BlockChain::kDeleted, follow);
}

// Removes the line end after `at`'s row up to `at` again: the row break a typed line break made.
int32_t JoinAndReparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, LineCol at, Follow follow) {
    buffer.DeleteText(at.row, at.col, at.row + 1, 1, false);
    return FollowEdit(schema, buffer, {at.row, at.col - 1}, {at.row + 1, 0}, BlockChain::kDeleted, follow);
}

int64_t CountBlocks(const TextSchema& schema) {
    int64_t n = 0;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock) ++n;
    return n;
}

// A schema with the whole text parsed, or null after telling the state why.
SchemaPtr ParsedSchema(const Corpus& corpus, benchmark::State& state) {
    SchemaPtr schema = CppSchema();
    if (!schema) {
        state.SkipWithError("the shipped C++ schema cannot be read");
        return nullptr;
    }
    if ((FullParse(*schema, *corpus.buffer) & TextSchema::kDone) == 0) {
        state.SkipWithError("the full parse did not reach the end of the text");
        return nullptr;
    }
    return schema;
}

const char* const kTexts[] = {"cpp1m", "cpp10m", "rows100k", "cpp100m"};

void FullParseThroughput(benchmark::State& state) {
    const Corpus* corpus = LoadCorpus(kTexts[state.range(0)], state);
    if (!corpus)
        return;
    SchemaPtr schema = ParsedSchema(*corpus, state);
    if (!schema)
        return;
    for (auto _ : state) {
        state.PauseTiming();
        schema->ReleaseAllBlocks();
        state.ResumeTiming();
        benchmark::DoNotOptimize(FullParse(*schema, *corpus->buffer));
    }
    state.counters["blocks"] = static_cast<double>(CountBlocks(*schema));
    state.SetBytesProcessed(state.iterations() * corpus->bytes);
    state.SetLabel(kTexts[state.range(0)]);
}
BENCHMARK(FullParseThroughput)->Args({0})->Args({1})->Args({3})->Unit(benchmark::kMillisecond);

// One row of a megabyte of statements, strings, numbers and comments: no line end to rest at.
void FullParseOneRow(benchmark::State& state) {
    SchemaPtr schema = CppSchema();
    if (!schema) {
        state.SkipWithError("the shipped C++ schema cannot be read");
        return;
    }
    std::wstring row;
    while (row.size() < (1u << 20)) row += L"x = \"s\" + 1; /* c */ ";
    const Buffer buffer = BufferOf(row, L".cpp");
    for (auto _ : state) {
        state.PauseTiming();
        schema->ReleaseAllBlocks();
        state.ResumeTiming();
        benchmark::DoNotOptimize(FullParse(*schema, *buffer));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(row.size()));
}
BENCHMARK(FullParseOneRow)->Unit(benchmark::kMillisecond);

// One character (range(2) 0) or a line break (1) typed in the middle of the middle row; removing
// it again is not timed. range(1) is how far the edit is followed (Follow).
void ReparseAfterTypingInTheMiddle(benchmark::State& state) {
    const Corpus* corpus = LoadCorpus(kTexts[state.range(0)], state);
    if (!corpus)
        return;
    SchemaPtr schema = ParsedSchema(*corpus, state);
    if (!schema)
        return;
    CQELPenwrightBufferManager& buffer = *corpus->buffer;
    const int row = buffer.GetRowCount() / 2;
    const LineCol at{row, buffer.GetLineTextLength(row) / 2 + 1};
    const auto follow = static_cast<Follow>(state.range(1));
    const bool lineBreak = state.range(2) != 0;
    int32_t result = 0;
    for (auto _ : state) {
        result = InsertAndReparse(*schema, buffer, at, lineBreak ? L"\r\n" : L"x", follow);
        state.PauseTiming();
        if (lineBreak)
            JoinAndReparse(*schema, buffer, at, follow);
        else
            DeleteAndReparse(*schema, buffer, at, 1, follow);
        state.ResumeTiming();
    }
    state.counters["rows"] = buffer.GetRowCount();
    state.counters["done"] = (result & TextSchema::kDone) != 0;
    const char* const kFollow[] = {" buffer only", " buffer and positions", " reparse"};
    state.SetLabel(std::string(kTexts[state.range(0)]) + (lineBreak ? " line break" : " character") +
                   kFollow[state.range(1)]);
}
BENCHMARK(ReparseAfterTypingInTheMiddle)
    ->ArgsProduct({{2, 0, 1, 3}, {0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// The start of the first empty row after the first preprocessor row: between declarations,
// past the licence comments, so that "/*" there opens a comment over code.
LineCol NearTheTop(const CQELPenwrightBufferManager& buffer) {
    int row = 1;
    while (row < buffer.GetRowCount() && buffer.GetLineText(row).rfind(L"#", 0) != 0) ++row;
    while (row < buffer.GetRowCount() && buffer.GetLineTextLength(row) != 0) ++row;
    return {row, 1};
}

// range(1): 1 times opening the comment, 0 times closing it again (removing the "/*").
void ReparseAfterCommentNearTheTop(benchmark::State& state) {
    const Corpus* corpus = LoadCorpus(kTexts[state.range(0)], state);
    if (!corpus)
        return;
    SchemaPtr schema = ParsedSchema(*corpus, state);
    if (!schema)
        return;
    CQELPenwrightBufferManager& buffer = *corpus->buffer;
    const LineCol at = NearTheTop(buffer);
    const bool timeOpening = state.range(1) != 0;
    int32_t result = 0;
    for (auto _ : state) {
        if (timeOpening) {
            result = InsertAndReparse(*schema, buffer, at, L"/*");
            state.PauseTiming();
            DeleteAndReparse(*schema, buffer, at, 2);
            state.ResumeTiming();
        } else {
            state.PauseTiming();
            InsertAndReparse(*schema, buffer, at, L"/*");
            state.ResumeTiming();
            result = DeleteAndReparse(*schema, buffer, at, 2);
        }
    }
    state.counters["row"] = at.row;
    state.counters["done"] = (result & TextSchema::kDone) != 0;
    state.SetLabel(std::string(kTexts[state.range(0)]) + (timeOpening ? " open \"/*\"" : " remove \"/*\""));
}
BENCHMARK(ReparseAfterCommentNearTheTop)->ArgsProduct({{0, 1}, {1, 0}})->Unit(benchmark::kMillisecond);

// Resident memory of the process in bytes, from /proc; 0 where there is none.
int64_t ResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            int64_t kb = 0;
            status >> kb;
            return kb * 1024;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// The block tree of a fresh full parse: block count, the heap bytes they take (the object
// rounded up to the allocator's 16-byte chunks with its 8-byte header), and the growth of the
// resident memory across the parse; each per megabyte of text.
void BlockTreeMemory(benchmark::State& state) {
    const Corpus* corpus = LoadCorpus(kTexts[state.range(0)], state);
    if (!corpus)
        return;
    SchemaPtr schema = CppSchema();
    if (!schema) {
        state.SkipWithError("the shipped C++ schema cannot be read");
        return;
    }
    int64_t growth = 0;
    for (auto _ : state) {
        const int64_t before = ResidentBytes();
        benchmark::DoNotOptimize(FullParse(*schema, *corpus->buffer));
        growth = ResidentBytes() - before;
    }
    const double megabytes = static_cast<double>(corpus->bytes) / (1 << 20);
    const auto blocks = static_cast<double>(CountBlocks(*schema));
    const double blockBytes = static_cast<double>((sizeof(TextBlock) + 8 + 15) / 16 * 16);
    state.counters["blocks/MB"] = blocks / megabytes;
    state.counters["estKB/MB"] = blocks * blockBytes / 1024 / megabytes;
    state.counters["rssKB/MB"] = static_cast<double>(growth) / 1024 / megabytes;
    state.counters["sizeof"] = static_cast<double>(sizeof(TextBlock));
    state.SetLabel(kTexts[state.range(0)]);
}
BENCHMARK(BlockTreeMemory)->Args({0})->Args({1})->Args({3})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
