#include "platform/FileSystem.h"

#include <windows.h>

#include <atomic>

namespace pw {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (Valid())
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Closing can report a late write error, so a writer closes explicitly and checks.
    bool Close() {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Creates a new file beside `path` that no one else uses; CREATE_NEW makes the name ours alone.
HANDLE CreateTemporaryBeside(const std::wstring& path, std::wstring& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath =
            path + L".~pw" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

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

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    if (!IsPathUsable(path))
        return std::nullopt;
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Device names such as CON open too; only a file on disk is read.
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK)
        return std::nullopt;
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr))
            return std::nullopt;
        if (read == 0)
            return bytes;
        bytes.append(chunk, read);
    }
}

bool WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    if (!IsPathUsable(path))
        return false;
    std::wstring tempPath;
    FileHandle file(CreateTemporaryBeside(path, tempPath));
    if (!file.Valid())
        return false;
    bool ok = WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
    ok = file.Close() && ok && ReplaceFileAtomic(tempPath, path);
    if (!ok)
        DeleteFileW(tempPath.c_str());
    return ok;
}

}  // namespace pw
