// Colour themes over the class trees of a schema.
#include <cstdint>
#include <optional>

#include "lexer/LexText.h"
#include "lexer/LexTextAttributes.h"
#include "parser/TextSchema.h"
#include "platform/CriticalSection.h"  // ScopedLock

namespace {

using Lock = pw::ScopedLock<pw::TimedMutex>;

constexpr wchar_t kTextPrefix[] = L"txt:";

// A theme value as "%x" reads it: blanks, a sign, an optional "0x", hexadecimal digits up to the
// first other character, kept to 32 bits. None without digits: such a key sets nothing.
std::optional<int32_t> ParseHex(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsLexSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    if (i + 2 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
        DigitValue(text[i + 2]) < 16)
        i += 2;
    uint32_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && DigitValue(text[i]) < 16; ++i, ++digits)
        value = (value << 4) | DigitValue(text[i]);
    if (digits == 0)
        return std::nullopt;
    return static_cast<int32_t>(negative ? 0u - value : value);
}

}  // namespace

void TextSchema::ApplyTheme(const ThemeSections* theme) {
    Lock parse(parseLock_);
    Lock data(chain_.DataLock());
    ApplyTheme(classSet_.GetTree(ClassSet::kFullTree), theme, 0);
    ApplyTheme(classSet_.GetTree(ClassSet::kCompleteParseTree), theme, 0);
}

void TextSchema::ApplyTheme(const ClassSet::ClassList& list, const ThemeSections* theme, int depth) {
    // The trees are built within this nesting; the bound only keeps a damaged tree finite.
    if (depth > ClassSet::kMaxNesting)
        return;
    for (const pw::RefPtr<LexClass>& cls : list) {
        ApplyTheme(cls->GetChildren(), theme, depth + 1);
        ApplyTheme(cls->GetDynamicChildren(), theme, depth + 1);
        if (pw::RefPtr<LexClass> source = classSet_.FindTemplate(cls->GetName()); source && source != cls)
            cls->CopyProperties(*source, kTextPrefix);
        const std::map<std::wstring, std::wstring>* section =
            theme ? theme->FindClassSection(cls->GetName()) : nullptr;
        if (!section)
            continue;
        for (const auto& [key, text] : *section) {
            std::optional<int32_t> number = ParseHex(text);
            if (!number)
                continue;
            const std::wstring name = kTextPrefix + key;
            if (StartsWithNoCase(name, L"txt:color"))
                *number = SwapRedBlue(*number);
            cls->SetProperty(name, LexValue::MakeNumber(*number));
        }
    }
}

bool TextSchema::SetBlockClassProperty(const TextBlock& block, std::wstring_view key,
                                       pw::RefPtr<LexValue> value) {
    Lock parse(parseLock_);
    Lock data(chain_.DataLock());
    if (!block.lexClass)
        return false;
    block.lexClass->SetProperty(key, std::move(value));
    return true;
}
