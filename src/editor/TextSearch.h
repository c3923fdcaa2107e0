#pragma once
// Searching the rows of a buffer for a text or a regular expression: down from a position or up
// to it, with or without case, whole words only or anywhere. Rows are searched one at a time; a
// match never spans a row end, and the search does not wrap around at either end of the text.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/LineCol.h"

class CQELPenwrightBufferManager;

struct SearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
    bool down = true;
    // The text is a regular expression (Perl's syntax); the replacement may refer to its groups
    // ($1, $&) and hold escapes such as \t.
    bool regex = false;
};

struct SearchHit {
    int row = 0;
    int col = 0;  // the match's first column, from 1
    int length = 0;
};

// Where a search may match: rows first..last, and in each the characters [from, to) (0-based,
// clamped to the row) that `span` gives, or the whole row without it. A selection as a scope.
struct SearchBounds {
    int firstRow = 1;
    int lastRow = 1;
    std::function<std::pair<int, int>(int row)> span;
};

class TextSearch {
public:
    TextSearch(std::wstring_view text, const SearchOptions& options);
    ~TextSearch();
    TextSearch(const TextSearch&) = delete;
    TextSearch& operator=(const TextSearch&) = delete;

    // Why nothing can be found: an empty text, an expression that does not compile, or one too
    // complex to match (a search that met it stops); empty when the search may go on.
    const std::wstring& Error() const { return error_; }

    // The first match going down from (row, col), a match starting at col included; going up, the
    // last match that ends at or before col. Columns past a row's end count as its end. Nothing
    // for a start row outside the buffer. A regular expression's empty matches do not count.
    // Within `bounds` when given: a start outside them begins at their edge.
    std::optional<SearchHit> Find(const CQELPenwrightBufferManager& buffer, int row, int col,
                                  const SearchBounds* bounds = nullptr) const;
    // The matches one after another from the top (of `bounds`) down, as replace all meets them.
    int Count(const CQELPenwrightBufferManager& buffer, const SearchBounds* bounds = nullptr) const;
    // The same walk, each match handed to `visit`, which says where the search goes on (it may
    // have changed the text, and `bounds`, which is read anew for each search) or, with nothing,
    // that it stops.
    void ForEachMatch(const CQELPenwrightBufferManager& buffer, const SearchBounds* bounds,
                      const std::function<std::optional<LineCol>(const SearchHit& hit)>& visit) const;
    // What replaces a match that Find gave: `replace` itself, or for an expression `replace`
    // with the match's groups put in.
    std::wstring Replacement(const CQELPenwrightBufferManager& buffer, const SearchHit& hit,
                             std::wstring_view replace) const;

private:
    struct RowMatch {
        int at = 0;
        int length = 0;
    };
    class Pattern;

    std::optional<SearchHit> Search(const CQELPenwrightBufferManager& buffer, int row, int col,
                                    const SearchBounds* bounds, bool down) const;
    // The first / last match within [from, to) of a row.
    std::optional<RowMatch> FirstIn(std::wstring_view line, int from, int to) const;
    std::optional<RowMatch> LastIn(std::wstring_view line, int from, int to) const;
    // The expression's matches within [from, to) of a row from the left, each handed to `visit`
    // until it returns false; empty ones, and those inside a word when whole words are asked
    // for, are passed over. Throws as Pattern::Next does.
    template <typename Visit>
    void EachRegexMatch(std::wstring_view line, int from, int to, Visit visit) const;
    bool MayStart(wchar_t c) const;
    // Whether the text matches at `at` from its second character on (MayStart saw the first).
    bool MatchesAt(std::wstring_view line, int at) const;
    bool StandsAlone(std::wstring_view line, int at, int length) const;

    std::wstring text_;  // folded when the case does not matter
    SearchOptions options_;
    // Which code units may begin a match: the first character in each of its cases.
    std::vector<uint8_t> starts_;
    std::unique_ptr<Pattern> pattern_;
    mutable std::wstring error_;
};
