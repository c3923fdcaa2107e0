#pragma once
// Our paths are UTF-16 with either separator; the system takes UTF-8 with '/'. Shared by the
// POSIX file functions and DiskFile.
#include <optional>
#include <string>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace pw {

// Empty for a path that no system call could take whole (see IsPathUsable) and for one that is
// not valid UTF-16.
inline std::optional<std::string> NativePath(const std::wstring& path) {
    std::string native;
    if (!IsPathUsable(path) || !Utf16ToUtf8(path, native))
        return std::nullopt;
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

}  // namespace pw
