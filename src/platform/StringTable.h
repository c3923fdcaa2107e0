#pragma once
// The user-visible texts of the system by resource id (the same table in every build).
#include <initializer_list>
#include <string>
#include <string_view>

// Windows' header makes LoadString a macro naming its own function; here the name is ours.
#ifdef LoadString
#undef LoadString
#endif

namespace pw {

// The text of the id, or an empty string when the table has no such id.
std::wstring LoadString(unsigned id);
// The table's text of `id` with each "%s" or "%d" replaced by the next of `values`, left to
// right. Substituted, not formatted: a table text is no format to trust, and what is put in is
// not read again.
std::wstring LoadString(unsigned id, std::initializer_list<std::wstring_view> values);

}  // namespace pw
