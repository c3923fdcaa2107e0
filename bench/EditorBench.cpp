// The edit control's frame: what ScreenPlanner::Plan costs for a screen of 60 rows (layout, colour
// runs, a selection, fold flags) in the 1, 10 and 100 MB C++ texts with the shipped
// configuration's schema, through a window whose font is fixed-width.
//   Frame/same: the same place again after a whole parse (the row block cache answers);
//   Frame/moving: a new place each time (an on-screen parse fills the cache);
//   FirstFrame: loading the 100 MB file and the first frames at its top and middle, before any
//     whole parse has run (the phases in milliseconds as counters);
//   Scroll: page after page through the 10 MB text, with the resident memory in MB as counters;
//   Typing: 10,000 keys typed in the middle, each followed by its reparse in the worker and a
//     frame (median and 95th percentile per key in microseconds as counters);
//   CommentStart: "/*" typed near the top, a frame after each key, before the worker reparses;
//   Paste: 1 MB pasted in the middle of the 10 MB text, its reparse included;
//   FindNothing: a word that is not there searched for through the 10 MB text;
//   ReplaceAll: some 11,500 words replaced in the 10 MB text, then its reparse;
//   BlockCopy: a column selection of 10,000 rows copied to the clipboard;
//   Paginate: the 10 MB text laid out on pages of 62 rows' height with line numbers and colours,
//     each row broken into the page's width (the pages and pages a second as counters).
//
// The texts come from /work/shared/bench/make-corpus.sh DIR; set PW_CORPUS_DIR=DIR.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "config/ConfigManager.h"
#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"
#include "editor/RowPrinter.h"
#include "editor/ScreenPlanner.h"
#include "editor/TextEditor.h"
#include "editor/TextSearch.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DiskFile.h"
#include "platform/MessageTarget.h"
#include "print/Pagination.h"

namespace {

constexpr int kScreenRows = 60;
constexpr int kRowHeight = 16;

class FixedWidth : public TextMeasurer {
public:
    FontMetrics Metrics() const override { return {kRowHeight, 8, 8}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) ends[i] = static_cast<int>(i + 1) * 8;
    }
};

// The tests' quiet window with a screen of kScreenRows rows and the fixed-width font.
class BenchWindow : public QuietWindow {
public:
    BenchWindow() { client = {0, 0, 800, kScreenRows * kRowHeight}; }
    const TextMeasurer* GetTextMeasurer() const override { return &font_; }

private:
    FixedWidth font_;
};

struct Editor {
    BenchWindow window;
    std::unique_ptr<EditorCore> core;
};

pw::RefPtr<TextSchema> ShippedCppSchema() {
    static pw::RefPtr<TextSchema> schema = [] {
        // bench/ lies beside config/.
        const std::filesystem::path ini = std::filesystem::path(__FILE__).parent_path().parent_path() /
                                          "config" / "EditConfig" / "Penwright.ini";
        pw::RefPtr<ConfigManager> config = pw::MakeRef<ConfigManager>();
        config->SetConfigFile(pw::Widen(ini.string()));
        pw::RefPtr<TextSchema> shipped = config->GetSchemaForFile(L".cpp");
        config->Close();
        return shipped;
    }();
    return schema;
}

// The file loaded as the control loads it, under an editor with the C++ schema; null (and the
// benchmark skipped) without the texts.
std::unique_ptr<Editor> Open(const std::string& name, benchmark::State& state) {
    const char* dir = std::getenv("PW_CORPUS_DIR");
    const std::filesystem::path path = std::filesystem::path(dir ? dir : "") / (name + ".cpp");
    pw::RefPtr<TextSchema> schema = ShippedCppSchema();
    if (!dir || !std::filesystem::exists(path) || !schema) {
        state.SkipWithError("set PW_CORPUS_DIR to a folder made by make-corpus.sh");
        return nullptr;
    }
    pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    pw::DiskFile file(pw::Widen(path.string()), pw::DiskFile::Mode::Read);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    buffer->SerializeText(archive, -1, false, -1, L".cpp", -1);
    auto editor = std::make_unique<Editor>();
    editor->core = std::make_unique<EditorCore>(editor->window, buffer, nullptr);
    editor->core->GetParser().SetTextSchema(schema.get());
    return editor;
}

