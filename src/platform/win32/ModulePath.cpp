#include "platform/ModulePath.h"

#include <windows.h>

namespace pw {

std::wstring ModulePath() {
    // The module that holds this very function: the control's DLL when we are in it, else the program.
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&ModulePath), &module))
        return {};
    // Long paths may exceed MAX_PATH; a cut name is reported as a full buffer.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
        std::wstring path(size, L'\0');
        DWORD n = GetModuleFileNameW(module, path.data(), size);
        if (n == 0)
            return {};
        if (n < size)
            return path.substr(0, n);
    }
    return {};
}

}  // namespace pw
