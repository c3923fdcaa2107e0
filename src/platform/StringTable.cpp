#include "platform/StringTable.h"

#include <algorithm>
#include <iterator>

namespace pw {
namespace {

struct Entry {
    unsigned id;
    const wchar_t* text;
};

#define PW_STRING(id, text) {id, L"" text},
constexpr Entry kStrings[] = {
#include "resources/StringTable.inc"
};
#undef PW_STRING

}  // namespace

std::wstring LoadString(unsigned id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, unsigned key) { return e.id < key; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    return it->text;
}

std::wstring LoadString(unsigned id, std::initializer_list<std::wstring_view> values) {
    const std::wstring text = LoadString(id);
    std::wstring filled;
    auto next = values.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 1 < text.size() && (text[i + 1] == L's' || text[i + 1] == L'd') &&
            next != values.end()) {
            filled += *next++;
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

}  // namespace pw
