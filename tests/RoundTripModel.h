#pragma once
// What a file must be after it is loaded and saved without edits: the same bytes, except that
// every line end takes the style of the first one (a lone CR counts as CR LF). Worked out from
// the form the buffer found, on the whole file at once, apart from how the reader goes about it.
#include <cstdint>
#include <string>
#include <string_view>

namespace pwtest {

// `wide`, `bigEndian` and `signature` as the buffer reports them after loading `bytes`.
inline std::string ExpectedAfterRoundTrip(std::string_view bytes, bool wide, bool bigEndian, bool signature) {
    const size_t markBytes = signature ? (wide ? 2 : 3) : 0;
    const size_t unitBytes = wide ? 2 : 1;
    const std::string_view body = bytes.substr(markBytes);
    const size_t units = body.size() / unitBytes;
    auto unitAt = [&](size_t i) -> unsigned {
        auto b = [&](size_t k) {
            return static_cast<unsigned>(static_cast<uint8_t>(body[i * unitBytes + k]));
        };
        return !wide ? b(0) : bigEndian ? (b(0) << 8) | b(1) : b(0) | (b(1) << 8);
    };
    auto encode = [&](std::u16string_view text) {
        std::string out;
        for (char16_t c : text) {
            const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
            if (!wide)
                out += lo;
            else
                out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return out;
    };
    std::string out(bytes.substr(0, markBytes));
    std::string lineEnd;  // the first line end's style, in the file's units
    for (size_t i = 0; i < units;) {
        const unsigned c = unitAt(i);
        if (c != '\r' && c != '\n') {
            out += body.substr(i * unitBytes, unitBytes);
            ++i;
            continue;
        }
        const unsigned next = i + 1 < units ? unitAt(i + 1) : 0;
        std::u16string_view style = c == '\r' ? u"\r\n" : next == '\r' ? u"\n\r" : u"\n";
        const size_t length = (c == '\r' && next == '\n') || (c == '\n' && next == '\r') ? 2 : 1;
        if (lineEnd.empty())
            lineEnd = encode(style);
        out += lineEnd;
        i += length;
    }
    out += body.substr(units * unitBytes);  // the odd last byte of UTF-16
    return out;
}

}  // namespace pwtest
