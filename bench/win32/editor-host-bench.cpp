// editor-host-bench: times the edit control in a window on a large text, printing one line per
// step (load, first paint, going to the middle, a whole parse, typing, memory) so that the figures of
// other controls, measured the same way, compare line by line; last, its own printing figures
// (counting the pages, and pages drawn into metafiles as the preview draws them).
//   editor-host-bench FILE
// The text is read before anything is timed; the file's extension selects the schema of the
// shipped configuration.
#include <windows.h>

#include <psapi.h>
#include <winspool.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Document.h"
#include "HostWindow.h"
#include "buffer/BufferManager.h"
#include "config/ConfigManager.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/MessageTarget.h"
#include "print/win32/PenwrightView.h"

namespace {

constexpr int kScreenRows = 63;
constexpr int kClientWidth = 800;
constexpr int kRestyleRuns = 5;
constexpr int kTypedKeys = 1000;
constexpr int kCommentRuns = 5;
constexpr int kCommentRow = 10;
constexpr double kMB = 1024.0 * 1024.0;
constexpr int kRenderedPages = 50;

int Fail(const std::string& message) {
    std::fprintf(stderr, "editor-host-bench: %s\n", message.c_str());
    return 2;
}

std::optional<std::wstring> FileArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::optional<std::wstring> file;
    if (arguments && count == 2)
        file = arguments[1];
    LocalFree(arguments);
    return file;
}

using Clock = std::chrono::steady_clock;

double Elapsed(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

template <typename Step>
double TimeMs(Step step) {
    const Clock::time_point start = Clock::now();
    step();
    return Elapsed(start);
}

void PrintMemory(const char* label) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    // The commit charge is the private bytes; Wine leaves PrivateUsage at zero.
    std::printf("%-30sworking set %7.1f MB  peak %7.1f MB  private %7.1f MB\n", label,
                counters.WorkingSetSize / kMB, counters.PeakWorkingSetSize / kMB,
                counters.PagefileUsage / kMB);
    std::fflush(stdout);
}

// How far the parse of the whole text has come, as far as the control has reported it: its
// events wait in the message queue until handled.
std::string ParseProgress(HostWindow& host) {
    pw::PumpMessages();
    const HostWindow::ParseReport& report = host.Report();
    if (!report.started)
        return "whole parse not started";
    if (report.done)
        return "whole parse done";
    return "whole parse reached row " + std::to_string(report.lastRow);
}

// An idle host's message loop until the parser has nothing queued or running: the control
// handles its events as they come.
void WaitForParse(LexParser& parser) {
    while (!parser.WaitUntilParsed(0)) pw::PumpMessages(10);
    pw::PumpMessages();
}

void PrintStep(const char* label, double ms, const std::string& note = {}) {
    std::printf("%-32s%9.2f ms", label, ms);
    if (!note.empty())
        std::printf("   %s", note.c_str());
    std::printf("\n");
    std::fflush(stdout);
}

// The whole text parsed again at once on this thread, as often as asked; min and median.
void PrintRestyle(LexParser& parser, CQELPenwrightBufferManager& buffer, uint64_t bytes) {
    std::vector<double> runs;
    for (int i = 0; i < kRestyleRuns; ++i) runs.push_back(TimeMs([&] { parser.ParseAll(buffer, false); }));
    std::sort(runs.begin(), runs.end());
    std::printf("full restyle LexParser::ParseAll min %9.2f ms median %9.2f ms  (%.1f MB/s at min)\n",
                runs.front(), runs[runs.size() / 2], bytes / kMB / (runs.front() / 1000.0));
    std::fflush(stdout);
}

// What a programmer types: identifiers, blanks, operators, semicolons and a new row now and then.
constexpr std::wstring_view kTyped = L"int count = first + second;\rvalue = count * 2; total += value;\r";

