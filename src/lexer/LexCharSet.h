#pragma once
// A named character set of the schema language ("@digit", "@alpha:not"): a set identifier from
// the process-wide table and a negation flag.
#include <string_view>

class LexCharSet {
public:
    // Identifiers of the table; 0 is a name the table does not know, a set without members.
    enum Id : int { kUnknown = 0, kAlpha = 1, kDigit = 2, kHexDigit = 3, kSpecs = 4, kEol = 5 };

    LexCharSet() = default;
    LexCharSet(int id, bool negated) : id_(id), negated_(negated) {}

    // "@name" or "@name:not" (the name and "not" in any case). Further ":" pieces are ignored.
    static LexCharSet Parse(std::wstring_view text);
    // The identifier of a set name with its "@", case ignored; kUnknown for any other name.
    static int FindSet(std::wstring_view name);

    int GetId() const { return id_; }
    bool IsNegated() const { return negated_; }
    // Sets hold exact characters: "@alpha" is the ASCII letters only.
    bool Matches(wchar_t ch) const { return Contains(id_, ch) != negated_; }

    friend bool operator==(const LexCharSet&, const LexCharSet&) = default;

private:
    static bool Contains(int id, wchar_t ch);

    int id_ = kUnknown;
    bool negated_ = false;
};
