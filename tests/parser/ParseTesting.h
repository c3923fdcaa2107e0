#pragma once
// Schemas from schema text or from the shipped configuration, parses over a buffer, and the
// blocks of a parse as text: one block a line in chain order, indented by nesting.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "buffer/BufferTesting.h"
#include "buffer/LineReader.h"
#include "parser/ParseSetup.h"
#include "platform/CodePage.h"
#include "platform/Event.h"
#include "platform/FileSystem.h"

// Runs `f` while another thread holds the schema's data lock, as a parse holding it long would.
template <class F>
void HoldingTheDataLock(TextSchema& schema, F f) {
    pw::Event held, release;
    std::thread holder([&] {
        schema.DataLock().Lock();
        held.Set();
        release.Wait();
        schema.DataLock().Unlock();
    });
    held.Wait();
    f();
    release.Set();
    holder.join();
}

// A schema of the classes in `text`, its trees built.
inline SchemaPtr SchemaFromText(const std::wstring& text) {
    SchemaReader reader;
    reader.ParseText(text);
    SchemaPtr schema = MakeSchema(reader.GetDefinitions(), L"test");
    EXPECT_TRUE(schema->EnsureTrees());
    return schema;
}

// A shipped schema by file name ("cpp.pws"); PW_CONFIG_DIR comes from the build.
inline SchemaPtr ShippedSchema(std::wstring_view file) {
    SchemaPtr schema =
        ReadSchema(pw::Widen(PW_CONFIG_DIR) + L"/Schemas/" + std::wstring(file), std::wstring(file));
    EXPECT_TRUE(schema->EnsureTrees());
    return schema;
}

inline Buffer BufferWith(const Rows& rows, const std::wstring& ext) {
    Buffer buffer = MakeBuffer(rows);
    buffer->SetFileExt(ext);
    return buffer;
}

inline int Depth(const TextBlock* b) {
    int depth = 0;
    for (const TextBlock* p = b->parent.get(); p; p = p->parent.get()) ++depth;
    return depth;
}

// "(row,col - row,col) - class" per block, indented two blanks per enclosing block.
inline std::string DumpBlocks(TextSchema& schema) {
    std::string out;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock)
        out += std::string(2 * Depth(b.get()), ' ') + pw::Narrow(DescribeBlock(b.get())) + "\n";
    return out;
}

// Everything that tells two results apart: per block its place in the chain, its parent's
// place, positions, extents and how it ended. Broken links show as "!".
inline std::string DumpExact(TextSchema& schema) {
    std::map<const TextBlock*, int> index;
    int n = 0;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock) index[b.get()] = n++;
    std::string out;
    const TextBlock* prev = nullptr;
    for (pw::RefPtr<TextBlock> b = schema.GetChain().HeadBlock(); b; b = b->nextBlock) {
        auto parent = index.find(b->parent.get());
        out += std::to_string(index[b.get()]) + " ^" +
               (b->parent ? (parent == index.end() ? std::string("!") : std::to_string(parent->second))
                          : std::string("-")) +
               (b->prevBlock.get() != prev ? " !prev" : "") + " " + pw::Narrow(DescribeBlock(b.get())) +
               " +" + std::to_string(b->startTokenExtent) + "/" + std::to_string(b->endTokenExtent) + " i" +
               std::to_string(b->implicitEnd) + "\n";
        prev = b.get();
    }
    return out;
}

// A shipped language: its folder under tests/data, the schema that colours it, the extension
// of its sample there, and the fragments whose insertion changes most about its blocks: its
// comment, string and bracket tags.
struct LanguageSample {
    const char* folder;
    const wchar_t* schema;
    const wchar_t* ext;
    std::vector<std::wstring> fragments;
};

// Test names and messages show the folder.
inline void PrintTo(const LanguageSample& lang, std::ostream* out) {
    *out << lang.folder;
}

