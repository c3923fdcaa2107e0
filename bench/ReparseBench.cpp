// How the reparse after an edit grows with the text: one character typed in the middle of the
// 1, 10 and 100 MB C++ texts, and "/*" opened and closed again near their top. The reparse of a
// typed character should cost the same at every size.
//
// The texts come from /work/shared/bench/make-corpus.sh DIR; set PW_CORPUS_DIR=DIR. Without it
// every benchmark is skipped with a message.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "buffer/BufferManager.h"
#include "buffer/TextIterator.h"
#include "lexer/LexClassDef.h"
#include "lexer/SchemaReader.h"
#include "parser/TextSchema.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;
using SchemaPtr = pw::RefPtr<TextSchema>;

const char* const kTexts[] = {"cpp1m", "cpp10m", "cpp100m"};

// The text parsed whole with the shipped C++ schema, made once per size and shared.
struct Parsed {
    Buffer buffer;
    SchemaPtr schema;
};

SchemaPtr CppSchema() {
    const std::filesystem::path file = std::filesystem::path(__FILE__).parent_path().parent_path() /
                                       "config" / "EditConfig" / "Schemas" / "cpp.pws";
    SchemaReader reader;
    reader.ReadSchemaFile(pw::Widen(file.string()), false);
    SchemaPtr schema = pw::MakeRef<TextSchema>(L"cpp.pws");
    for (const LexClassDef& def : reader.GetDefinitions()) {
        pw::RefPtr<LexClass> cls = ClassSet::CreateClass(false);
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes) cls->ApplyAttribute(attr);
        schema->GetClassSet().AddTemplate(cls);
    }
    return schema->EnsureTrees() ? schema : nullptr;
}

int32_t Reparse(TextSchema& schema, CQELPenwrightBufferManager& buffer, std::optional<LineCol> start,
                std::optional<LineCol> end) {
    pw::RefPtr<TextIterator> it = pw::MakeRef<TextIterator>(&buffer);
    return schema.Run(ClassSet::kCompleteParseTree, it.get(), start, end, false);
}

const Parsed* Load(int text, benchmark::State& state) {
    static std::map<int, Parsed> loaded;
    if (auto it = loaded.find(text); it != loaded.end())
        return &it->second;
    const char* dir = std::getenv("PW_CORPUS_DIR");
    if (!dir) {
        state.SkipWithError("PW_CORPUS_DIR is not set: make the texts with make-corpus.sh DIR");
        return nullptr;
    }
    const std::string name = kTexts[text];
    std::optional<std::string> bytes = pw::ReadFileBytes(pw::Widen(std::string(dir) + "/" + name + ".cpp"));
    SchemaPtr schema = CppSchema();
    if (!bytes || !schema) {
        state.SkipWithError(("no " + name + ".cpp in PW_CORPUS_DIR, or no C++ schema").c_str());
        return nullptr;
    }
    Parsed parsed{pw::MakeRef<CQELPenwrightBufferManager>(), schema};
    parsed.buffer->SetFileExt(L".cpp");
    parsed.buffer->InsertText(pw::Widen(*bytes), 1, 1, false);
    if (!(Reparse(*schema, *parsed.buffer, LineCol{1, 0}, std::nullopt) & TextSchema::kDone)) {
        state.SkipWithError("the full parse did not reach the end of the text");
        return nullptr;
    }
    return &loaded.emplace(text, std::move(parsed)).first->second;
}

// Follows an edit as the parser does: positions, then the reparse of the edited range. Buffer
// columns are 1-based, the parser's 0-based.
int32_t Insert(const Parsed& p, LineCol at, const std::wstring& text) {
    LineCol final = at;
    p.buffer->InsertText(text, at.row, at.col, false, &final);
    const LineCol s{at.row, at.col - 1}, e{final.row, final.col - 1};
    p.schema->GetChain().UpdatePositions(s, e, BlockChain::kInserted);
    return Reparse(*p.schema, *p.buffer, s, e);
}

int32_t Delete(const Parsed& p, LineCol from, LineCol to) {
    p.buffer->DeleteText(from.row, from.col, to.row, to.col, false);
    const LineCol s{from.row, from.col - 1}, e{to.row, to.col - 1};
    p.schema->GetChain().UpdatePositions(s, e, BlockChain::kDeleted);
    return Reparse(*p.schema, *p.buffer, s, e);
}

LineCol InTheMiddle(const CQELPenwrightBufferManager& buffer) {
    const int row = buffer.GetRowCount() / 2;
    return {row, buffer.GetLineTextLength(row) / 2 + 1};
}

// One character typed in the middle of the middle row; taking it out again is not timed.
void TypeInTheMiddle(benchmark::State& state) {
    const Parsed* p = Load(static_cast<int>(state.range(0)), state);
    if (!p)
        return;
    const LineCol at = InTheMiddle(*p->buffer);
    int32_t result = 0;
    for (auto _ : state) {
        result = Insert(*p, at, L"x");
        state.PauseTiming();
        Delete(*p, at, {at.row, at.col + 1});
        state.ResumeTiming();
    }
    state.counters["rows"] = p->buffer->GetRowCount();
    state.counters["done"] = (result & TextSchema::kDone) != 0;
    state.SetLabel(kTexts[state.range(0)]);
}
BENCHMARK(TypeInTheMiddle)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// A line break typed in the middle: every block after it moves down a row, so this one still
// grows with the text.
void BreakALineInTheMiddle(benchmark::State& state) {
    const Parsed* p = Load(static_cast<int>(state.range(0)), state);
    if (!p)
        return;
    const LineCol at = InTheMiddle(*p->buffer);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Insert(*p, at, L"\r\n"));
        state.PauseTiming();
        Delete(*p, at, {at.row + 1, 1});
        state.ResumeTiming();
    }
    state.SetLabel(kTexts[state.range(0)]);
}
BENCHMARK(BreakALineInTheMiddle)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

// "/*" typed on the first empty row after the first preprocessor row, turning the code after
// it into a comment, and taken out again: both reparses timed.
void OpenAndCloseACommentNearTheTop(benchmark::State& state) {
    const Parsed* p = Load(static_cast<int>(state.range(0)), state);
    if (!p)
        return;
    const CQELPenwrightBufferManager& buffer = *p->buffer;
    int row = 1;
    while (row < buffer.GetRowCount() && buffer.GetLineText(row).rfind(L"#", 0) != 0) ++row;
    while (row < buffer.GetRowCount() && buffer.GetLineTextLength(row) != 0) ++row;
    const LineCol at{row, 1};
    for (auto _ : state) {
        benchmark::DoNotOptimize(Insert(*p, at, L"/*"));
        benchmark::DoNotOptimize(Delete(*p, at, {at.row, at.col + 2}));
    }
    state.counters["row"] = at.row;
    state.SetLabel(kTexts[state.range(0)]);
}
BENCHMARK(OpenAndCloseACommentNearTheTop)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
