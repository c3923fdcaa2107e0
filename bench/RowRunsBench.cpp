// Row runs for one screen of 60 rows in the middle of a large C++ text, parsed with the shipped
// configuration's schema: painting the screen again with the cursor the last paint left, and
// a first paint with no cursor, whose first row walks the chain from its head.
//
// The texts come from /work/shared/bench/make-corpus.sh DIR; set PW_CORPUS_DIR=DIR.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/TextIterator.h"
#include "config/ConfigManager.h"
#include "parser/TextSchema.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kScreenRows = 60;

struct Parsed {
    pw::RefPtr<CQELPenwrightBufferManager> buffer;
    pw::RefPtr<TextSchema> schema;
};

// "cpp1m" or "cpp10m", loaded and parsed once.
const Parsed* Load(const std::string& name, benchmark::State& state) {
    static std::map<std::string, Parsed> loaded;
    if (auto it = loaded.find(name); it != loaded.end())
        return &it->second;
    const char* dir = std::getenv("PW_CORPUS_DIR");
    std::optional<std::string> bytes =
        dir ? pw::ReadFileBytes(pw::Widen(std::string(dir) + "/" + name + ".cpp")) : std::nullopt;
    if (!bytes) {
        state.SkipWithError("set PW_CORPUS_DIR to a folder made by make-corpus.sh");
        return nullptr;
    }
    // bench/ lies beside config/.
    const std::filesystem::path ini = std::filesystem::path(__FILE__).parent_path().parent_path() / "config" /
                                      "EditConfig" / "Penwright.ini";
    pw::RefPtr<ConfigManager> config = pw::MakeRef<ConfigManager>();
    config->SetConfigFile(pw::Widen(ini.string()));
    pw::RefPtr<TextSchema> shipped = config->GetSchemaForFile(L".cpp");
    config->Close();
    if (!shipped || !shipped->EnsureTrees()) {
        state.SkipWithError("the shipped configuration has no C++ schema");
        return nullptr;
    }
    Parsed parsed{pw::MakeRef<CQELPenwrightBufferManager>(), shipped->Clone()};
    parsed.buffer->SetFileExt(L".cpp");
    parsed.buffer->InsertText(pw::Widen(*bytes), 1, 1, false);
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(parsed.buffer.get());
    parsed.schema->Run(ClassSet::kCompleteParseTree, it.get(), LineCol{1, 0}, std::nullopt, false);
    return &loaded.emplace(name, std::move(parsed)).first->second;
}

void PaintScreen(const Parsed& p, int top, pw::RefPtr<TextBlock>* cursor, std::vector<RowRun>& runs,
                 size_t& count) {
    LexTextAttributes defaults;
    for (int row = top; row < top + kScreenRows; ++row) {
        p.schema->GetRowRuns(*p.buffer, row, 0, 0, defaults, nullptr, cursor, runs);
        count += runs.size();
    }
}

// Repaints of the screen in the middle of the text, each with the cursor the previous left.
void BM_ScreenRepaint(benchmark::State& state, const std::string& name) {
    const Parsed* p = Load(name, state);
    if (!p)
        return;
    const int top = p->buffer->GetRowCount() / 2;
    pw::RefPtr<TextBlock> cursor;
    std::vector<RowRun> runs;
    size_t count = 0;
    PaintScreen(*p, top, &cursor, runs, count);
    for (auto _ : state) PaintScreen(*p, top, &cursor, runs, count);
    state.counters["runs/screen"] = static_cast<double>(count) / static_cast<double>(state.iterations() + 1);
}

// The first paint of that screen: no cursor yet.
void BM_ScreenFirstPaint(benchmark::State& state, const std::string& name) {
    const Parsed* p = Load(name, state);
    if (!p)
        return;
    const int top = p->buffer->GetRowCount() / 2;
    std::vector<RowRun> runs;
    size_t count = 0;
    for (auto _ : state) {
        pw::RefPtr<TextBlock> cursor;
        PaintScreen(*p, top, &cursor, runs, count);
    }
}

BENCHMARK_CAPTURE(BM_ScreenRepaint, cpp1m, std::string("cpp1m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScreenRepaint, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScreenFirstPaint, cpp1m, std::string("cpp1m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ScreenFirstPaint, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
