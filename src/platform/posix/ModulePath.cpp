#include "platform/ModulePath.h"

#include <dlfcn.h>
#include <cstdlib>
#include <memory>

#include "platform/CodePage.h"

namespace pw {

std::wstring ModulePath() {
    // The object that holds this very function: the shared library when we are one, else the program.
    Dl_info info{};
    const char* name =
        ::dladdr(reinterpret_cast<void*>(&ModulePath), &info) && info.dli_fname && *info.dli_fname
            ? info.dli_fname
            : "/proc/self/exe";
    std::unique_ptr<char, decltype(&std::free)> full(::realpath(name, nullptr), &std::free);
    if (!full)
        full.reset(::realpath("/proc/self/exe", nullptr));
    return full ? Widen(full.get()) : std::wstring();
}

}  // namespace pw