// A key as the system delivers it, the queue drained (the parser's events, the repaint timer)
// and the window painted, as a user waits for it on the screen.
void TypeKey(HWND view, wchar_t c) {
    SendMessageW(view, WM_CHAR, c, 1);
    pw::PumpMessages();
    UpdateWindow(view);
}

// Every edit taken back and the worker's reparse of them done: the text is the file's again.
void UndoAll(EditorCore& core, LexParser& parser) {
    while (core.GetEditor().CanUndo()) core.GetEditor().Undo();
    WaitForParse(parser);
}

double Median(std::vector<double> runs) {
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Keys typed in the middle of the text, each painted before the next; the edits are then taken
// back so that the text is the file's again.
void PrintTyping(CQELPenwrightCtrl& view, LexParser& parser) {
    EditorCore& core = *view.Core();
    core.GetCaret().SetCaretPos(core.GetBuffer().GetRowCount() / 2, 1, true, false);
    UpdateWindow(view.Handle());
    std::vector<double> keys;
    const double total = TimeMs([&] {
        for (int i = 0; i < kTypedKeys; ++i)
            keys.push_back(
                TimeMs([&] { TypeKey(view.Handle(), kTyped[static_cast<size_t>(i) % kTyped.size()]); }));
    });
    // The peer's label and layout, so that the lines compare.
    std::printf(
        "%d keystrokes (WM_CHAR + drain + UpdateWindow): total %9.2f ms; per key min %.3f ms median "
        "%.3f ms max %.3f ms\n",
        kTypedKeys, total, *std::min_element(keys.begin(), keys.end()), Median(keys),
        *std::max_element(keys.begin(), keys.end()));
    std::fflush(stdout);
    UndoAll(core, parser);
}

// A comment opened near the top: everything after it becomes comment, so the paint after each
// key parses the screen anew. The worker's reparse of the rest runs after the pause in typing,
// outside the timed keys; its end is reported. Undone and parsed again between the runs.
void PrintCommentStart(CQELPenwrightCtrl& view, LexParser& parser) {
    EditorCore& core = *view.Core();
    std::vector<double> runs;
    double reparsed = 0;
    for (int i = 0; i < kCommentRuns; ++i) {
        view.SetTopRow(1);
        core.GetCaret().SetCaretPos(kCommentRow, 1, true, false);
        UpdateWindow(view.Handle());
        runs.push_back(TimeMs([&] {
            TypeKey(view.Handle(), L'/');
            TypeKey(view.Handle(), L'*');
        }));
        reparsed += TimeMs([&] { WaitForParse(parser); });
        UndoAll(core, parser);
    }
    std::printf(
        "\"/*\" typed at line %d (0-based) + paint after each key: min %.3f ms median %.3f ms; whole reparse "
        "in the worker done %.2f ms after it (its %u ms wait for a pause in typing included)\n",
        kCommentRow - 1, *std::min_element(runs.begin(), runs.end()), Median(runs), reparsed / kCommentRuns,
        parser.GetOptions(core.GetBuffer().GetFileExt())->editReparseDelayMs);
    std::fflush(stdout);
}

// The pages on the default printer (the screen when there is none), with line numbers and
// colours: counted, then the first ones drawn into metafiles.
void PrintPaging(CQELPenwrightCtrl& view) {
    wchar_t name[256] = L"";
    DWORD size = 256;
    pw::win32::DeviceContext printer(GetDefaultPrinterW(name, &size)
                                         ? CreateDCW(nullptr, name, nullptr, nullptr)
                                         : CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    CQELPenwrightView printing(view);
    pw::win32::PrintDocument document(view, printing.GetPrintOptions(), printing.GetBandFonts(), L"bench",
                                      printer.Get());
    std::optional<int> pages;
    const double counted = TimeMs([&] { pages = document.CountPages(); });
    PrintStep("print: count the pages", counted,
              std::to_string(pages.value_or(0)) + " pages on " + (name[0] ? pw::Narrow(name) : "the screen"));
    const RECT frame{0, 0, 21000, 29700};
    const double rendered = TimeMs([&] {
        for (int page = 1; page <= std::min(pages.value_or(0), kRenderedPages); ++page) {
            pw::win32::EnhMetaFile picture(CloseEnhMetaFile([&] {
                HDC recorder = CreateEnhMetaFileW(printer.Get(), nullptr, &frame, nullptr);
                document.PrintPage(recorder, page);
                return recorder;
            }()));
        }
    });
    PrintStep("print: 50 pages into metafiles", rendered);
}

int Run(const std::wstring& path, const std::wstring& text, const std::wstring& ext, int lines) {
    pw::RefPtr<CQELPenwrightBufferManager> buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    buffer->SetFileExt(ext);
    HostWindow host;
    if (!host.Create(kClientWidth, buffer))
        return Fail("cannot create the window");
    CQELPenwrightCtrl& view = host.View();
    if (!view.SetConfigFile(DefaultConfigPath()))
        return Fail("cannot read the configuration " + pw::Narrow(DefaultConfigPath()));
    // The configuration's events install the schema.
    pw::PumpMessages();
    LexParser& parser = view.Core()->GetParser();
    if (!parser.GetCurrentSchema())
        return Fail("no scheme claims the extension " + pw::Narrow(ext));
    const int screenRows = host.FitRows(kScreenRows);
    // The empty text's parse ends first, so that what the control reports after the load is
    // the loaded text's.
    WaitForParse(parser);
    host.ForgetReport();

    PrintMemory("memory before load");
    const uint64_t bytes = pw::GetFileInfo(path).value_or(pw::FileInfo{}).size;
    std::printf("file %s: %llu bytes, %d lines, %d lines on screen\n", pw::Narrow(path).c_str(),
                static_cast<unsigned long long>(bytes), lines, screenRows);
    const Clock::time_point loadStart = Clock::now();
    SendMessageW(view.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PrintStep("load (WM_SETTEXT)", Elapsed(loadStart));
    InvalidateRect(view.Handle(), nullptr, FALSE);
    const double firstPaint = TimeMs([&] { UpdateWindow(view.Handle()); });
    PrintStep("first full paint (UpdateWindow)", firstPaint, ParseProgress(host));
    PrintMemory("memory after first paint");
    const double middle = TimeMs([&] {
        view.SetTopRow(buffer->GetRowCount() / 2);
        UpdateWindow(view.Handle());
    });
    PrintStep("go to middle + paint", middle, ParseProgress(host));

    // The worker's parse first, so that the timed ones run alone. Its end is known within the
    // loop's 10 ms only when it was still running when the wait began.
    const bool running = !parser.WaitUntilParsed(0);
    WaitForParse(parser);
    const double parsed = Elapsed(loadStart);
    PrintStep("whole parse in the worker done", parsed, running ? "after load" : "after load or earlier");
    PrintRestyle(parser, *buffer, bytes);
    PrintMemory("memory after full restyle");
    PrintTyping(view, parser);
    PrintCommentStart(view, parser);
    PrintPaging(view);
    pw::PumpMessages();
    PrintMemory("memory end");
    return 0;
}

}  // namespace

int main() {
    const std::optional<std::wstring> path = FileArgument();
    if (!path)
        return Fail("usage: editor-host-bench FILE");
    ConfigManager::RegisterShared();  // before the buffers, which take the shared configuration

    // The text as the buffer reads it from the file, kept apart from the control's buffer.
    std::wstring text, ext;
    int lines = 0;
    {
        pw::RefPtr<CQELPenwrightBufferManager> scratch = pw::MakeRef<CQELPenwrightBufferManager>();
        std::string error;
        if (!LoadTextFile(*scratch, *path, std::nullopt, error))
            return Fail(error);
        text = scratch->GetWholeText();
        ext = scratch->GetFileExt();
        lines = scratch->GetRowCount();
        scratch->Close();
    }
    return Run(*path, text, ext, lines);
}
