#pragma once
// What a character is to word movement, word selection, whole-word search and the completion
// list: one answer for all of them, so that a word is the same thing wherever it is asked about.
// Indices are 0-based into one row's text; a surrogate pair is one character and is never split.
#include <string_view>

namespace CharClass {

enum class Kind { kBlank, kLineEnd, kDelimiter, kWord };

// Space and tab are blanks, CR and LF line ends, the punctuation that separates words in
// source text delimiters; everything else (surrogate halves included) makes words.
Kind Of(wchar_t c);

// Whether a caret may stand before text[index]: not between the halves of a pair. The ends of
// the text are boundaries; indices outside it are not.
bool IsBoundary(std::wstring_view text, int index);
// The boundary after / before `index` (a pair is stepped over whole), kept within 0..size.
int Next(std::wstring_view text, int index);
int Previous(std::wstring_view text, int index);

// What must stand on either side of a whole-word match (or a row's end): blanks and the
// punctuation of source text, a few more than word movement stops at ("$", "\\", "|").
bool EndsWholeWord(wchar_t c);

struct Range {
    int start = 0;  // [start, end)
    int end = 0;
    bool IsEmpty() const { return start >= end; }
};
// The run of delimiters or word characters that holds text[index]; empty on a blank, past the
// text, or outside it.
Range WordAt(std::wstring_view text, int index);

}  // namespace CharClass
