#include "lexer/LexCharSet.h"

#include "lexer/LexText.h"

namespace {

struct NamedSet {
    std::wstring_view name;
    int id;
};

// Built once for the process; the names are stored folded.
constexpr NamedSet kSets[] = {
    {L"@alpha", LexCharSet::kAlpha}, {L"@digit", LexCharSet::kDigit}, {L"@hexdigit", LexCharSet::kHexDigit},
    {L"@specs", LexCharSet::kSpecs}, {L"@eol", LexCharSet::kEol},
};

// The 32 ASCII punctuation characters.
constexpr std::wstring_view kSpecChars = L"~`!@#$%^&*()_-+=\\|{}[];:'\",.<>/?";
static_assert(kSpecChars.size() == 32);

bool IsDigit(wchar_t ch) {
    return ch >= L'0' && ch <= L'9';
}

bool IsAsciiLetter(wchar_t ch) {
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

}  // namespace

LexCharSet LexCharSet::Parse(std::wstring_view text) {
    size_t colon = text.find(L':');
    int id = FindSet(text.substr(0, colon));
    if (colon == std::wstring_view::npos)
        return LexCharSet(id, false);
    std::wstring_view modifier = text.substr(colon + 1);
    modifier = modifier.substr(0, modifier.find(L':'));
    return LexCharSet(id, EqualNoCase(modifier, L"not"));
}

int LexCharSet::FindSet(std::wstring_view name) {
    for (const NamedSet& set : kSets)
        if (EqualNoCase(set.name, name))
            return set.id;
    return kUnknown;
}

bool LexCharSet::Contains(int id, wchar_t ch) {
    switch (id) {
        case kAlpha:
            return IsAsciiLetter(ch);
        case kDigit:
            return IsDigit(ch);
        case kHexDigit:
            return IsDigit(ch) || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
        case kSpecs:
            return kSpecChars.find(ch) != std::wstring_view::npos;
        case kEol:
            return ch == L'\r' || ch == L'\n';
        default:
            return false;
    }
}
