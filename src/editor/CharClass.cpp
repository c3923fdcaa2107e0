#include "editor/CharClass.h"

namespace {

constexpr std::wstring_view kDelimiters = L"[]{}()<>.,;:!?=*&%@^#-\"'/";
constexpr std::wstring_view kWholeWordEnds = L"() \t<>{}:;,.=%\"'!@#$^&*-\\|[]/?";

bool IsHigh(wchar_t c) {
    return (c & 0xFC00) == 0xD800;
}
bool IsLow(wchar_t c) {
    return (c & 0xFC00) == 0xDC00;
}

int Size(std::wstring_view text) {
    return static_cast<int>(text.size());
}

}  // namespace

namespace CharClass {

Kind Of(wchar_t c) {
    if (c == L' ' || c == L'\t')
        return Kind::kBlank;
    if (c == L'\r' || c == L'\n')
        return Kind::kLineEnd;
    return kDelimiters.find(c) != std::wstring_view::npos ? Kind::kDelimiter : Kind::kWord;
}

bool EndsWholeWord(wchar_t c) {
    return kWholeWordEnds.find(c) != std::wstring_view::npos;
}

bool IsBoundary(std::wstring_view text, int index) {
    if (index < 0 || index > Size(text))
        return false;
    return index == 0 || index == Size(text) || !IsLow(text[index]) || !IsHigh(text[index - 1]);
}

int Next(std::wstring_view text, int index) {
    if (index < 0)
        return 0;
    if (index >= Size(text))
        return Size(text);
    ++index;
    return IsBoundary(text, index) ? index : index + 1;
}

int Previous(std::wstring_view text, int index) {
    if (index > Size(text))
        return Size(text);
    if (index <= 0)
        return 0;
    --index;
    return IsBoundary(text, index) ? index : index - 1;
}

Range WordAt(std::wstring_view text, int index) {
    if (index < 0 || index >= Size(text))
        return {};
    const Kind kind = Of(text[index]);
    if (kind == Kind::kBlank || kind == Kind::kLineEnd)
        return {};
    Range run{index, index + 1};
    while (run.start > 0 && Of(text[run.start - 1]) == kind) --run.start;
    while (run.end < Size(text) && Of(text[run.end]) == kind) ++run.end;
    return run;
}

}  // namespace CharClass
