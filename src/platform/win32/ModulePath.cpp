#include "platform/ModulePath.h"

#include "platform/win32/Module.h"

namespace pw {

std::wstring ModulePath() {
    HMODULE module = ThisModule();
    if (!module)
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
