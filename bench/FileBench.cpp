// Loading and saving a 100 MB text file, 8-bit and UTF-16: throughput, and the memory the
// operation added at its peak relative to the file's size ("peak/file"; Linux high-water mark).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "buffer/BufferManager.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/DiskFile.h"
#include "platform/RefCounted.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;

constexpr size_t kFileBytes = size_t{100} << 20;
constexpr int kCodePage = 1252;

// Source-like text: indented lines of words, some comments with an accented letter, CR LF.
std::wstring MakeText(size_t characters) {
    static const wchar_t* const kWords[] = {
        L"int", L"return", L"value",       L"if",     L"(",   L")",     L"{",    L"}",
        L"=",   L"+ 1;",   L"std::string", L"buffer", L"row", L"const", L"auto", L"// d\x00E9j\x00E0"};
    std::mt19937 random(1);
    std::wstring text;
    text.reserve(characters + 200);
    while (text.size() < characters) {
        text.append(random() % 4, L'\t');
        for (int n = static_cast<int>(random() % 10); n > 0; --n) {
            text += kWords[random() % std::size(kWords)];
            text += L' ';
        }
        text += L"\r\n";
    }
    text.resize(characters);
    return text;
}

class Files {
public:
    Files()
        : folder_(std::filesystem::temp_directory_path() /
                  ("pw-bench-" + std::to_string(std::random_device()()))) {
        std::filesystem::create_directories(folder_);
        std::string bytes;
        pw::Utf16ToMultiByte(kCodePage, MakeText(kFileBytes), bytes);
        Write("eight-bit.txt", bytes);
        std::wstring text = MakeText(kFileBytes / 2 - 1);
        bytes.assign("\xFF\xFE");
        for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        Write("utf16.txt", bytes);
    }
    ~Files() { std::filesystem::remove_all(folder_); }

    std::wstring Path(const char* name) const {
        auto utf8 = (folder_ / name).u8string();
        return pw::Widen(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
    }

private:
    void Write(const char* name, const std::string& bytes) {
        std::ofstream(folder_ / name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path folder_;
};

const Files& TheFiles() {
    static Files files;
    return files;
}

// Resident memory in kB: the current amount, or the peak since ResetPeak.
int64_t StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":"))
            return std::stoll(line.substr(field.size() + 1));
    return 0;
}
// Memory freed before is handed back first, or the allocator would serve the next operation
// from it unseen.
void ResetPeak() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Load(CQELPenwrightBufferManager& buffer, const std::wstring& path) {
    pw::DiskFile file(path, pw::DiskFile::Mode::Read);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    buffer.SerializeText(archive, -1, true, kCodePage, std::nullopt, -1);
}

void Report(benchmark::State& state, int64_t peakKb) {
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
    state.counters["peak/file"] = static_cast<double>(peakKb) * 1024 / static_cast<double>(kFileBytes);
}

void LoadFile(benchmark::State& state, const char* name) {
    std::wstring path = TheFiles().Path(name);
    int64_t peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
        ResetPeak();
        int64_t before = StatusKb("VmRSS");
        state.ResumeTiming();
        Load(*buffer, path);
        state.PauseTiming();
        peakKb = std::max(peakKb, StatusKb("VmHWM") - before);
        buffer.reset();
        state.ResumeTiming();
    }
    Report(state, peakKb);
}

void SaveFile(benchmark::State& state, const char* name) {
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    Load(*buffer, TheFiles().Path(name));
    std::wstring path = TheFiles().Path("saved.txt");
    int64_t peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeak();
        int64_t before = StatusKb("VmRSS");
        state.ResumeTiming();
        pw::DiskFile file(path, pw::DiskFile::Mode::Replace);
        pw::Archive archive(file, pw::Archive::Mode::Store);
        buffer->Serialize(archive);
        file.Commit();
        state.PauseTiming();
        peakKb = std::max(peakKb, StatusKb("VmHWM") - before);
        state.ResumeTiming();
    }
    Report(state, peakKb);
}

BENCHMARK_CAPTURE(LoadFile, EightBit100MB, "eight-bit.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(LoadFile, Utf16_100MB, "utf16.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SaveFile, EightBit100MB, "eight-bit.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SaveFile, Utf16_100MB, "utf16.txt")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
