#include "platform/FileSystem.h"

#include "platform/DiskFile.h"

namespace pw {

bool FileExists(const std::wstring& path) {
    return GetFileInfo(path).has_value();
}

bool IsFolder(const std::wstring& path) {
    auto info = GetFileInfo(path);
    return info && info->isFolder;
}

// Both whole-file operations go through DiskFile, so that there is one way to open, check and
// replace a file; its exceptions become the plain failure these callers expect.
std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    try {
        DiskFile file(path, DiskFile::Mode::Read);
        std::string bytes;
        bytes.reserve(static_cast<size_t>(file.Length()));
        // Read to the end rather than to the size seen at the start, as a growing file has more.
        char chunk[65536];
        while (size_t n = file.Read(chunk, sizeof chunk)) bytes.append(chunk, n);
        return bytes;
    } catch (const FileException&) {
        return std::nullopt;
    }
}

bool WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    try {
        DiskFile file(path, DiskFile::Mode::Replace);
        file.Write(bytes.data(), bytes.size());
        file.Commit();
        return true;
    } catch (const FileException&) {
        return false;  // the destructor has removed the replacement
    }
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool IsPathUsable(const std::wstring& path) {
    return !path.empty() && path.find(L'\0') == std::wstring::npos;
}

}  // namespace pw
