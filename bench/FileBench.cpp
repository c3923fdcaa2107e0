// Loading and saving a 100 MB text file in each form the buffer reads: throughput, and the
// memory the operation added at its peak relative to the file's size ("peak/file"; Linux
// high-water mark). Also a 512 KB one-row Shift-JIS file with one unreadable byte pair, whose
// load must cost what any file of its size costs.
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

// Source-like text: indented lines of words, some comments in the language's letters, CR LF.
std::wstring MakeText(size_t characters, const wchar_t* comment, bool rows = true) {
    static const wchar_t* const kWords[] = {L"int",   L"return", L"value", L"if",          L"(",
                                            L")",     L"{",      L"}",     L"=",           L"+ 1;",
                                            L"const", L"auto",   L"row",   L"std::string", L"buffer"};
    std::mt19937 random(1);
    std::wstring text;
    text.reserve(characters + 200);
    while (text.size() < characters) {
        text.append(random() % 4, L'\t');
        for (int n = static_cast<int>(random() % 10); n > 0; --n) {
            text += random() % 16 == 0 ? comment : kWords[random() % std::size(kWords)];
            text += L' ';
        }
        text += rows ? L"\r\n" : L" ";
    }
    text.resize(characters);
    return text;
}

struct FileKind {
    const char* name;
    int codePage;  // 0: UTF-16
    bool bigEndian;
    const char* mark;
    const wchar_t* comment;
};

constexpr const wchar_t* kLatin = L"// d\x00E9j\x00E0";
constexpr const wchar_t* kJapanese = L"// \x65E5\x672C\x8A9E\x30C6\x30AD\x30B9\x30C8";

constexpr FileKind kKinds[] = {
    {"cp1252.txt", 1252, false, "", kLatin},
    {"cp932.txt", 932, false, "", kJapanese},
    {"utf8.txt", pw::kCodePageUtf8, false, "", kJapanese},
    {"utf8-mark.txt", pw::kCodePageUtf8, false, "\xEF\xBB\xBF", kJapanese},
    {"utf16le.txt", 0, false, "", kJapanese},
    {"utf16le-mark.txt", 0, false, "\xFF\xFE", kJapanese},
    {"utf16be-mark.txt", 0, true, "\xFE\xFF", kJapanese},
};

std::string Encode(const FileKind& kind, const std::wstring& text) {
    std::string bytes = kind.mark;
    if (kind.codePage != 0) {
        std::string body;
        pw::Utf16ToMultiByte(kind.codePage, text, body);
        return bytes + body;
    }
    for (wchar_t c : text) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += kind.bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// The files, each written when first asked for: a run that filters benchmarks writes only its own.
class Files {
public:
    Files()
        : folder_(std::filesystem::temp_directory_path() /
                  ("pw-bench-" + std::to_string(std::random_device()()))) {
        std::filesystem::create_directories(folder_);
    }
    ~Files() { std::filesystem::remove_all(folder_); }

    std::wstring Path(const char* name) {
        const std::filesystem::path path = folder_ / name;
        if (!std::filesystem::exists(path))
            Write(path, Make(name));
        auto utf8 = path.u8string();
        return pw::Widen(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
    }
    int64_t Size(const char* name) {
        return static_cast<int64_t>(std::filesystem::file_size(folder_ / name));
    }

private:
    static std::string Make(std::string_view name) {
        if (name == "cp932-bad-row.txt") {
            // One row of Shift-JIS with a lead byte whose trail byte is missing half-way.
            std::string row = Encode(kKinds[1], MakeText(512 << 10, kJapanese, false));
            row.insert(row.size() / 2, "\x81\x20");
            return row;
        }
        for (const FileKind& kind : kKinds)
            if (name == kind.name)
                return Encode(kind, MakeText(kind.codePage == 0 ? kFileBytes / 2 : kFileBytes, kind.comment));
        return {};
    }
    static void Write(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::path folder_;
};

Files& TheFiles() {
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

int CodePageOf(const char* name) {
    return std::string_view(name).starts_with("cp932") ? 932 : 1252;
}

void Load(CQELPenwrightBufferManager& buffer, const char* name) {
    pw::DiskFile file(TheFiles().Path(name), pw::DiskFile::Mode::Read);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    buffer.SerializeText(archive, -1, true, CodePageOf(name), std::nullopt, -1);
}

void Report(benchmark::State& state, const char* name, int64_t peakKb) {
    const int64_t size = TheFiles().Size(name);
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["peak/file"] = static_cast<double>(peakKb) * 1024 / static_cast<double>(size);
}

void LoadFile(benchmark::State& state, const char* name) {
    TheFiles().Path(name);  // written before the clock runs
    int64_t peakKb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
        ResetPeak();
        int64_t before = StatusKb("VmRSS");
        state.ResumeTiming();
        Load(*buffer, name);
        state.PauseTiming();
        peakKb = std::max(peakKb, StatusKb("VmHWM") - before);
        buffer.reset();
        state.ResumeTiming();
    }
    Report(state, name, peakKb);
}

void SaveFile(benchmark::State& state, const char* name) {
    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    Load(*buffer, name);
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
    Report(state, name, peakKb);
}

void Register() {
    for (const FileKind& kind : kKinds) {
        benchmark::RegisterBenchmark((std::string("LoadFile/") + kind.name).c_str(), LoadFile, kind.name)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2);
        benchmark::RegisterBenchmark((std::string("SaveFile/") + kind.name).c_str(), SaveFile, kind.name)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(2);
    }
    benchmark::RegisterBenchmark("LoadFile/cp932-bad-row.txt", LoadFile, "cp932-bad-row.txt")
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
