#pragma once
// File information and whole-file operations. Paths are UTF-16 (std::wstring of code units);
// on POSIX systems they are converted to UTF-8 and '\\' is taken as a separator like '/', so
// that the Windows-style relative paths in our configuration files work there too.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw {

struct FileInfo {
    bool isFolder = false;
    uint64_t size = 0;          // bytes; 0 for folders
    int64_t lastWriteTime = 0;  // 100-nanosecond units since 1601-01-01 UTC, like FILETIME
};

// Empty when the path does not exist or cannot be queried.
std::optional<FileInfo> GetFileInfo(const std::wstring& path);
bool FileExists(const std::wstring& path);  // a file or a folder
bool IsFolder(const std::wstring& path);

bool DeleteFilePath(const std::wstring& path);
// Fails when `to` exists.
bool RenameFile(const std::wstring& from, const std::wstring& to);
// Moves `from` over `to` in one step: readers see the old or the new file, never neither.
// `to` need not exist. Both must be on one volume (use a temporary file beside `to`).
bool ReplaceFileAtomic(const std::wstring& from, const std::wstring& to);

// The whole content of a regular file; empty when it is missing, a folder, a device or unreadable.
std::optional<std::string> ReadFileBytes(const std::wstring& path);
// Writes `bytes` to a new temporary file beside `path`, flushes it to disk and replaces `path`
// with it, keeping its permissions (DiskFile's Replace mode). Fails for a folder or device at
// `path`. On failure `path` is left as it was and the temporary file is removed.
bool WriteFileAtomic(const std::wstring& path, std::string_view bytes);

// Folder part of a path including its trailing separator ('\\' or '/'); empty when none.
std::wstring FolderOf(const std::wstring& path);

// The absolute form of a path, a relative one taken from the current folder; empty when the path
// is not usable or the current folder cannot be found.
std::wstring FullPath(const std::wstring& path);

// False for a path that no system call could take whole: empty, or holding a NUL that would
// silently cut it short and so name another file.
bool IsPathUsable(const std::wstring& path);

}  // namespace pw
