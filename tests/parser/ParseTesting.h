#pragma once
// Schemas from schema text or from the shipped configuration, parses over a buffer, and the
// blocks of a parse as text: one block a line in chain order, indented by nesting.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "buffer/BufferTesting.h"
#include "buffer/LineReader.h"
#include "parser/ParseSetup.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

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

// A shipped language: its folder under tests/data, the schema that colours it and the extension
// of its sample there.
struct LanguageSample {
    const char* folder;
    const wchar_t* schema;
    const wchar_t* ext;
};

// clang-format off
inline constexpr LanguageSample kLanguageSamples[] = {
    {"cpp", L"cpp.pws", L".cpp"}, {"python", L"python.pws", L".py"}, {"javascript", L"javascript.pws", L".js"},
    {"html", L"html.pws", L".html"}, {"json", L"json.pws", L".json"}, {"batch", L"batch.pws", L".bat"},
    {"csharp", L"csharp.pws", L".cs"}, {"css", L"css.pws", L".css"}, {"ini", L"ini.pws", L".ini"},
    {"java", L"java.pws", L".java"}, {"markdown", L"markdown.pws", L".md"},
    {"powershell", L"powershell.pws", L".ps1"}, {"shell", L"shell.pws", L".sh"}, {"sql", L"sql.pws", L".sql"},
    {"typescript", L"typescript.pws", L".ts"}, {"vb", L"vb.pws", L".vb"}, {"vbscript", L"vbscript.pws", L".vbs"},
    {"xml", L"xml.pws", L".xml"},
};
// clang-format on

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
