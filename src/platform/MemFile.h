#pragma once
// A growable block of bytes read and written like a file; stands in for the framework's memory
// file where text ranges are gathered.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

class MemFile {
public:
    explicit MemFile(size_t growBytes = 1024) : grow_(growBytes ? growBytes : 1024) {}

    void Write(const void* data, size_t bytes);
    // Writes UTF-16 code units as little-endian byte pairs, whatever the width of wchar_t.
    void WriteText(std::wstring_view text);
    size_t Read(void* data, size_t bytes);
    void Seek(size_t position) { pos_ = position <= data_.size() ? position : data_.size(); }
    size_t Position() const { return pos_; }
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
