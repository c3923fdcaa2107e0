#pragma once
// Turns schema text into raw definitions, keeps a copy of each file's definitions for the
// options dialog, and writes edited definitions back into a file without disturbing its
// comments and layout. One reader serves the process; its callers serialise their use of it.
//
// Schema files are in the system code page. A file that is not valid in it is read one byte
// per character, and written back the same way, so that its untouched lines keep their bytes.
// Schemas are named by path only: a name that is no file reads as a missing file.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexClassDef.h"

// Lower-cased path to the definitions read from that file.
using SchemaCache = std::map<std::wstring, SchemaFileDefs>;

class SchemaReader {
public:
    static SchemaReader& Instance();

    // Replaces the current definitions with those of the file; a missing or unreadable file or
    // a folder gives none. With `keepInCache` a copy goes into the cache under the path.
    void ReadSchemaFile(const std::wstring& path, bool keepInCache);
    // Replaces the current definitions with those of `text`; a NUL ends the text.
    void ParseText(std::wstring_view text);
    const std::vector<LexClassDef>& GetDefinitions() const { return definitions; }
    // Empties `destination` and fills it with a copy of every cache entry.
    void CopyCache(SchemaCache& destination) const;

    // Merges `edited` into the file (SchemaMerger): only the lines of what changed change, and
    // the file keeps its line ends. The file is replaced in one step. 1 when it was rewritten;
    // 0, the file untouched, when `edited` is not modified, the file cannot be read or
    // replaced, or the edited definitions cannot be written so that they read back as they are
    // (a value holding a line end, a character the file's encoding lacks...).
    // Leaves the current definitions empty.
    int WriteBack(const std::wstring& path, const SchemaFileDefs& edited);

    static std::wstring Unescape(std::wstring_view value);
    static std::wstring Escape(std::wstring_view value);

private:
    std::vector<LexClassDef> definitions;  // of the text read last
    SchemaCache cache;
};
