#pragma once
// One typed value of the schema language: a property of a class, a group of a condition list or
// the answer to a lookup. Values are immutable once made and shared by reference count, so a
// class, its copies and a caller may hold the same one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexCharSet.h"
#include "lexer/LexValueList.h"
#include "platform/RefCounted.h"

class LexClass;

class LexValue : public pw::RefCounted {
public:
    // The codes are part of the interface: callers test them.
    enum Kind : int {
        kEmpty = 0,
        kClassNames = 1,
        kClass = 2,
        kList = 4,
        kNumber = 256,
        kStrings = 512,
        kCharSet = 1024,
    };

    static pw::RefPtr<LexValue> MakeEmpty();
    static pw::RefPtr<LexValue> MakeNumber(int32_t number);
    static pw::RefPtr<LexValue> MakeStrings(std::vector<std::wstring> strings);
    static pw::RefPtr<LexValue> MakeClassNames(std::vector<std::wstring> names);
    static pw::RefPtr<LexValue> MakeCharSet(LexCharSet set);
    static pw::RefPtr<LexValue> MakeList(LexValueList list);
    static pw::RefPtr<LexValue> MakeClass(pw::RefPtr<LexClass> cls);

    // Reads a number the way wcstol with base 0 reads it where long has 32 bits: leading white
    // space, a sign, then "0x" hexadecimal, a leading 0 octal, or decimal, up to the first
    // character that is no digit; no digits read as 0, and too large a number as the nearest
    // limit.
    static int32_t ParseNumber(std::wstring_view text);

    int GetKind() const { return kind_; }
    int32_t GetNumber() const { return number_; }
    // Strings or class names.
    const std::vector<std::wstring>& GetStrings() const { return strings_; }
    const LexCharSet& GetCharSet() const { return charSet_; }
    const LexValueList& GetList() const { return list_; }
    const pw::RefPtr<LexClass>& GetClass() const { return class_; }

    // Same kind and same payload; strings compare exactly, classes by name (case ignored).
    bool Equals(const LexValue& other) const;
    friend bool operator==(const LexValue& a, const LexValue& b) { return a.Equals(b); }

private:
    explicit LexValue(int kind) : kind_(kind) {}
    ~LexValue() override;

    int kind_;
    int32_t number_ = 0;
    std::vector<std::wstring> strings_;
    LexCharSet charSet_;
    LexValueList list_;
    pw::RefPtr<LexClass> class_;
};
