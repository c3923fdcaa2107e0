// Undo and redo of a long typing session: 100,000 characters typed one at a time, five letters
// and a blank at a time with a line break every sixty characters, so that each word is one
// undo step (a typing group) and each blank or line break another.
#include <benchmark/benchmark.h>

#include <string_view>

#include "buffer/BufferManager.h"
#include "platform/RefCounted.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;

constexpr int kTyped = 100'000;

Buffer TypeSession() {
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    UndoManager& undo = buffer->GetUndoManager();
    LineCol at{1, 1};
    for (int i = 0; i < kTyped; ++i) {
        wchar_t c = i % 60 == 59 ? L'\r' : i % 6 == 5 ? L' ' : static_cast<wchar_t>(L'a' + i % 26);
        undo.SetGroupMode(c != L' ' && c != L'\r');
        buffer->InsertText(std::wstring_view(&c, 1), at.row, at.col, true, &at);
    }
    undo.SetGroupMode(false);
    return buffer;
}

int UndoAll(UndoManager& undo) {
    LineCol start, end;
    int steps = 0;
    for (; undo.CanUndo(); ++steps) undo.Undo(start, end, nullptr);
    return steps;
}

int RedoAll(UndoManager& undo) {
    LineCol start, end;
    int steps = 0;
    for (; undo.CanRedo(); ++steps) undo.Redo(start, end, nullptr);
    return steps;
}

void TypeHundredThousandCharacters(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(TypeSession()->GetRowCount());
    state.SetItemsProcessed(state.iterations() * kTyped);
}
BENCHMARK(TypeHundredThousandCharacters)->Unit(benchmark::kMillisecond);

void UndoHundredThousandTypedCharacters(benchmark::State& state) {
    Buffer buffer = TypeSession();
    UndoManager& undo = buffer->GetUndoManager();
    int steps = 0;
    for (auto _ : state) {
        steps = UndoAll(undo);
        state.PauseTiming();
        RedoAll(undo);
        state.ResumeTiming();
    }
    state.counters["steps"] = steps;
    state.SetItemsProcessed(state.iterations() * kTyped);
}
BENCHMARK(UndoHundredThousandTypedCharacters)->Unit(benchmark::kMillisecond);

void RedoHundredThousandTypedCharacters(benchmark::State& state) {
    Buffer buffer = TypeSession();
    UndoManager& undo = buffer->GetUndoManager();
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        UndoAll(undo);
        state.ResumeTiming();
        steps = RedoAll(undo);
    }
    state.counters["steps"] = steps;
    state.SetItemsProcessed(state.iterations() * kTyped);
}
BENCHMARK(RedoHundredThousandTypedCharacters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
