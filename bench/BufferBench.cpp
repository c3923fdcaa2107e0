// Speed of the text buffer on large texts: bulk insertion, row insertion and removal in a long
// buffer, and column conversion on a long row with tabs.
#include <benchmark/benchmark.h>

#include <string>

#include "buffer/BufferManager.h"
#include "platform/RefCounted.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;

// `rows` rows of 28 characters each, separated by CR LF: 30 characters a row.
std::wstring RowsText(int rows) {
    std::wstring text;
    text.reserve(static_cast<size_t>(rows) * 30);
    for (int r = 0; r < rows; ++r) {
        std::wstring row = L"row " + std::to_wstring(r);
        row.resize(28, L'.');
        text += row;
        text += L"\r\n";
    }
    return text;
}

void InsertTenMegabytes(benchmark::State& state) {
    const std::wstring text = RowsText(10'000'000 / 30);
    for (auto _ : state) {
        Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
        buffer->InsertText(text, 1, 1, false);
        benchmark::DoNotOptimize(buffer->GetRowCount());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(text.size()));  // characters
}
BENCHMARK(InsertTenMegabytes)->Unit(benchmark::kMillisecond);

void InsertAndRemoveRowInMillionRows(benchmark::State& state) {
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    buffer->InsertText(RowsText(1'000'000), 1, 1, false);
    for (auto _ : state) {
        buffer->InsertText(L"a new row in the middle\r\n", 500'000, 1, false);
        buffer->RemoveRows(500'000, false, 1);
    }
    benchmark::DoNotOptimize(buffer->GetRowCount());
}
BENCHMARK(InsertAndRemoveRowInMillionRows)->Unit(benchmark::kMicrosecond);

Buffer TabbedRow() {
    std::wstring row;
    for (int i = 0; row.size() < 10'000; ++i) row += i % 7 ? L"word " : L"\t";
    row.resize(10'000);
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    buffer->InsertText(row, 1, 1, false);
    return buffer;
}

void CharIndexToDisplayColOnLongRow(benchmark::State& state) {
    Buffer buffer = TabbedRow();
    for (auto _ : state) benchmark::DoNotOptimize(buffer->CharIndexToDisplayCol(1, 9'999));
}
BENCHMARK(CharIndexToDisplayColOnLongRow)->Unit(benchmark::kMicrosecond);

void DisplayColToCharIndexOnLongRow(benchmark::State& state) {
    Buffer buffer = TabbedRow();
    const int lastCol = buffer->CharIndexToDisplayCol(1, 9'999);
    for (auto _ : state) benchmark::DoNotOptimize(buffer->DisplayColToCharIndex(1, lastCol));
}
BENCHMARK(DisplayColToCharIndexOnLongRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
