#pragma once
// The user-visible texts of the system by resource id (the same table in every build).
#include <string>

namespace pw {

// The text of the id, or an empty string when the table has no such id.
std::wstring LoadString(unsigned id);

}  // namespace pw
