// Speed of the schema reader on a 1 MB schema file of many classes with many attributes each:
// reading and parsing it whole, and writing one changed colour back into it. And the start-up
// cost of the configuration we ship: reading and compiling every schema it names.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lexer/LexClass.h"
#include "lexer/SchemaReader.h"
#include "platform/CodePage.h"
#include "platform/IniFile.h"

namespace {

constexpr size_t kFileSize = 1 << 20;

std::string SchemaText() {
    std::string text = "// Generated for the benchmark.\r\n";
    for (int i = 0; text.size() < kFileSize; ++i) {
        std::string n = std::to_string(i);
        text += "lexClass:\r\n\tname = c_Class" + n +
                "\r\n"
                "\tparent = c_Top\r\n"
                "\tchildren = c_Comment, c_String\r\n"
                "\tstart:tag = '/*', '<!--'\r\n"
                "\tend:tag = '*/', '-->'\r\n"
                "\ttoken:tag = 'if', 'else', 'while', 'it\\'s'\r\n"
                "\ttoken:start:separators = @specs, ' '\r\n"
                "\ttxt:colorFG = 0x00FF00  // green\r\n"
                "\ttxt:colorBK = 0xFFFFFF\r\n"
                "\ttxt:Bold = 1\r\n"
                "\tCollapsable = 1\r\n"
                "\tCollapsedText = '...'\r\n"
                "//:lexClass\r\n\r\n";
    }
    return text;
}

// The generated file, removed at the end.
class SchemaFile {
public:
    SchemaFile() {
        std::random_device random;
        native_ = std::filesystem::temp_directory_path() / ("pw-bench-" + std::to_string(random()) + ".sch");
        std::string text = SchemaText();
        std::ofstream(native_, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
        path_ = pw::Widen(native_.string());
    }
    ~SchemaFile() {
        std::error_code ignored;
        std::filesystem::remove(native_, ignored);
    }
    SchemaFile(const SchemaFile&) = delete;
    SchemaFile& operator=(const SchemaFile&) = delete;

    const std::wstring& Path() const { return path_; }
    int64_t Size() const { return static_cast<int64_t>(std::filesystem::file_size(native_)); }

private:
    std::filesystem::path native_;
    std::wstring path_;
};

void ReadOneMegabyteSchema(benchmark::State& state) {
    SchemaFile file;
    SchemaReader reader;
    for (auto _ : state) {
        reader.ReadSchemaFile(file.Path(), true);
        benchmark::DoNotOptimize(reader.GetDefinitions().size());
    }
    state.counters["classes"] = static_cast<double>(reader.GetDefinitions().size());
    state.SetBytesProcessed(state.iterations() * file.Size());
}
BENCHMARK(ReadOneMegabyteSchema)->Unit(benchmark::kMillisecond);

void WriteBackOneColourIntoOneMegabyteSchema(benchmark::State& state) {
    SchemaFile file;
    SchemaReader reader;
    reader.ReadSchemaFile(file.Path(), true);
    SchemaCache cache;
    reader.CopyCache(cache);
    SchemaFileDefs defs = cache.begin()->second;
    defs.modified = true;
    int colour = 0;
    for (auto _ : state) {
        defs.classes[defs.classes.size() / 2].attributes[6].values = {std::to_wstring(++colour % 2)};
        if (reader.WriteBack(file.Path(), defs) != 1)
            state.SkipWithError("write-back failed");
    }
    state.SetBytesProcessed(state.iterations() * file.Size());
}
BENCHMARK(WriteBackOneColourIntoOneMegabyteSchema)->Unit(benchmark::kMillisecond);

// A file of the shipped configuration, found from this source file: bench/ lies beside config/.
std::wstring ShippedConfigPath(std::wstring_view relative) {
    std::filesystem::path folder =
        std::filesystem::path(__FILE__).parent_path().parent_path() / "config" / "EditConfig";
    return pw::Widen(folder.string()) + L"/" + std::wstring(relative);
}

// What the configuration manager does for the schemes at start-up, without building the trees.
void ReadAndCompileShippedSchemas(benchmark::State& state) {
    std::vector<std::wstring> paths;
    for (const pw::IniEntry& entry : pw::IniSection(ShippedConfigPath(L"Penwright.ini"), L"schemes"))
        paths.push_back(ShippedConfigPath(entry.value));
    if (paths.empty()) {
        state.SkipWithError("no shipped configuration");
        return;
    }
    SchemaReader reader;
    size_t classes = 0;
    for (auto _ : state) {
        classes = 0;
        for (const std::wstring& path : paths) {
            reader.ReadSchemaFile(path, true);
            for (const LexClassDef& def : reader.GetDefinitions()) {
                pw::RefPtr<LexClass> cls = pw::MakeRef<LexClass>();
                cls->SetName(def.name);
                for (const LexAttrDef& attr : def.attributes) cls->ApplyAttribute(attr);
                ++classes;
            }
        }
        benchmark::DoNotOptimize(classes);
    }
    state.counters["schemas"] = static_cast<double>(paths.size());
    state.counters["classes"] = static_cast<double>(classes);
}
BENCHMARK(ReadAndCompileShippedSchemas)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
