#include "options/ClassColors.h"

#include <algorithm>
#include <cwchar>
#include <utility>

#include "lexer/LexClass.h"
#include "lexer/LexText.h"
#include "lexer/LexTextAttributes.h"
#include "lexer/LexValue.h"

namespace {

constexpr std::wstring_view kColorNames[] = {L"txt:colorFG", L"txt:colorBK", L"txt:colorSelFG",
                                             L"txt:colorSelBK"};
constexpr std::wstring_view kStyleNames[] = {L"txt:Bold", L"txt:Italic", L"txt:Underline"};

// The number an attribute holds as the class compiler reads it: none when it is missing or
// quoted (a string, which no number property takes) or has several values.
std::optional<int32_t> NumberOf(const LexClassDef& definition, std::wstring_view name) {
    const LexAttrDef* attribute = definition.FindAttribute(name);
    if (!attribute || attribute->values.size() != 1)
        return std::nullopt;
    std::wstring quoted;
    if (LexClass::ParseQuoted(attribute->values[0], quoted))
        return std::nullopt;
    return LexValue::ParseNumber(attribute->values[0]);
}

}  // namespace

std::wstring_view AttributeName(ClassColor color) {
    return kColorNames[static_cast<int>(color)];
}
std::wstring_view AttributeName(ClassStyle style) {
    return kStyleNames[static_cast<int>(style)];
}

ClassLook ReadLook(const LexClassDef& definition) {
    ClassLook look;
    for (size_t i = 0; i < look.colors.size(); ++i) {
        std::optional<int32_t> number = NumberOf(definition, kColorNames[i]);
        if (number && *number != kColorNotSet)
            look.colors[i] = static_cast<ColorRef>(SwapRedBlue(*number)) & 0xFFFFFF;
    }
    for (size_t i = 0; i < look.styles.size(); ++i)
        look.styles[i] = NumberOf(definition, kStyleNames[i]).value_or(0) != 0;
    return look;
}

std::wstring DisplayName(const LexClassDef& definition) {
    const LexAttrDef* name = definition.FindAttribute(L"DisplayName");
    if (!name || name->values.empty())
        return definition.name;
    std::wstring shown;
    for (const std::wstring& value : name->values) {
        if (!shown.empty())
            shown += L", ";
        shown += value;
    }
    std::erase(shown, L'\'');
    return shown;
}

bool ApplyEdit(std::vector<LexClassDef>& classes, const SchemaEdit& edit) {
    size_t seen = 0;
    for (LexClassDef& definition : classes) {
        if (!EqualNoCase(definition.name, edit.className) || seen++ != edit.occurrence)
            continue;
        if (!edit.value) {
            definition.RemoveAttribute(edit.attribute);
            return true;
        }
        // Only the last occurrence takes effect: the earlier ones go, so that the file says once
        // what the class does.
        if (const LexAttrDef* last = definition.FindAttribute(edit.attribute)) {
            const size_t keep = last - definition.attributes.data();
            for (size_t i = keep; i-- > 0;)
                if (EqualNoCase(definition.attributes[i].FullName(), edit.attribute))
                    definition.attributes.erase(definition.attributes.begin() + i);
        }
        definition.SetAttribute(edit.attribute, {*edit.value});
        return true;
    }
    return false;
}

ClassColorsEditor::ClassColorsEditor(std::vector<LexClassDef> classes) : classes_(std::move(classes)) {}

SchemaEdit& ClassColorsEditor::Record(size_t index, std::wstring_view attribute,
                                      std::optional<std::wstring> value) {
    const LexClassDef& definition = classes_.at(index);
    SchemaEdit edit{definition.name, 0, std::wstring(attribute), std::move(value)};
    for (size_t i = 0; i < index; ++i)
        edit.occurrence += EqualNoCase(classes_[i].name, definition.name) ? 1 : 0;
    ApplyEdit(classes_, edit);
    // A later edit of the same attribute makes an earlier one pointless.
    std::erase_if(edits_, [&](const SchemaEdit& e) {
        return e.occurrence == edit.occurrence && EqualNoCase(e.className, edit.className) &&
               EqualNoCase(e.attribute, edit.attribute);
    });
    return edits_.emplace_back(std::move(edit));
}

void ClassColorsEditor::SetColor(size_t index, ClassColor color, std::optional<ColorRef> value) {
    std::optional<std::wstring> written;
    if (value) {
        wchar_t text[16];
        std::swprintf(text, 16, L"0x%06X",
                      static_cast<unsigned>(SwapRedBlue(static_cast<int32_t>(*value)) & 0xFFFFFF));
        written = text;
    }
    Record(index, AttributeName(color), std::move(written));
}

void ClassColorsEditor::SetStyle(size_t index, ClassStyle style, bool on) {
    Record(index, AttributeName(style), on ? std::optional<std::wstring>(L"1") : std::nullopt);
}

void ClassColorsEditor::Reset(size_t index) {
    for (std::wstring_view name : kColorNames) Record(index, name, std::nullopt);
    for (std::wstring_view name : kStyleNames) Record(index, name, std::nullopt);
}

void ClassColorsEditor::Replay(SchemaFileDefs& current) const {
    for (const SchemaEdit& edit : edits_)
        if (ApplyEdit(current.classes, edit))
            current.modified = true;
}
