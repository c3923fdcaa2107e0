#include "editor/TextSearch.h"

#include <algorithm>

#include "buffer/BufferManager.h"
#include "editor/CharClass.h"
#include "lexer/LexText.h"

TextSearch::TextSearch(std::wstring_view text, const SearchOptions& options)
    : text_(options.matchCase ? std::wstring(text) : FoldCase(text)), options_(options) {
    if (text_.empty())
        return;
    if (options_.matchCase) {
        starts_[text_[0]] = 1;
        return;
    }
    for (uint32_t c = 0; c < starts_.size(); ++c)
        starts_[c] = FoldCase(static_cast<wchar_t>(c)) == text_[0] ? 1 : 0;
}

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
    if (!options_.wholeWord)
        return true;
    const auto size = static_cast<int>(line.size());
    return (at == 0 || CharClass::EndsWholeWord(line[static_cast<size_t>(at - 1)])) &&
           (at + n >= size || CharClass::EndsWholeWord(line[static_cast<size_t>(at + n)]));
}

std::optional<int> TextSearch::FirstIn(std::wstring_view line, int from, int to) const {
    const auto n = static_cast<int>(text_.size());
    const int last = std::min(to, static_cast<int>(line.size())) - n;
    if (options_.matchCase && !options_.wholeWord) {
        // The library's search looks for the first character a block at a time.
        const size_t at =
            line.substr(0, static_cast<size_t>(std::max(last + n, 0))).find(text_, std::max(from, 0));
        return at == std::wstring_view::npos ? std::nullopt : std::optional(static_cast<int>(at));
    }
    for (int at = std::max(from, 0); at <= last; ++at)
        if (MayStart(line[static_cast<size_t>(at)]) && MatchesAt(line, at))
            return at;
    return std::nullopt;
}

std::optional<int> TextSearch::LastIn(std::wstring_view line, int from, int to) const {
    const auto n = static_cast<int>(text_.size());
    const int first = std::max(from, 0);
    for (int at = std::min(to, static_cast<int>(line.size())) - n; at >= first; --at)
        if (MayStart(line[static_cast<size_t>(at)]) && MatchesAt(line, at))
            return at;
    return std::nullopt;
}

std::optional<SearchHit> TextSearch::Find(const CQELPenwrightBufferManager& buffer, int row, int col) const {
    const int rows = buffer.GetRowCount();
    if (text_.empty() || row < 1 || row > rows)
        return std::nullopt;
    const auto n = static_cast<int>(text_.size());
    const int step = options_.down ? 1 : -1;
    for (int r = row; r >= 1 && r <= rows; r += step) {
        const std::wstring_view line = buffer.GetLineView(r);
        const auto size = static_cast<int>(line.size());
        // Only the start row begins at the given column; the others are searched whole.
        const int start = r == row ? std::clamp(col - 1, 0, size) : (options_.down ? 0 : size);
        const std::optional<int> at = options_.down ? FirstIn(line, start, size) : LastIn(line, 0, start);
        if (at)
            return SearchHit{r, *at + 1, n};
    }
    return std::nullopt;
}
