#pragma once
// The colours and font styles of one lex class as the colour page shows them, read from and
// written to its "txt:" attributes, and the record of the user's edits. The page edits a copy
// of each schema file's definitions; Apply replays the recorded edits onto the file's
// definitions as they are then, so that whatever changed in the file meanwhile stays.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexClassDef.h"

enum class ClassColor { kText, kBack, kSelText, kSelBack };
enum class ClassStyle { kBold, kItalic, kUnderline };

std::wstring_view AttributeName(ClassColor color);
std::wstring_view AttributeName(ClassStyle style);

// A colour as Windows keeps it (0x00BBGGRR).
using ColorRef = uint32_t;

struct ClassLook {
    // None where the class sets no colour of its own (the attribute is missing, -1, or no number).
    std::array<std::optional<ColorRef>, 4> colors;
    std::array<bool, 3> styles{};
};

// What the class compiler makes of the attributes: numbers with "0x" hexadecimal and leading-0
// octal, colours written 0xRRGGBB, a style on when its number is not 0; the last occurrence of
// an attribute counts.
ClassLook ReadLook(const LexClassDef& definition);

// The line of the attribute list: "DisplayName" without apostrophes, its values joined with
// ", ", or the class name when there is none.
std::wstring DisplayName(const LexClassDef& definition);

// One change of one attribute of one class: the `occurrence`-th class of that name in the file
// (0 the first), the attribute set to `value` or, without one, removed.
struct SchemaEdit {
    std::wstring className;
    size_t occurrence = 0;
    std::wstring attribute;
    std::optional<std::wstring> value;
};

// Carries the edit out: an attribute written takes one line, the last occurrence's, and the
// earlier ones go. False when the file has no such class (any more).
bool ApplyEdit(std::vector<LexClassDef>& classes, const SchemaEdit& edit);

// One schema file's definitions as the page shows them, and the edits made to them.
class ClassColorsEditor {
public:
    explicit ClassColorsEditor(std::vector<LexClassDef> classes);

    const std::vector<LexClassDef>& Classes() const { return classes_; }
    ClassLook Look(size_t index) const { return ReadLook(classes_.at(index)); }

    // A colour the user chose; none (the picker's default) removes the attribute, so that the
    // class falls back to whatever the default is at the time. Written masked to 24 bits.
    void SetColor(size_t index, ClassColor color, std::optional<ColorRef> value);
    // The style's attribute goes; on, it comes back with the value "1".
    void SetStyle(size_t index, ClassStyle style, bool on);
    // Every colour and style attribute of the class removed.
    void Reset(size_t index);

    bool IsModified() const { return !edits_.empty(); }
    const std::vector<SchemaEdit>& Edits() const { return edits_; }
    // The edits replayed onto the file's definitions as read now; marks them modified when any
    // edit found its class.
    void Replay(SchemaFileDefs& current) const;
    // After a successful write-back: the edits are in the file.
    void Written() { edits_.clear(); }

private:
    SchemaEdit& Record(size_t index, std::wstring_view attribute, std::optional<std::wstring> value);

    std::vector<LexClassDef> classes_;
    std::vector<SchemaEdit> edits_;
};
