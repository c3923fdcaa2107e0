#include "platform/MemFile.h"

#include <algorithm>
#include <cstring>

namespace pw {

void MemFile::Write(const void* data, size_t bytes) {
    if (bytes == 0) return;
    size_t end = pos_ + bytes;
    if (end > data_.capacity()) data_.reserve(std::max(end, data_.capacity() + grow_));
    if (end > data_.size()) data_.resize(end);
    std::memcpy(data_.data() + pos_, data, bytes);
    pos_ = end;
}

void MemFile::WriteText(std::wstring_view text) {
    std::vector<uint8_t> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        auto unit = static_cast<uint16_t>(text[i]);
        bytes[2 * i] = static_cast<uint8_t>(unit & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(unit >> 8);
    }
    Write(bytes.data(), bytes.size());
}

size_t MemFile::Read(void* data, size_t bytes) {
    size_t n = std::min(bytes, data_.size() - pos_);
    if (n) std::memcpy(data, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

std::wstring MemFile::Text() const {
    std::wstring text(data_.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(data_[2 * i] | (data_[2 * i + 1] << 8));
    return text;
}

}  // namespace pw
