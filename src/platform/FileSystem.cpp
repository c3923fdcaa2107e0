#include "platform/FileSystem.h"

namespace pw {

bool FileExists(const std::wstring& path) {
    return GetFileInfo(path).has_value();
}

bool IsFolder(const std::wstring& path) {
    auto info = GetFileInfo(path);
    return info && info->isFolder;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsPathUsable(const std::wstring& path) {
    return !path.empty() && path.find(L'\0') == std::wstring::npos;
}

}  // namespace pw
