#pragma once
// A byte stream used in one direction: loading reads the stream directly (the archive only
// carries the direction), storing collects small writes in a 4096-byte buffer and hands them
// to the stream in blocks.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/ByteStream.h"

namespace pw {

class Archive {
public:
    enum class Mode { Load, Store };
    static constexpr size_t kBufferSize = 4096;

    Archive(ByteStream& file, Mode mode) : file_(file), mode_(mode) {}
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    // Bytes still buffered are dropped: an archive given up on (an exception on its way
    // through) must not complete a write that failed half-way. Storing ends with Flush.
    ~Archive() = default;

    bool IsLoading() const { return mode_ == Mode::Load; }
    bool IsStoring() const { return mode_ == Mode::Store; }
    // The stream itself, for direct reads, seeks, length and path name. A storing archive
    // must be flushed before the stream is used directly.
    ByteStream& GetFile() const { return file_; }

    // Throws FileException on a loading archive or when the stream fails.
    void Write(const void* data, size_t bytes);
    // Hands the buffered bytes to the stream.
    void Flush();

private:
    ByteStream& file_;
    Mode mode_;
    std::array<uint8_t, kBufferSize> buffer_;
    size_t used_ = 0;
};

}  // namespace pw