// Opened and parsed whole once per text.
Editor* Parsed(const std::string& name, benchmark::State& state) {
    static std::map<std::string, std::unique_ptr<Editor>> opened;
    std::unique_ptr<Editor>& editor = opened[name];
    if (!editor && (editor = Open(name, state)))
        editor->core->GetParser().ParseAll(editor->core->GetBuffer(), false);
    return editor.get();
}

// A stream selection over five rows below the top, as a drag would leave it.
PaintRequest Request(int top) {
    PaintRequest request;
    request.screenRows = kScreenRows;
    request.selection = [top](int row) {
        return row > top + 5 && row <= top + 10 ? RowSelection{2, 30, 2, 30, row < top + 10} : RowSelection{};
    };
    return request;
}

size_t PlanAt(EditorCore& core, int top) {
    core.SetTopRow(top);
    return ScreenPlanner(core).Plan(Request(core.GetTopRow())).size();
}

void BM_Frame(benchmark::State& state, const std::string& name, bool moving) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    const int rows = core.GetBuffer().GetRowCount();
    int top = rows / 2;
    PlanAt(core, top);
    for (auto _ : state) {
        if (moving)
            top = (top + 7919) % (rows - kScreenRows) + 1;  // a prime stride: never a page seen before
        benchmark::DoNotOptimize(PlanAt(core, top));
    }
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_FirstFrame(benchmark::State& state, const std::string& name) {
    double load = 0, top = 0, middle = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::unique_ptr<Editor> editor = Open(name, state);
        if (!editor)
            return;
        load += MsSince(start);
        start = std::chrono::steady_clock::now();
        PlanAt(*editor->core, 1);
        top += MsSince(start);
        start = std::chrono::steady_clock::now();
        PlanAt(*editor->core, editor->core->GetBuffer().GetRowCount() / 2);
        middle += MsSince(start);
        state.PauseTiming();
        editor.reset();
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = load / n;
    state.counters["top_ms"] = top / n;
    state.counters["middle_ms"] = middle / n;
}

// Resident memory in MB: now, or the peak since the last ResetPeak.
double StatusMb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":"))
            return std::stod(line.substr(field.size() + 1)) / 1024;
    return 0;
}

void ResetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

void BM_Scroll(benchmark::State& state, const std::string& name) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    const int rows = core.GetBuffer().GetRowCount();
    ResetPeak();
    const double before = StatusMb("VmRSS");
    int top = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlanAt(core, top));
        top = top + kScreenRows > rows ? 1 : top + kScreenRows;
    }
    state.counters["rss_before_mb"] = before;
    state.counters["rss_after_mb"] = StatusMb("VmRSS");
    state.counters["rss_peak_mb"] = StatusMb("VmHWM");
    state.counters["pages"] = static_cast<double>(state.iterations());
}

// The host's idle loop until the worker has parsed what the edits queued: its events are handled
// as they come, without the 10 ms sleeps of a real message loop that would hide the parse's cost.
void WaitForParse(EditorCore& core) {
    LexParser& parser = core.GetParser();
    while (!parser.WaitUntilParsed(0))
        if (pw::PumpMessages() == 0)
            std::this_thread::yield();
    pw::PumpMessages();
}

// Parsed whole, its worker reparsing each edit at once: it would wait for a pause in typing, and
// the benchmarks time the reparse, not the pause.
Editor* ForEditing(const std::string& name, benchmark::State& state) {
    Editor* editor = Parsed(name, state);
    if (editor)
        editor->core->GetParser().GetOptions(editor->core->GetBuffer().GetFileExt())->editReparseDelayMs = 0;
    return editor;
}

// Every edit taken back, so that the text is the corpus text again for the benchmarks after.
void UndoAll(EditorCore& core) {
    while (core.GetEditor().CanUndo()) core.GetEditor().Undo();
    WaitForParse(core);
}

// The caret on the middle row's first column, nothing selected.
void CaretToMiddle(EditorCore& core) {
    core.GetCaret().SetCaretPos(core.GetBuffer().GetRowCount() / 2, 1, true, false);
}

