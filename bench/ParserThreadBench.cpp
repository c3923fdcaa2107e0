// What one keystroke costs through the parser's worker, against the reparse at once on the
// editing thread: insert a character in the middle of 100,000 rows of C++ and remove it again,
// each edit cancelled, made, reported, and waited for until the worker has parsed it. The typing
// delay is 0, so the difference is the hand-over to the worker and back.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "../tests/parser/ParseSetup.h"
#include "parser/LexParser.h"
#include "platform/CodePage.h"

namespace {

// Ten rows of what makes blocks, ten thousand times.
std::wstring Program() {
    std::wstring text;
    for (int i = 0; i < 10000; ++i) {
        const std::wstring n = std::to_wstring(i);
        text += L"// unit " + n + L"\r\nint f" + n +
                L"(int a) {\r\n    /* a comment\r\n       over two rows */\r\n"
                L"    const char* s = \"str \\\"q\\\"\";\r\n    if (a > 1) { return a * 2; }\r\n"
                L"    return 0;\r\n}\r\n#define M" +
                n + L"(x) x\r\n\r\n";
    }
    return text;
}

void Keystroke(benchmark::State& state) {
    const bool inWorker = state.range(0) == 0;
    const std::filesystem::path file = std::filesystem::path(__FILE__).parent_path().parent_path() /
                                       "config" / "EditConfig" / "Schemas" / "cpp.pws";
    SchemaPtr schema = ReadSchema(pw::Widen(file.string()), L"cpp.pws");
    pw::RefPtr<LexClass> fileClass = schema->EnsureTrees() ? schema->FileClass(L".cpp") : nullptr;
    if (!fileClass) {
        state.SkipWithError("the shipped C++ schema cannot be read");
        return;
    }
    fileClass->SetProperty(L"global:EditReparceTimeout_ms", LexValue::MakeNumber(0));
    fileClass->SetProperty(L"global:EditReparceInSeparateThread", LexValue::MakeNumber(inWorker ? 1 : 0));

    pw::RefPtr<CQELPenwrightBufferManager> buffer = BufferOf(Program(), L".cpp");
    pw::RefPtr<LexParser> parser = pw::MakeRef<LexParser>();
    parser->SetTextSchema(schema.get());
    buffer->SetParser(parser);
    parser->ParseAll(*buffer, false);

    const int row = buffer->GetRowCount() / 2 + 6;  // inside a statement of a function
    for (auto _ : state) {
        buffer->CancelParse();
        buffer->InsertText(L"x", row, 5, false);
        buffer->ParserTextChanged({row, 4}, {row, 5}, BlockChain::kInserted);
        parser->WaitUntilParsed(pw::kInfinite);
        buffer->CancelParse();
        buffer->DeleteText(row, 5, row, 6, false);
        buffer->ParserTextChanged({row, 4}, {row, 5}, BlockChain::kDeleted);
        parser->WaitUntilParsed(pw::kInfinite);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel(inWorker ? "worker" : "at once");
    buffer->Close();
}
BENCHMARK(Keystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
