#pragma once
// Splits text into lines the way a text file is read: in chunks of 128 characters, a line ending
// at the first CR or LF. A NUL is a character like any other.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct TextLine {
    std::wstring text;
    int style;  // the CrlfStyle of the line end that closed the line; None at the end of the text
};

class LineReader {
public:
    static constexpr size_t kChunk = 128;

    explicit LineReader(std::wstring_view text) : text_(text) {}

    // The next line, or none when the text is used up. A lone CR counts as CR LF; text after
    // the last line end that is empty is no line.
    std::optional<TextLine> Next();

private:
    std::wstring_view text_;
    size_t pos_ = 0;
};
