// Speed of the text iterator streaming a 100 MB text (UTF-16 bytes) the way the parser reads it:
// one character at a time, and in 64-character steps, with 1024 characters of look-ahead.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "buffer/BufferManager.h"
#include "buffer/TextIterator.h"
#include "platform/RefCounted.h"

namespace {

constexpr int64_t kTextBytes = 100'000'000;

// Rows of 40 to 79 characters of code-like text, inserted a megabyte at a time.
const pw::RefPtr<CQELPenwrightBufferManager>& HundredMegabytes() {
    static const pw::RefPtr<CQELPenwrightBufferManager> buffer = [] {
        std::wstring chunk;
        for (int r = 0; chunk.size() < 500'000; ++r) {
            std::wstring row = L"    value_" + std::to_wstring(r) + L" = compute(a, b) + 42; // note";
            row.resize(40 + r % 40, L'x');
            chunk += row + L"\r\n";
        }
        auto b = pw::MakeRef<CQELPenwrightBufferManager>();
        for (int64_t bytes = 0; bytes < kTextBytes; bytes += 2 * static_cast<int64_t>(chunk.size()))
            b->InsertText(chunk, std::max(b->GetRowCount(), 1), 1, false);  // at the empty last row
        return b;
    }();
    return buffer;
}

void StreamHundredMegabytes(benchmark::State& state) {
    const int step = static_cast<int>(state.range(0));
    const auto& buffer = HundredMegabytes();
    int64_t chars = 0;
    for (auto _ : state) {
        auto it = pw::MakeRef<TextIterator>(buffer.get());
        uint32_t sum = 0;
        for (const wchar_t* p = it->GetTextPtr(1024); p && !it->IsEOF(); p = it->Advance(step, 1024)) {
            sum += static_cast<uint32_t>(*p);
            chars += step;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(2 * chars);
}
BENCHMARK(StreamHundredMegabytes)->Arg(1)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
