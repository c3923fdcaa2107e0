#pragma once
// Schemas from schema files, buffers of whole texts and whole parses: what the parser tests and
// the parser benchmarks both set up. No test framework here, so the benchmarks can use it.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "buffer/BufferManager.h"
#include "buffer/TextIterator.h"
#include "lexer/LexClassDef.h"
#include "lexer/SchemaReader.h"
#include "parser/ClassSet.h"
#include "parser/ParserOptions.h"
#include "parser/TextSchema.h"
#include "platform/RefCounted.h"

using SchemaPtr = pw::RefPtr<TextSchema>;

// The classes of `definitions` as a schema named `name`, its trees built when they can be
// (EnsureTrees tells, and builds nothing twice).
inline SchemaPtr MakeSchema(const std::vector<LexClassDef>& definitions, std::wstring name) {
    SchemaPtr schema = pw::MakeRef<TextSchema>(std::move(name));
    for (const LexClassDef& def : definitions) {
        pw::RefPtr<LexClass> cls = ClassSet::CreateClass(false);
        cls->SetName(def.name);
        for (const LexAttrDef& attr : def.attributes) cls->ApplyAttribute(attr);
        schema->GetClassSet().AddTemplate(cls);
    }
    schema->EnsureTrees();
    return schema;
}

// The schema in the file `path`, named `name`.
inline SchemaPtr ReadSchema(const std::wstring& path, std::wstring name) {
    SchemaReader reader;
    reader.ReadSchemaFile(path, false);
    return MakeSchema(reader.GetDefinitions(), std::move(name));
}

// A buffer holding `text`, rows split at its line ends, for a file with the extension `ext`.
inline pw::RefPtr<CQELPenwrightBufferManager> BufferOf(std::wstring_view text, const std::wstring& ext) {
    auto buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    buffer->SetFileExt(ext);
    if (!text.empty())
        buffer->InsertText(text, 1, 1, false);
    return buffer;
}

// An iterator over the buffer as the parser makes one: it looks back as far as the options for
// the buffer's file say, and how far decides what some classes see before a position.
inline pw::RefPtr<TextIterator> ParserIterator(const TextSchema& schema, CQELPenwrightBufferManager& buffer) {
    pw::RefPtr<LexClass> fileClass = schema.FileClass(buffer.GetFileExt());
    return pw::MakeRef<TextIterator>(&buffer, ParserOptions::Read(fileClass.get())->backParseOffset);
}

// A parse of the whole text, as a first parse does it.
inline int32_t FullParse(TextSchema& schema, CQELPenwrightBufferManager& buffer) {
    return schema.Run(ClassSet::kCompleteParseTree, ParserIterator(schema, buffer).get(), LineCol{1, 0},
                      std::nullopt, false);
}
