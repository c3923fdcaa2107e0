#pragma once
// Windows only: the interfaces of the control's type library, as widl declares them from
// Penwright.idl (the header is made by the build).
#include <windows.h>
// After windows.h, which it needs.
#include "Penwright_h.h"
