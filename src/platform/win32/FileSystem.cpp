#include "platform/FileSystem.h"

#include <windows.h>

namespace pw {

std::optional<FileInfo> GetFileInfo(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!IsPathUsable(path) || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FileInfo info;
    info.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.size = info.isFolder ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    info.lastWriteTime =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    return info;
}

bool DeleteFilePath(const std::wstring& path) {
    return IsPathUsable(path) && DeleteFileW(path.c_str());
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
    return IsPathUsable(from) && IsPathUsable(to) && MoveFileExW(from.c_str(), to.c_str(), 0);
}

bool ReplaceFileAtomic(const std::wstring& from, const std::wstring& to) {
    return IsPathUsable(from) && IsPathUsable(to) &&
           MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::wstring FullPath(const std::wstring& path) {
    if (!IsPathUsable(path))
        return {};
    for (DWORD size = MAX_PATH;;) {
        std::wstring full(size, L'\0');
        DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (n == 0)
            return {};
        if (n < size)
            return full.substr(0, n);
        size = n;
    }
}

}  // namespace pw