double Percentile(std::vector<double> samples, double fraction) {
    if (samples.empty())
        return 0;
    const auto at = static_cast<size_t>(fraction * static_cast<double>(samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at), samples.end());
    return samples[at];
}

// What a programmer types: identifiers, blanks, operators, semicolons and a new row now and then.
constexpr std::wstring_view kTyped = L"int count = first + second;\rvalue = count * 2; total += value;\r";
constexpr int kKeys = 10000;

void BM_Typing(benchmark::State& state, const std::string& name) {
    Editor* editor = ForEditing(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    std::vector<double> keys;
    for (auto _ : state) {
        CaretToMiddle(core);
        for (int i = 0; i < kKeys; ++i) {
            const auto start = std::chrono::steady_clock::now();
            core.GetEditor().OnChar(kTyped[static_cast<size_t>(i) % kTyped.size()], {});
            WaitForParse(core);
            benchmark::DoNotOptimize(ScreenPlanner(core).Plan(Request(core.GetTopRow())).size());
            keys.push_back(MsSince(start) * 1000);
        }
        state.PauseTiming();
        UndoAll(core);
        state.ResumeTiming();
    }
    state.counters["median_us"] = Percentile(keys, 0.5);
    state.counters["p95_us"] = Percentile(keys, 0.95);
    state.counters["keys"] = static_cast<double>(keys.size());
}

// A frame after an edit as the window paints it: the rows below are planned anew when the edit
// changed the state they begin in.
size_t FrameAfterEdit(EditorCore& core) {
    const EditorCore::EditedRows edited = core.TakeEdited();
    benchmark::DoNotOptimize(edited.row > 0 && ScreenPlanner(core).StateChangedAfter(edited));
    return ScreenPlanner(core).Plan(Request(core.GetTopRow())).size();
}

// "/*" typed near the top, a frame after each key, the worker's reparse of the rest left to the
// pause in typing as the control leaves it.
void BM_CommentStart(benchmark::State& state, const std::string& name) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    for (auto _ : state) {
        state.PauseTiming();
        core.SetTopRow(1);
        core.GetCaret().SetCaretPos(10, 1, true, false);
        FrameAfterEdit(core);
        state.ResumeTiming();
        for (const wchar_t c : {L'/', L'*'}) {
            core.GetEditor().OnChar(c, {});
            benchmark::DoNotOptimize(FrameAfterEdit(core));
        }
        state.PauseTiming();
        UndoAll(core);
        state.ResumeTiming();
    }
}

// Each iteration: `prepare` (when given) untimed, `edit` timed, the worker's reparse of it timed
// apart, and every edit taken back untimed. The mean times in milliseconds go to the counters
// `editCounter` and "reparse_ms". An edit that fails ends the loop (it says why).
void TimeEditAndReparse(benchmark::State& state, EditorCore& core, const std::function<void()>& prepare,
                        const std::function<bool()>& edit, const std::string& editCounter) {
    double edits = 0, reparse = 0;
    for (auto _ : state) {
        if (prepare) {
            state.PauseTiming();
            prepare();
            state.ResumeTiming();
        }
        auto start = std::chrono::steady_clock::now();
        if (!edit())
            break;
        edits += MsSince(start);
        start = std::chrono::steady_clock::now();
        WaitForParse(core);
        reparse += MsSince(start);
        state.PauseTiming();
        UndoAll(core);
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters[editCounter] = edits / n;
    state.counters["reparse_ms"] = reparse / n;
}

void BM_Paste(benchmark::State& state, const std::string& name) {
    Editor* editor = ForEditing(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    editor->window.clipboard = EditorWindow::ClipboardText{core.GetBuffer().GetWholeText(1 << 20), false};
    TimeEditAndReparse(
        state, core, [&core] { CaretToMiddle(core); },
        [&] {
            if (core.GetEditor().Paste())
                return true;
            state.SkipWithError("the paste was refused");
            return false;
        },
        "paste_ms");
}

// A word that is nowhere in the text, searched for from the top to the end.
void BM_FindNothing(benchmark::State& state, const std::string& name, bool matchCase) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    const TextSearch search(L"qzxv", {false, matchCase, true});
    for (auto _ : state) benchmark::DoNotOptimize(search.Find(editor->core->GetBuffer(), 1, 1));
    // As many bytes as the file has characters: the rate compares with the text's size on disk.
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(editor->core->GetBuffer().GetWholeText().size()));
}

