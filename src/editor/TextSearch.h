#pragma once
// Searching the rows of a buffer for a text: down from a position or up to it, with or without
// case, whole words only or anywhere. Rows are searched one at a time; a match never spans a
// row end, and the search does not wrap around at either end of the text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CQELPenwrightBufferManager;

struct SearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
    bool down = true;
};

struct SearchHit {
    int row = 0;
    int col = 0;  // the match's first column, from 1
    int length = 0;
};

class TextSearch {
public:
    TextSearch(std::wstring_view text, const SearchOptions& options);

    // The first match going down from (row, col), a match starting at col included; going up, the
    // last match that ends at or before col. Columns past a row's end count as its end. Nothing
    // for an empty text or a start row outside the buffer.
    std::optional<SearchHit> Find(const CQELPenwrightBufferManager& buffer, int row, int col) const;
    // The first / last match in one row's text within [from, to) (0-based indices).
    std::optional<int> FirstIn(std::wstring_view line, int from, int to) const;
    std::optional<int> LastIn(std::wstring_view line, int from, int to) const;

private:
    bool MayStart(wchar_t c) const;
    // Whether the text matches at `at` from its second character on (MayStart saw the first).
    bool MatchesAt(std::wstring_view line, int at) const;

    std::wstring text_;  // folded when the case does not matter
    SearchOptions options_;
    // Which code units may begin a match: the first character in each of its cases.
    std::vector<uint8_t> starts_ = std::vector<uint8_t>(0x10000);
};
