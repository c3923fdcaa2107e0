#include "platform/DiskFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <optional>

#include "platform/CodePage.h"
#include "platform/posix/NativePath.h"

namespace pw {

namespace {

using Cause = FileException::Cause;

Cause CauseOf(int error) {
    switch (error) {
        case ENOENT:
            return Cause::FileNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return Cause::AccessDenied;
        case ENAMETOOLONG:
        case ENOTDIR:
        case ELOOP:
        case EINVAL:
            return Cause::BadPath;
        case EMFILE:
        case ENFILE:
            return Cause::TooManyOpenFiles;
        case ETXTBSY:
        case EBUSY:
            return Cause::SharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return Cause::DiskFull;
        case EIO:
            return Cause::HardIO;
        default:
            return Cause::Generic;
    }
}

[[noreturn]] void Fail(const std::wstring& path) {
    throw FileException(CauseOf(errno), path);
}

// NativePath() with the failure the stream layer reports.
std::string NativeOrThrow(const std::wstring& path) {
    std::optional<std::string> native = NativePath(path);
    if (!native)
        throw FileException(Cause::BadPath, path);
    return *native;
}

int Descriptor(intptr_t handle) {
    return static_cast<int>(handle);
}

// Moves `bytes` from `offset` on with `transfer` (pread or pwrite on the part from `done` on),
// resuming after interruptions and partial transfers; stops early only where one moves nothing.
template <class Transfer>
size_t TransferAt(uint64_t offset, size_t bytes, const std::wstring& path, Transfer transfer) {
    size_t done = 0;
    while (done < bytes) {
        ssize_t n = transfer(done, bytes - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(path);
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

}  // namespace

DiskFile::Handle DiskFile::OpenExisting(const std::wstring& path) {
    // Non-blocking so that a FIFO in place of the file cannot hang us before the type check.
    int fd = ::open(NativeOrThrow(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(path);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileException(Cause::AccessDenied, path);
    }
    return fd;
}

DiskFile::Handle DiskFile::CreateBeside(const std::wstring& path, std::wstring& tempPath) {
    std::string native = NativeOrThrow(path);
    struct stat old;
    bool replacing = ::stat(native.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        throw FileException(Cause::AccessDenied, path);
    // O_EXCL makes the name ours alone; the counter and the process id keep attempts apart.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix = ".~pw" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::open((native + suffix).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            Fail(path);
        tempPath = path + Widen(suffix);
        // The replacement keeps the permissions of the file it replaces.
        if (replacing && ::fchmod(fd, old.st_mode & 07777) != 0) {
            int error = errno;
            ::close(fd);
            ::unlink((native + suffix).c_str());
            tempPath.clear();
            throw FileException(CauseOf(error), path);
        }
        return fd;
    }
    throw FileException(Cause::Generic, path);
}

size_t DiskFile::ReadAt(Handle handle, uint64_t offset, void* data, size_t bytes, const std::wstring& path) {
    auto* out = static_cast<char*>(data);
    return TransferAt(offset, bytes, path, [&](size_t done, size_t n, off_t at) {
        return ::pread(Descriptor(handle), out + done, n, at);
    });
}

void DiskFile::WriteAt(Handle handle, uint64_t offset, const void* data, size_t bytes,
                       const std::wstring& path) {
    const auto* in = static_cast<const char*>(data);
    size_t written = TransferAt(offset, bytes, path, [&](size_t done, size_t n, off_t at) {
        return ::pwrite(Descriptor(handle), in + done, n, at);
    });
    // A write that moves nothing would never finish.
    if (written < bytes)
        throw FileException(Cause::HardIO, path);
}

uint64_t DiskFile::SizeOf(Handle handle, const std::wstring& path) {
    struct stat st;
    if (::fstat(Descriptor(handle), &st) != 0)
        Fail(path);
    return static_cast<uint64_t>(st.st_size);
}

void DiskFile::SyncAndClose(Handle handle, const std::wstring& path) {
    int error = ::fsync(Descriptor(handle)) == 0 ? 0 : errno;
    // Closing can report a late write error too.
    if (::close(Descriptor(handle)) != 0 && error == 0)
        error = errno;
    if (error != 0)
        throw FileException(CauseOf(error), path);
}

void DiskFile::CloseQuietly(Handle handle) {
    ::close(Descriptor(handle));
}

FileException::Cause DiskFile::LastErrorCause() {
    return CauseOf(errno);
}

}  // namespace pw
