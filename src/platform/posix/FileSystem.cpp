#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/NativePath.h"

namespace pw {

namespace {

constexpr int64_t kUnixEpochSince1601 = 116444736000000000;  // in 100-ns units

// A rename is only durable once the folder holding the new name is on disk.
void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace

std::optional<FileInfo> GetFileInfo(const std::wstring& path) {
    auto native = NativePath(path);
    struct stat st;
    if (!native || ::stat(native->c_str(), &st) != 0)
        return std::nullopt;
    FileInfo info;
    info.isFolder = S_ISDIR(st.st_mode);
    info.size = info.isFolder ? 0 : static_cast<uint64_t>(st.st_size);
    info.lastWriteTime =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 10000000 + st.st_mtim.tv_nsec / 100 + kUnixEpochSince1601;
    return info;
}

bool DeleteFilePath(const std::wstring& path) {
    auto native = NativePath(path);
    return native && ::unlink(native->c_str()) == 0;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
    auto nativeFrom = NativePath(from);
    auto nativeTo = NativePath(to);
    if (!nativeFrom || !nativeTo)
        return false;
    if (::renameat2(AT_FDCWD, nativeFrom->c_str(), AT_FDCWD, nativeTo->c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // The file system cannot rename without replacing: a hard link fails on an existing target
    // just the same, and the old name is dropped once the new one is in place.
    if (::link(nativeFrom->c_str(), nativeTo->c_str()) != 0)
        return false;
    if (::unlink(nativeFrom->c_str()) == 0)
        return true;
    ::unlink(nativeTo->c_str());
    return false;
}

bool ReplaceFileAtomic(const std::wstring& from, const std::wstring& to) {
    auto nativeFrom = NativePath(from);
    auto nativeTo = NativePath(to);
    if (!nativeFrom || !nativeTo || ::rename(nativeFrom->c_str(), nativeTo->c_str()) != 0)
        return false;
    SyncFolderOf(*nativeTo);
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    std::optional<std::string> native = NativePath(path);
    if (!native)
        return {};
    if (!native->starts_with('/')) {
        char* cwd = ::getcwd(nullptr, 0);
        if (!cwd)
            return {};
        *native = std::string(cwd) + "/" + *native;
        std::free(cwd);
    }
    std::wstring full;
    return Utf8ToUtf16(*native, full) ? full : std::wstring();
}

}  // namespace pw
