#pragma once
// Raw definitions of a schema file, as the reader found them and before any attribute is
// interpreted: blocks of attribute lines, with the places that write-back needs to put edited
// values back where they were.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A place in schema text: 1-based line (lines end with a line feed), 0-based column.
struct SchemaSpot {
    size_t line = 0;
    size_t column = 0;
};

// One attribute line: name parts joined by colons, "=", values.
struct LexAttrDef {
    std::vector<std::wstring> nameParts;  // as written, case kept
    std::vector<std::wstring> values;     // trimmed and unescaped; outer single quotes kept
    size_t line = 0;                      // the line of its last name part
    SchemaSpot start;                     // its first token
    SchemaSpot value;                     // its first value; all values stand on that line
    // Characters from the first character of the first value to the last of the last.
    size_t valueLength = 0;

    // The parts joined with ":".
    std::wstring FullName() const {
        std::wstring name;
        for (size_t i = 0; i < nameParts.size(); ++i) {
            if (i > 0)
                name += L':';
            name += nameParts[i];
        }
        return name;
    }
};

// One "lexClass:" block.
struct LexClassDef {
    std::wstring name;  // the name value as written: quotes and escapes untouched
    std::vector<LexAttrDef> attributes;
    size_t firstLine = 0;  // the line of "lexClass:"
    // The line of its last attribute or name line, so that nothing of it is left behind when
    // write-back leaves the block out; the first line when it has none.
    size_t lastLine = 0;

    // The attribute of that full name (case ignored) that takes effect: the last one given, as
    // a later value of a property replaces an earlier one. Null when there is none.
    LexAttrDef* FindAttribute(std::wstring_view fullName);
    const LexAttrDef* FindAttribute(std::wstring_view fullName) const;
    // The options dialog's edits of a property. Setting changes the occurrence that takes
    // effect, or appends the attribute; removing takes every occurrence, so that no earlier one
    // comes back into effect.
    void SetAttribute(std::wstring_view fullName, std::vector<std::wstring> values);
    void RemoveAttribute(std::wstring_view fullName);
};

// The definitions of one file, as the options dialog edits them.
struct SchemaFileDefs {
    std::vector<LexClassDef> classes;
    bool modified = false;  // set by the editor when a value changed; write-back needs it
};
