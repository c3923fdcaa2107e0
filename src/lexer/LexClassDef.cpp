#include "lexer/LexClassDef.h"

#include <algorithm>
#include <utility>

#include "lexer/LexText.h"

LexAttrDef* LexClassDef::FindAttribute(std::wstring_view fullName) {
    return const_cast<LexAttrDef*>(std::as_const(*this).FindAttribute(fullName));
}

const LexAttrDef* LexClassDef::FindAttribute(std::wstring_view fullName) const {
    auto found = std::find_if(attributes.rbegin(), attributes.rend(),
                              [&](const LexAttrDef& a) { return EqualNoCase(a.FullName(), fullName); });
    return found == attributes.rend() ? nullptr : &*found;
}

void LexClassDef::SetAttribute(std::wstring_view fullName, std::vector<std::wstring> values) {
    if (LexAttrDef* attribute = FindAttribute(fullName)) {
        attribute->values = std::move(values);
        return;
    }
    LexAttrDef& added = attributes.emplace_back();
    for (size_t from = 0;;) {
        size_t colon = std::min(fullName.find(L':', from), fullName.size());
        added.nameParts.emplace_back(fullName.substr(from, colon - from));
        if (colon == fullName.size())
            break;
        from = colon + 1;
    }
    added.values = std::move(values);
}

void LexClassDef::RemoveAttribute(std::wstring_view fullName) {
    std::erase_if(attributes, [&](const LexAttrDef& a) { return EqualNoCase(a.FullName(), fullName); });
}
