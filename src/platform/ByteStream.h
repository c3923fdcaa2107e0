#pragma once
// A file-like sequence of bytes: a file on disk or a block of memory. Archives and the text
// serialization read and write through it without knowing which one they have.
#include <cstddef>
#include <cstdint>
#include <string>

namespace pw {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    // Reads up to `bytes` at the position and moves past them; fewer only at the end.
    virtual size_t Read(void* data, size_t bytes) = 0;
    virtual void Write(const void* data, size_t bytes) = 0;
    virtual void Seek(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Length() const = 0;
    // The file's path; empty for a stream that has none.
    virtual std::wstring PathName() const { return {}; }
};

}  // namespace pw