// clang-format off
inline const LanguageSample kLanguageSamples[] = {
    {"cpp", L"cpp.pws", L".cpp", {L"/*", L"*/", L"\"", L"'", L"{", L"}", L"//", L"#", L"R\"(", L")\"", L"\\", L"0x1"}},
    {"python", L"python.pws", L".py", {L"#", L"\"\"\"", L"'''", L"\"", L"'", L"(", L")", L"[", L"]", L"{", L"}", L"\\"}},
    {"javascript", L"javascript.pws", L".js", {L"/*", L"*/", L"\"", L"'", L"`", L"{", L"}", L"//", L"/", L"\\/", L"= /"}},
    {"html", L"html.pws", L".html", {L"<", L">", L"</", L"<!--", L"-->", L"\"", L"'", L"<script>", L"</script>", L"<style>", L"</style>", L"/*", L"{", L"}", L"<br", L"="}},
    {"json", L"json.pws", L".json", {L"{", L"}", L"[", L"]", L"\"", L",", L":", L"/*", L"*/", L"//", L"-", L"\\\""}},
    {"batch", L"batch.pws", L".bat", {L"rem ", L"::", L"\"", L"%", L"(", L")", L":", L"&", L"@"}},
    {"csharp", L"csharp.pws", L".cs", {L"/*", L"*/", L"\"", L"\"\"\"", L"'", L"{", L"}", L"//", L"#region", L"#endregion", L"@\"", L"#"}},
    {"css", L"css.pws", L".css", {L"/*", L"*/", L"{", L"}", L"\"", L"'", L":", L";", L"-", L"#"}},
    {"ini", L"ini.pws", L".ini", {L"[", L"]", L";", L"\"", L"=", L"#"}},
    {"java", L"java.pws", L".java", {L"/*", L"*/", L"\"", L"\"\"\"", L"'", L"{", L"}", L"//", L"\\"}},
    {"markdown", L"markdown.pws", L".md", {L"#", L"*", L"**", L"_", L"`", L"```", L"~~~", L"<!--", L"-->", L">", L"](", L"<http:", L")", L"["}},
    {"powershell", L"powershell.pws", L".ps1", {L"#", L"<#", L"#>", L"\"", L"'", L"@\"", L"\"@", L"@'", L"'@", L"$", L"$(", L")", L"{", L"}", L"`"}},
    {"shell", L"shell.pws", L".sh", {L"#", L"\"", L"'", L"$", L"$(", L"$((", L"${", L"}", L")", L"))", L"<<EOF", L"EOF", L"`", L"\\"}},
    {"sql", L"sql.pws", L".sql", {L"--", L"/*", L"*/", L"'", L"\"", L"(", L")", L"''", L"1"}},
    {"typescript", L"typescript.pws", L".ts", {L"/*", L"*/", L"\"", L"'", L"`", L"{", L"}", L"//", L"/", L"(/"}},
    {"vb", L"vb.pws", L".vb", {L"'", L"\"", L"\"\"", L"Rem ", L"#Region", L"#End Region", L"&H", L"_", L":"}},
    {"vbscript", L"vbscript.pws", L".vbs", {L"'", L"\"", L"\"\"", L"Rem ", L"&H", L":", L"_"}},
    {"xml", L"xml.pws", L".xml", {L"<", L">", L"</", L"<!--", L"-->", L"<?", L"?>", L"<![CDATA[", L"]]>", L"\"", L"'", L"/>", L"="}},
};
// clang-format on

// How many random cases a property runs: `byDefault`, modest since the sanitizer and Wine builds
// run them too, unless PW_RANDOM_EDITS asks for more in a longer soak.
inline int RandomCases(int byDefault) {
    const char* value = std::getenv("PW_RANDOM_EDITS");
    const int n = value ? std::atoi(value) : 0;
    return n > 0 ? n : byDefault;
}

// Line breaks, blanks and plain text matter in every language.
inline const std::vector<std::wstring> kCommonFragments = {L"\r\n", L"\n", L" ", L"\t", L"x", L"1"};

// The rows of a language's sample; tests/data lies beside the shipped configuration, whose path
// already carries the drive prefix under Wine.
inline Rows SampleRows(const LanguageSample& lang) {
    const std::wstring path =
        pw::Widen(PW_CONFIG_DIR) + L"/../../tests/data/" + pw::Widen(lang.folder) + L"/sample" + lang.ext;
    std::optional<std::string> bytes = pw::ReadFileBytes(path);
    EXPECT_TRUE(bytes.has_value()) << pw::Narrow(path);
    Rows rows;
    const std::wstring text = pw::Widen(bytes.value_or(std::string()));
    LineReader reader(text);
    while (std::optional<TextLine> line = reader.Next()) rows.push_back(line->text);
    return rows;
}