// Every "if" (some 11,500 whole words in the 10 MB text) replaced, then the worker's reparse.
void BM_ReplaceAll(benchmark::State& state, const std::string& name) {
    Editor* editor = ForEditing(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    int count = 0;
    TimeEditAndReparse(
        state, core, nullptr,
        [&] {
            count = core.GetEditor().ReplaceAll(L"if", L"IF", true, true);
            return true;
        },
        "replace_ms");
    state.counters["replaced"] = count;
}

constexpr int kBlockRows = 10000;

void BM_BlockCopy(benchmark::State& state, const std::string& name) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    EditCaret& caret = editor->core->GetCaret();
    const int first = editor->core->GetBuffer().GetRowCount() / 2;
    // Select finds each point's string position; the block flag is what Alt+Shift adds.
    caret.Select(first, 5, first + kBlockRows - 1, 45, false);
    CQELPenwrightSelection& selection = caret.GetSelection();
    selection.Set(selection.GetStart(), selection.GetEnd(), true);
    for (auto _ : state)
        if (!editor->core->GetEditor().Copy()) {
            state.SkipWithError("nothing was copied");
            break;
        }
    state.counters["chars"] =
        static_cast<double>(editor->window.clipboard ? editor->window.clipboard->text.size() : 0);
    caret.SetCaretPos(1, 1, false, false);
}

// Paper that measures in the fixed-width font and is never drawn on: counting pages.
class MeasuringPaper : public PrintSurface {
public:
    FontMetrics Metrics() const override { return font_.Metrics(); }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override { font_.Extents(text, ends); }
    void SelectFont(int, int, int) override {}
    void DrawText(int, int, std::wstring_view, int32_t, const PixelRect&) override {}
    void DrawLine(const Line&) override {}
    void DrawMarker(const PixelRect&, std::wstring_view) override {}
    void FillBackground(const PixelRect&) override {}

private:
    FixedWidth font_;
};

void BM_Paginate(benchmark::State& state, const std::string& name) {
    Editor* editor = Parsed(name, state);
    if (!editor)
        return;
    EditorCore& core = *editor->core;
    MeasuringPaper paper;
    // A letter page's text area in hundredths of an inch, 8 by 62 rows.
    PrintRowsRequest request{{}, 1, {0, 0, 640, 62 * kRowHeight}, PrintFlag::kMeasureOnly, false, true};
    int pages = 0;
    for (auto _ : state) {
        Pagination pagination(core.GetBuffer().GetRowCount(), [&](int, int first) -> std::optional<int> {
            request.firstRow = first;
            const int consumed = PrintRows(core, paper, request);
            return consumed > 0 ? std::optional(consumed) : std::nullopt;
        });
        pages = pagination.CountPages().value_or(0);
    }
    state.counters["pages"] = pages;
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(pages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

// First, so that only the 10 MB text is resident.
BENCHMARK_CAPTURE(BM_Scroll, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, same_cpp1m, std::string("cpp1m"), false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, same_cpp10m, std::string("cpp10m"), false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, same_cpp100m, std::string("cpp100m"), false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, moving_cpp1m, std::string("cpp1m"), true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, moving_cpp10m, std::string("cpp10m"), true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, moving_cpp100m, std::string("cpp100m"), true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FirstFrame, cpp100m, std::string("cpp100m"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

BENCHMARK_CAPTURE(BM_Typing, cpp1m, std::string("cpp1m"))->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Typing, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Typing, cpp100m, std::string("cpp100m"))->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_CommentStart, cpp1m, std::string("cpp1m"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_CommentStart, cpp100m, std::string("cpp100m"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_Paste, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_FindNothing, nocase_cpp10m, std::string("cpp10m"), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindNothing, case_cpp10m, std::string("cpp10m"), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReplaceAll, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_BlockCopy, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Paginate, cpp10m, std::string("cpp10m"))->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
