#include "editor/TextSearch.h"

#include <algorithm>
#include <boost/regex.hpp>
#include <climits>
#include <tuple>

#include "buffer/BufferManager.h"
#include "editor/CharClass.h"
#include "lexer/LexText.h"

// A compiled expression. Boost's matcher keeps its own stack and gives up on a match that would
// take too long, where the standard library's recurses and may overflow on a long row.
class TextSearch::Pattern {
public:
    explicit Pattern(const boost::wregex& regex) : regex_(regex) {}

    // Searches [begin, end) of the row `line` from `from`; throws when the match is too complex.
    std::optional<boost::match_results<const wchar_t*>> Next(std::wstring_view line, int from,
                                                             int end) const {
        boost::match_results<const wchar_t*> match;
        auto flags = boost::match_not_dot_newline;
        if (from > 0)
            flags |= boost::match_prev_avail;  // ^ and \b see the text before
        if (end < static_cast<int>(line.size()))
            flags |= boost::match_not_eol;
        if (!boost::regex_search(line.data() + from, line.data() + end, match, regex_, flags, line.data()))
            return std::nullopt;
        return match;
    }
    const boost::wregex& Regex() const { return regex_; }

private:
    boost::wregex regex_;
};

TextSearch::TextSearch(std::wstring_view text, const SearchOptions& options)
    : text_(options.matchCase || options.regex ? std::wstring(text) : FoldCase(text)), options_(options) {
    if (text_.empty()) {
        error_ = L"Nothing to search for.";
        return;
    }
    if (options_.regex) {
        try {
            const auto syntax =
                boost::regex::perl | (options_.matchCase ? boost::regex::normal : boost::regex::icase);
            pattern_ = std::make_unique<Pattern>(boost::wregex(text_, syntax));
        } catch (const std::exception& e) {
            const std::string what = e.what();
            error_ = L"Not a regular expression: " + std::wstring(what.begin(), what.end());
        }
        return;
    }
    starts_.assign(0x10000, 0);
    if (options_.matchCase) {
        starts_[static_cast<uint32_t>(text_[0]) & 0xFFFF] = 1;
        return;
    }
    for (uint32_t c = 0; c < starts_.size(); ++c)
        starts_[c] = FoldCase(static_cast<wchar_t>(c)) == text_[0] ? 1 : 0;
}

TextSearch::~TextSearch() = default;

bool TextSearch::MayStart(wchar_t c) const {
    // Where wchar_t is wider than a code unit, text from outside may hold larger values.
    const auto unit = static_cast<uint32_t>(c);
    return unit < starts_.size() ? starts_[unit] != 0 : unit == static_cast<uint32_t>(text_[0]);
}

bool TextSearch::MatchesAt(std::wstring_view line, int at) const {
    const auto n = static_cast<int>(text_.size());
    for (int i = 1; i < n; ++i) {
        const wchar_t c = line[static_cast<size_t>(at + i)];
        if ((options_.matchCase ? c : FoldCase(c)) != text_[static_cast<size_t>(i)])
            return false;
    }
    return StandsAlone(line, at, n);
}

bool TextSearch::StandsAlone(std::wstring_view line, int at, int length) const {
    if (!options_.wholeWord)
        return true;
    const auto size = static_cast<int>(line.size());
    return (at == 0 || CharClass::EndsWholeWord(line[static_cast<size_t>(at - 1)])) &&
           (at + length >= size || CharClass::EndsWholeWord(line[static_cast<size_t>(at + length)]));
}

template <typename Visit>
void TextSearch::EachRegexMatch(std::wstring_view line, int from, int to, Visit visit) const {
    for (int start = from; start <= to;) {
        const auto match = pattern_->Next(line, start, to);
        if (!match)
            return;
        const auto at = static_cast<int>((*match)[0].first - line.data());
        const auto length = static_cast<int>((*match)[0].length());
        if (length > 0 && StandsAlone(line, at, length) && !visit(RowMatch{at, length}))
            return;
        start = at + 1;
    }
}

std::optional<TextSearch::RowMatch> TextSearch::FirstIn(std::wstring_view line, int from, int to) const {
    if (pattern_) {
        std::optional<RowMatch> first;
        EachRegexMatch(line, from, to, [&first](RowMatch match) {
            first = match;
            return false;
        });
        return first;
    }
    const auto n = static_cast<int>(text_.size());
    if (options_.matchCase && !options_.wholeWord) {
        // The library's search looks for the first character a block at a time.
        const size_t at = line.substr(0, static_cast<size_t>(to)).find(text_, static_cast<size_t>(from));
        return at == std::wstring_view::npos ? std::nullopt
                                             : std::optional(RowMatch{static_cast<int>(at), n});
    }
    for (int at = from; at <= to - n; ++at)
        if (MayStart(line[static_cast<size_t>(at)]) && MatchesAt(line, at))
            return RowMatch{at, n};
    return std::nullopt;
}

