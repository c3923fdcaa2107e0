#include "platform/DiskFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/FileSystem.h"

namespace pw {

DiskFile::DiskFile(std::wstring path, Mode mode) : path_(std::move(path)), mode_(mode) {
    if (!IsPathUsable(path_))
        throw FileException(FileException::Cause::BadPath, path_);
    handle_ = mode == Mode::Read ? OpenExisting(path_) : CreateBeside(path_, tempPath_);
}

DiskFile::~DiskFile() {
    if (handle_ != kNoHandle)
        CloseQuietly(handle_);
    if (mode_ == Mode::Replace && !tempPath_.empty())
        DeleteFilePath(tempPath_);
}

size_t DiskFile::Read(void* data, size_t bytes) {
    if (mode_ != Mode::Read || handle_ == kNoHandle)
        throw FileException(FileException::Cause::AccessDenied, path_);
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < bytes) {
        uint64_t end = readAheadStart_ + readAhead_.size();
        if (position_ >= readAheadStart_ && position_ < end) {
            size_t n = std::min(bytes - done, static_cast<size_t>(end - position_));
            std::memcpy(out + done, readAhead_.data() + (position_ - readAheadStart_), n);
            done += n;
            position_ += n;
            continue;
        }
        // Large reads go straight to the caller; small ones refill the read-ahead.
        if (bytes - done >= kReadAhead) {
            size_t n = ReadAt(handle_, position_, out + done, bytes - done, path_);
            done += n;
            position_ += n;
            break;
        }
        readAhead_.resize(kReadAhead);
        size_t n = ReadAt(handle_, position_, readAhead_.data(), kReadAhead, path_);
        readAhead_.resize(n);
        readAheadStart_ = position_;
        if (n == 0)
            break;
    }
    return done;
}

void DiskFile::Write(const void* data, size_t bytes) {
    if (mode_ != Mode::Replace || handle_ == kNoHandle)
        throw FileException(FileException::Cause::AccessDenied, path_);
    WriteAt(handle_, position_, data, bytes, path_);
    position_ += bytes;
}

uint64_t DiskFile::Length() const {
    if (handle_ == kNoHandle)
        throw FileException(FileException::Cause::AccessDenied, path_);
    return SizeOf(handle_, path_);
}

void DiskFile::Commit() {
    if (mode_ != Mode::Replace || handle_ == kNoHandle)
        throw FileException(FileException::Cause::AccessDenied, path_);
    SyncAndClose(std::exchange(handle_, kNoHandle), path_);
    if (!ReplaceFileAtomic(tempPath_, path_)) {
        FileException::Cause cause = LastErrorCause();
        throw FileException(cause, path_);
    }
    tempPath_.clear();
}

}  // namespace pw
