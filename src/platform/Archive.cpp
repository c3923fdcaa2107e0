#include "platform/Archive.h"

#include <cstring>

#include "platform/FileException.h"

namespace pw {

void Archive::Write(const void* data, size_t bytes) {
    if (!IsStoring())
        throw FileException(FileException::Cause::AccessDenied, file_.PathName());
    if (used_ + bytes > kBufferSize) {
        Flush();
        if (bytes >= kBufferSize) {
            file_.Write(data, bytes);
            return;
        }
    }
    if (bytes)
        std::memcpy(buffer_.data() + used_, data, bytes);
    used_ += bytes;
}

void Archive::Flush() {
    if (used_ == 0)
        return;
    size_t n = used_;
    used_ = 0;  // a failed write is not repeated by a later flush
    file_.Write(buffer_.data(), n);
}

}  // namespace pw
