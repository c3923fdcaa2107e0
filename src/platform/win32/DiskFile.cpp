#include "platform/DiskFile.h"

#include <windows.h>

#include <atomic>

#include "platform/FileSystem.h"

namespace pw {

namespace {

using Cause = FileException::Cause;

Cause CauseOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Cause::FileNotFound;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return Cause::AccessDenied;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_INVALID_DRIVE:
            return Cause::BadPath;
        case ERROR_TOO_MANY_OPEN_FILES:
            return Cause::TooManyOpenFiles;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Cause::SharingViolation;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Cause::DiskFull;
        case ERROR_CRC:
        case ERROR_SEEK:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_GEN_FAILURE:
            return Cause::HardIO;
        default:
            return Cause::Generic;
    }
}

[[noreturn]] void Fail(const std::wstring& path) {
    throw FileException(CauseOf(GetLastError()), path);
}

HANDLE Native(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

constexpr DWORD kMaxTransfer = 1u << 30;

// Moves `bytes` from `offset` on with `transfer` (ReadFile or WriteFile on the part from `done`
// on), in pieces a DWORD can count; stops early at the end of the file or where one moves nothing.
template <class Transfer>
size_t TransferAt(uint64_t offset, size_t bytes, const std::wstring& path, Transfer transfer) {
    size_t done = 0;
    while (done < bytes) {
        DWORD chunk = bytes - done > kMaxTransfer ? kMaxTransfer : static_cast<DWORD>(bytes - done);
        OVERLAPPED at = At(offset + done);
        DWORD moved = 0;
        if (!transfer(done, chunk, moved, at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            Fail(path);
        }
        if (moved == 0)
            break;
        done += moved;
    }
    return done;
}

}  // namespace

DiskFile::Handle DiskFile::OpenExisting(const std::wstring& path) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail(path);
    // Device names such as CON open too; only a file on disk is read.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        throw FileException(Cause::AccessDenied, path);
    }
    return reinterpret_cast<Handle>(file);
}

DiskFile::Handle DiskFile::CreateBeside(const std::wstring& path, std::wstring& tempPath) {
    if (IsFolder(path))
        throw FileException(Cause::AccessDenied, path);
    // CREATE_NEW makes the name ours alone; the counter and the process id keep attempts apart.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name =
            path + L".~pw" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        HANDLE file =
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
            continue;
        if (file == INVALID_HANDLE_VALUE)
            Fail(path);
        tempPath = name;
        return reinterpret_cast<Handle>(file);
    }
    throw FileException(Cause::Generic, path);
}

size_t DiskFile::ReadAt(Handle handle, uint64_t offset, void* data, size_t bytes, const std::wstring& path) {
    auto* out = static_cast<char*>(data);
    return TransferAt(offset, bytes, path, [&](size_t done, DWORD n, DWORD& moved, OVERLAPPED& at) {
        return ReadFile(Native(handle), out + done, n, &moved, &at);
    });
}

void DiskFile::WriteAt(Handle handle, uint64_t offset, const void* data, size_t bytes,
                       const std::wstring& path) {
    const auto* in = static_cast<const char*>(data);
    size_t written = TransferAt(offset, bytes, path, [&](size_t done, DWORD n, DWORD& moved, OVERLAPPED& at) {
        return WriteFile(Native(handle), in + done, n, &moved, &at);
    });
    // A write that moves nothing would never finish.
    if (written < bytes)
        throw FileException(Cause::HardIO, path);
}

uint64_t DiskFile::SizeOf(Handle handle, const std::wstring& path) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Native(handle), &size))
        Fail(path);
    return static_cast<uint64_t>(size.QuadPart);
}

void DiskFile::SyncAndClose(Handle handle, const std::wstring& path) {
    DWORD error = FlushFileBuffers(Native(handle)) ? 0 : GetLastError();
    if (!CloseHandle(Native(handle)) && error == 0)
        error = GetLastError();
    if (error != 0)
        throw FileException(CauseOf(error), path);
}

void DiskFile::CloseQuietly(Handle handle) {
    CloseHandle(Native(handle));
}

FileException::Cause DiskFile::LastErrorCause() {
    return CauseOf(GetLastError());
}

}  // namespace pw
