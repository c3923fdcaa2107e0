#include "lexer/LexValue.h"

#include <algorithm>
#include <utility>

#include "lexer/LexClass.h"
#include "lexer/LexText.h"

namespace {

bool SameClass(const LexClass* a, const LexClass* b) {
    if (!a || !b)
        return a == b;
    return EqualNoCase(a->GetName(), b->GetName());
}

}  // namespace

LexValue::~LexValue() = default;

pw::RefPtr<LexValue> LexValue::MakeEmpty() {
    return pw::RefPtr<LexValue>(new LexValue(kEmpty));
}

pw::RefPtr<LexValue> LexValue::MakeNumber(int32_t number) {
    pw::RefPtr<LexValue> value(new LexValue(kNumber));
    value->number_ = number;
    return value;
}

pw::RefPtr<LexValue> LexValue::MakeStrings(std::vector<std::wstring> strings) {
    pw::RefPtr<LexValue> value(new LexValue(kStrings));
    value->strings_ = std::move(strings);
    return value;
}

pw::RefPtr<LexValue> LexValue::MakeClassNames(std::vector<std::wstring> names) {
    pw::RefPtr<LexValue> value(new LexValue(kClassNames));
    value->strings_ = std::move(names);
    return value;
}

pw::RefPtr<LexValue> LexValue::MakeCharSet(LexCharSet set) {
    pw::RefPtr<LexValue> value(new LexValue(kCharSet));
    value->charSet_ = set;
    return value;
}

pw::RefPtr<LexValue> LexValue::MakeList(LexValueList list) {
    pw::RefPtr<LexValue> value(new LexValue(kList));
    value->list_ = std::move(list);
    return value;
}

pw::RefPtr<LexValue> LexValue::MakeClass(pw::RefPtr<LexClass> cls) {
    pw::RefPtr<LexValue> value(new LexValue(kClass));
    value->class_ = std::move(cls);
    return value;
}

int32_t LexValue::ParseNumber(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsLexSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    int base = 10;
    if (i < text.size() && text[i] == L'0') {
        base = 8;
        // "0x" counts as a prefix only when a hexadecimal digit follows; else the 0 is the number.
        if (i + 2 < text.size() && (text[i + 1] == L'x' || text[i + 1] == L'X') &&
            DigitValue(text[i + 2]) < 16) {
            base = 16;
            i += 2;
        }
    }
    // Accumulate the magnitude in 64 bits and stop growing it once past every 32-bit limit.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        int digit = DigitValue(text[i]);
        if (digit >= base)
            break;
        magnitude = std::min(magnitude * base + digit, kLimit + 1);
    }
    if (negative)
        return static_cast<int32_t>(std::max(-magnitude, int64_t{INT32_MIN}));
    return static_cast<int32_t>(std::min(magnitude, int64_t{INT32_MAX}));
}

bool LexValue::Equals(const LexValue& other) const {
    if (kind_ != other.kind_)
        return false;
    switch (kind_) {
        case kClassNames:
        case kStrings:
            return strings_ == other.strings_;
        case kClass:
            return SameClass(class_.get(), other.class_.get());
        case kList:
            return std::equal(list_.begin(), list_.end(), other.list_.begin(), other.list_.end(),
                              [](const pw::RefPtr<LexValue>& a, const pw::RefPtr<LexValue>& b) {
                                  return a && b ? a->Equals(*b) : a == b;
                              });
        case kNumber:
            return number_ == other.number_;
        case kCharSet:
            return charSet_ == other.charSet_;
        default:
            return true;  // empty, or a kind no value is made with
    }
}
