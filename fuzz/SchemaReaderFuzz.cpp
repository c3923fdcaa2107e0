// Arbitrary bytes read as a schema file, then written back with new values and read again.
// Besides crashes, hangs and sanitizer reports it looks for definitions that break the reader's
// promises, and for a write-back that changes more than the values: read again, the file must
// hold the same classes and attributes, each with exactly the values written. The file is
// replaced only when that is possible at all (no line shared by two statements).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Names and attribute names, each class on a line of its own.
std::wstring Outline(const std::vector<LexClassDef>& classes) {
    std::wstring out;
    for (const LexClassDef& cls : classes) {
        out += cls.name;
        for (const LexAttrDef& attribute : cls.attributes) out += L" " + attribute.FullName();
        out += L"\n";
    }
    return out;
}

// The file that each input is written to, removed at the end of the run.
struct SchemaFile {
    SchemaFile() {
        // In memory where there is such a folder: every write-back flushes its file to disk.
        std::filesystem::path folder =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        native = folder / ("pw-schema-fuzz-" + std::to_string(std::random_device()()) + ".sch");
        path = pw::Widen(native.string());
    }
    ~SchemaFile() {
        std::error_code ignored;
        std::filesystem::remove(native, ignored);
    }
    std::filesystem::path native;
    std::wstring path;
};

// Whether the file reads as text of the system code page rather than byte by byte. Where a
// write-back changes that, names outside ASCII read differently although their bytes stayed.
bool IsSystemText(const std::wstring& path) {
    std::optional<std::string> bytes = pw::ReadFileBytes(path);
    std::wstring text;
    return bytes && pw::MultiByteToUtf16(pw::kCodePageSystem, *bytes, text);
}

bool HasUniqueNames(const std::vector<LexClassDef>& classes) {
    for (size_t i = 0; i < classes.size(); ++i)
        for (size_t j = i + 1; j < classes.size(); ++j)
            if (EqualNoCase(classes[i].name, classes[j].name))
                return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const SchemaFile file;
    const std::wstring& path = file.path;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(file.native, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(size));

    const bool systemText = IsSystemText(path);
    SchemaReader& reader = SchemaReader::Instance();
    reader.ReadSchemaFile(path, true);
    const std::vector<LexClassDef> read = reader.GetDefinitions();
    size_t previous = 0;
    for (const LexClassDef& cls : read) {
        Check(!cls.name.empty() && cls.firstLine >= previous && cls.lastLine >= cls.firstLine);
        previous = cls.lastLine;
        for (const LexAttrDef& attribute : cls.attributes)
            Check(!attribute.values.empty() && attribute.valueLength > 0 &&
                  attribute.value.line <= cls.lastLine);
    }

    // Every value becomes two words, which no neighbouring character can join or split.
    SchemaCache cache;
    reader.CopyCache(cache);
    SchemaFileDefs edited = cache[FoldCase(path)];
    Check(Outline(edited.classes) == Outline(read));
    edited.modified = true;
    for (LexClassDef& cls : edited.classes)
        for (LexAttrDef& attribute : cls.attributes) attribute.values = {L"v", L"w"};
    if (reader.WriteBack(path, edited) == 0) {
        // Only a CR without a line feed, which puts two statements on one line, stops it.
        std::optional<std::string> after = pw::ReadFileBytes(path);
        Check(after && *after == bytes &&
              bytes.substr(0, bytes.find('\0')).find('\r') != std::string_view::npos);
        return 0;
    }
    reader.ReadSchemaFile(path, false);
    Check(Outline(reader.GetDefinitions()) == Outline(read) || IsSystemText(path) != systemText);
    for (const LexClassDef& cls : reader.GetDefinitions())
        for (const LexAttrDef& attribute : cls.attributes)
            Check(attribute.values == std::vector<std::wstring>{L"v", L"w"});

    // Leaving out the first class leaves the others as they were.
    if (!edited.classes.empty() && HasUniqueNames(edited.classes)) {
        edited.classes.erase(edited.classes.begin());
        Check(reader.WriteBack(path, edited) == 1);
        reader.ReadSchemaFile(path, false);
        Check(Outline(reader.GetDefinitions()) == Outline(edited.classes) ||
              IsSystemText(path) != systemText);
    }
    return 0;
}
