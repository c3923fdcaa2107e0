// The edit control's frame: what ScreenPlanner::Plan costs for a screen of 60 rows (layout, colour
// runs, a selection, fold flags) in the 1, 10 and 100 MB C++ texts with the shipped
// configuration's schema, through a window whose font is fixed-width.
//   Frame/same: the same place again after a whole parse (the row block cache answers);
//   Frame/moving: a new place each time (an on-screen parse fills the cache);
//   FirstFrame: loading the 100 MB file and the first frames at its top and middle, before any
//     whole parse has run (the phases in milliseconds as counters);
//   Scroll: page after page through the 10 MB text, with the resident memory in MB as counters.
//
// The texts come from /work/shared/bench/make-corpus.sh DIR; set PW_CORPUS_DIR=DIR.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "config/ConfigManager.h"
#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"
#include "editor/ScreenPlanner.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DiskFile.h"

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

BENCHMARK_MAIN();
