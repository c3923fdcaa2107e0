#pragma once
#include <string>

namespace pw {

// Full path of the module (DLL, shared object or program) that holds this code; the control
// finds its configuration beside it.
std::wstring ModulePath();

}  // namespace pw