std::optional<TextSearch::RowMatch> TextSearch::LastIn(std::wstring_view line, int from, int to) const {
    if (pattern_) {
        // Every match that ends in time, the last one kept.
        std::optional<RowMatch> last;
        EachRegexMatch(line, from, to, [&last](RowMatch match) {
            last = match;
            return true;
        });
        return last;
    }
    const auto n = static_cast<int>(text_.size());
    for (int at = to - n; at >= from; --at)
        if (MayStart(line[static_cast<size_t>(at)]) && MatchesAt(line, at))
            return RowMatch{at, n};
    return std::nullopt;
}

std::optional<SearchHit> TextSearch::Find(const CQELPenwrightBufferManager& buffer, int row, int col,
                                          const SearchBounds* bounds) const {
    return Search(buffer, row, col, bounds, options_.down);
}

std::optional<SearchHit> TextSearch::Search(const CQELPenwrightBufferManager& buffer, int row, int col,
                                            const SearchBounds* bounds, bool down) const {
    const int rows = buffer.GetRowCount();
    if (!error_.empty() || row < 1 || row > rows)
        return std::nullopt;
    const int first = bounds ? std::max(bounds->firstRow, 1) : 1;
    const int last = bounds ? std::min(bounds->lastRow, rows) : rows;
    // A start before the bounds (going their way) begins at their edge; one past them finds nothing.
    if (down && row < first)
        row = first, col = 1;
    else if (!down && row > last)
        row = last, col = INT_MAX;
    const int step = down ? 1 : -1;
    try {
        for (int r = row; r >= first && r <= last; r += step) {
            const std::wstring_view line = buffer.GetLineView(r);
            const auto size = static_cast<int>(line.size());
            int from = 0, to = size;
            if (bounds && bounds->span) {
                std::tie(from, to) = bounds->span(r);
                to = std::clamp(to, 0, size);
                from = std::clamp(from, 0, to);
            }
            // Only the start row begins at the given column; the others are searched whole.
            if (r == row) {
                const int start = std::clamp(col - 1, 0, size);
                (down ? from : to) = std::clamp(start, from, to);
            }
            const std::optional<RowMatch> match = down ? FirstIn(line, from, to) : LastIn(line, from, to);
            if (match)
                return SearchHit{r, match->at + 1, match->length};
        }
    } catch (const std::exception&) {
        error_ = L"The regular expression is too complex to match here.";
    }
    return std::nullopt;
}

int TextSearch::Count(const CQELPenwrightBufferManager& buffer, const SearchBounds* bounds) const {
    int count = 0;
    ForEachMatch(buffer, bounds, [&count](const SearchHit& hit) {
        ++count;
        return std::optional(LineCol{hit.row, hit.col + hit.length});
    });
    return count;
}

void TextSearch::ForEachMatch(
    const CQELPenwrightBufferManager& buffer, const SearchBounds* bounds,
    const std::function<std::optional<LineCol>(const SearchHit& hit)>& visit) const {
    std::optional<LineCol> at = LineCol{bounds ? std::max(bounds->firstRow, 1) : 1, 1};
    for (std::optional<SearchHit> hit; at && (hit = Search(buffer, at->row, at->col, bounds, true));)
        at = visit(*hit);
}

std::wstring TextSearch::Replacement(const CQELPenwrightBufferManager& buffer, const SearchHit& hit,
                                     std::wstring_view replace) const {
    if (!pattern_ || hit.row < 1 || hit.row > buffer.GetRowCount())
        return std::wstring(replace);
    const std::wstring_view line = buffer.GetLineView(hit.row);
    const int at = std::clamp(hit.col - 1, 0, static_cast<int>(line.size()));
    try {
        // The same match again, from its start, for its groups.
        if (const auto match = pattern_->Next(line, at, static_cast<int>(line.size())))
            return match->format(std::wstring(replace), boost::format_perl);
    } catch (const std::exception&) {
        error_ = L"The regular expression is too complex to match here.";
    }
    return std::wstring(replace);
}
