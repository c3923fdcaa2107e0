#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/CodePage.h"

namespace pw {

namespace {

constexpr int64_t kUnixEpochSince1601 = 116444736000000000;  // in 100-ns units

std::optional<std::string> NativePath(const std::wstring& path) {
    std::string native;
    if (!IsPathUsable(path) || !Utf16ToUtf8(path, native))
        return std::nullopt;
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closing can report a late write error, so a writer closes explicitly and checks.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// A rename is only durable once the folder holding the new name is on disk.
void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

bool ReplaceNative(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    SyncFolderOf(to);
    return true;
}

// Creates a new file beside `path` that no one else uses; O_EXCL makes the name ours alone.
int CreateTemporaryBeside(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".~pw" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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
    return nativeFrom && nativeTo && ReplaceNative(*nativeFrom, *nativeTo);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    auto native = NativePath(path);
    if (!native)
        return std::nullopt;
    // Non-blocking so that a FIFO in place of a file cannot hang us before the type check.
    Descriptor fd(::open(native->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd.Get(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

bool WriteFileAtomic(const std::wstring& path, std::string_view bytes) {
    auto native = NativePath(path);
    if (!native)
        return false;
    std::string tempPath;
    Descriptor fd(CreateTemporaryBeside(*native, tempPath));
    if (fd.Get() < 0)
        return false;
    // The replacement keeps the permissions of the file it replaces.
    struct stat old;
    bool ok = (::stat(native->c_str(), &old) != 0 || ::fchmod(fd.Get(), old.st_mode & 07777) == 0) &&
              WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0;
    ok = fd.Close() && ok && ReplaceNative(tempPath, *native);
    if (!ok)
        ::unlink(tempPath.c_str());
    return ok;
}

}  // namespace pw
