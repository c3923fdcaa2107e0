#pragma once
// A file on disk as a byte stream. Reading goes through a read-ahead buffer, so the small
// reads and seeks back of line-by-line loading cost no system call each. Writing never touches
// the named file until the end: bytes go to a new file beside it, which replaces it in one
// step at Commit, so a failed save leaves the old file as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteStream.h"
#include "platform/FileException.h"

namespace pw {

class DiskFile final : public ByteStream {
public:
    enum class Mode {
        Read,     // an existing regular file; others may go on reading and writing it
        Replace,  // a new file that takes the place of `path` (existing or not) at Commit
    };

    // Throws FileException when the file cannot be opened or created.
    DiskFile(std::wstring path, Mode mode);
    // Closes the file; a replacement that was not committed is deleted.
    ~DiskFile() override;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    // Every operation throws FileException on failure, and on a read in Replace mode or a
    // write in Read mode. A position past the end reads nothing.
    size_t Read(void* data, size_t bytes) override;
    void Write(const void* data, size_t bytes) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Length() const override;
    // The named file, also in Replace mode: it is the name the text is saved under.
    std::wstring PathName() const override { return path_; }

    // Replace mode: puts the written bytes on disk, closes the file and moves it over the named
    // file. After a failure the named file is untouched. No operation is valid afterwards.
    void Commit();

private:
    // System handle: a descriptor or a HANDLE, stored as an integer to keep this header portable.
    // Both systems use -1 for "none" (INVALID_HANDLE_VALUE is -1 too).
    using Handle = intptr_t;
    static constexpr Handle kNoHandle = -1;
    static constexpr size_t kReadAhead = 64 * 1024;

    // One implementation per platform (posix/, win32/DiskFile.cpp); failures throw.
    static Handle OpenExisting(const std::wstring& path);
    static Handle CreateBeside(const std::wstring& path, std::wstring& tempPath);
    static size_t ReadAt(Handle handle, uint64_t offset, void* data, size_t bytes, const std::wstring& path);
    static void WriteAt(Handle handle, uint64_t offset, const void* data, size_t bytes,
                        const std::wstring& path);
    static uint64_t SizeOf(Handle handle, const std::wstring& path);
    // Flushes to disk and closes; throws when either fails.
    static void SyncAndClose(Handle handle, const std::wstring& path);
    static void CloseQuietly(Handle handle);
    // The cause of the system's last error, for failures reported by the platform's helpers.
    static FileException::Cause LastErrorCause();

    std::wstring path_;
    std::wstring tempPath_;  // Replace mode: the file being written
    Mode mode_;
    Handle handle_;
    uint64_t position_ = 0;
    std::vector<uint8_t> readAhead_;  // bytes of the file from readAheadStart_ on
    uint64_t readAheadStart_ = 0;
};

}  // namespace pw
