#pragma once
// Windows only: the module (DLL or program) that holds this code.
#include <windows.h>

namespace pw {

// The control's DLL when the code is linked into it, else the program: window classes are
// registered and resources loaded from it, never from the host's executable.
HMODULE ThisModule();

}  // namespace pw
