#pragma once
// A growable block of bytes read and written like a file; stands in for the framework's memory
// file where text ranges are gathered and where the whole text passes to and from a string.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ByteStream.h"

namespace pw {

class MemFile final : public ByteStream {
public:
    explicit MemFile(size_t growBytes = 1024) : grow_(growBytes ? growBytes : 1024) {}

    void Write(const void* data, size_t bytes) override;
    // Writes UTF-16 code units as little-endian byte pairs, whatever the width of wchar_t.
    void WriteText(std::wstring_view text);
    size_t Read(void* data, size_t bytes) override;
    // A position past the end is the end.
    void Seek(uint64_t position) override {
        pos_ = position <= data_.size() ? static_cast<size_t>(position) : data_.size();
    }
    uint64_t Position() const override { return pos_; }
    uint64_t Length() const override { return data_.size(); }
    size_t Size() const { return data_.size(); }
    const uint8_t* Data() const { return data_.data(); }
    void Clear() { data_.clear(), pos_ = 0; }
    // The whole content as UTF-16 text (little-endian pairs; an odd last byte is left out).
    std::wstring Text() const;

private:
    std::vector<uint8_t> data_;
    size_t pos_ = 0;
    size_t grow_;
};

}  // namespace pw
