#pragma once
// Schema definitions as text, so that a test compares whole results at once: one line per
// class with its name, and one per attribute with its name parts separated by blanks and each
// value in brackets.
#include <string>
#include <vector>

#include "lexer/LexClassDef.h"

namespace pwtest {

inline std::wstring Describe(const std::vector<LexClassDef>& classes) {
    std::wstring out;
    for (const LexClassDef& cls : classes) {
        out += cls.name + L"\n";
        for (const LexAttrDef& attribute : cls.attributes) {
            out += L" ";
            for (const std::wstring& part : attribute.nameParts) out += L" " + part;
            out += L" =";
            for (const std::wstring& value : attribute.values) out += L" [" + value + L"]";
            out += L"\n";
        }
    }
    return out;
}

}  // namespace pwtest
