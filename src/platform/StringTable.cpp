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
    if (it == std::end(kStrings) || it->id != id) return {};
    return it->text;
}

}  // namespace pw
