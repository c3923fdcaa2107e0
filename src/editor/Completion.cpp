#include "editor/Completion.h"

#include <algorithm>
#include <cstdint>

#include "buffer/BufferManager.h"
#include "editor/CharClass.h"
#include "editor/EditorCore.h"
#include "lexer/LexText.h"

namespace Completion {

std::vector<std::wstring> Sorted(std::vector<std::wstring> words) {
    std::erase_if(words, [](const std::wstring& word) { return word.empty(); });
    std::sort(words.begin(), words.end(), [](const std::wstring& a, const std::wstring& b) {
        const auto folded = [](wchar_t x, wchar_t y) { return FoldCase(x) < FoldCase(y); };
        if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded))
            return true;
        return !std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded) && a < b;
    });
    words.erase(std::unique(words.begin(), words.end()), words.end());
    return words;
}

Vocabulary FromTokenLists(const std::vector<LexParser::TokenList>& lists) {
    Vocabulary vocabulary;
    auto addDelimiters = [&](const std::vector<std::wstring>& separators) {
        for (const std::wstring& separator : separators)
            for (wchar_t c : separator)
                if (vocabulary.delimiters.find(c) == std::wstring::npos)
                    vocabulary.delimiters += c;
    };
    for (const LexParser::TokenList& list : lists) {
        vocabulary.words.insert(vocabulary.words.end(), list.tags.begin(), list.tags.end());
        addDelimiters(list.startSeparators);
        addDelimiters(list.endSeparators);
    }
    return vocabulary;
}

bool IsWordChar(wchar_t c, std::wstring_view delimiters) {
    return CharClass::Of(c) == CharClass::Kind::kWord && delimiters.find(c) == std::wstring_view::npos;
}

void AddDocumentWords(const CQELPenwrightBufferManager& buffer, int row, int pos,
                      std::wstring_view delimiters, std::vector<std::wstring>& words) {
    size_t budget = kScanChars;
    auto scan = [&](int r) {
        const std::wstring_view whole = buffer.GetLineView(r);
        // A long row is read around the caret; a word cut by the window's edges is no word.
        size_t from = 0;
        if (r == row && whole.size() > budget)
            from = static_cast<size_t>(
                std::max<int64_t>(0, int64_t{pos} - 1 - static_cast<int64_t>(budget / 2)));
        const size_t to = std::min(whole.size(), from + budget);
        budget -= to - from;
        const size_t caret = r == row ? static_cast<size_t>(std::max(pos - 1, 0)) : SIZE_MAX;
        for (size_t i = from; i < to;) {
            if (!IsWordChar(whole[i], delimiters)) {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < to && IsWordChar(whole[end], delimiters)) ++end;
            const bool cut = (i == from && from > 0) || (end == to && to < whole.size());
            const bool typed = caret >= i && caret <= end;
            if (!cut && !typed && end - i >= 2 && (whole[i] < L'0' || whole[i] > L'9'))
                words.emplace_back(whole.substr(i, end - i));
            i = end;
        }
    };
    // The nearest rows first, so that long rows far off cannot use up what is read.
    const int rows = buffer.GetRowCount();
    for (int distance = 0; distance <= kScanRows / 2 && budget > 0; ++distance) {
        if (row - distance >= 1 && row - distance <= rows)
            scan(row - distance);
        if (distance > 0 && row + distance >= 1 && row + distance <= rows && budget > 0)
            scan(row + distance);
    }
}

Word WordBefore(const RowColumns::Row& row, int pos, std::wstring_view delimiters) {
    const int end = std::clamp(pos - 1, 0, static_cast<int>(row.text.size()));
    int start = end;
    while (start > 0 && IsWordChar(row.text[static_cast<size_t>(start - 1)], delimiters)) --start;
    // Never between the halves of a pair.
    if (!CharClass::IsBoundary(row.text, start))
        ++start;
    return {std::wstring(row.text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start))),
            RowColumns::ColumnOf(row, start + 1), RowColumns::ColumnOf(row, end + 1)};
}

int ItemHeight(int letterHeight) {
    return std::max(letterHeight + 6, 1);
}

int VisibleRows(int count, int itemHeight) {
    if (count <= 0)
        return 0;
    itemHeight = std::max(itemHeight, 1);
    if (int64_t{count} * itemHeight < kMaxHeight)
        return count;
    return std::max(kMaxHeight / itemHeight, 1);
}

PixelRect Place(int x, int y, int rowHeight, int height, const PixelRect& screen) {
    height = std::min(height, screen.Height());
    const int left = std::max(std::min(x - kLeftShift, screen.right - kWidth), screen.left);
    int top = y;
    if (top + height > screen.bottom)
        top = y - rowHeight - height >= screen.top ? y - rowHeight - height : screen.bottom - height;
    top = std::max(top, screen.top);
    return {left, top, left + kWidth, top + height};
}

bool OpenAtCaret(EditorCore& core, CompletionModel& model) {
    std::vector<LexParser::TokenList> lists;
    core.GetParser().GetTokenLists(lists, false);
    Vocabulary vocabulary = FromTokenLists(lists);
    const EditCaret& caret = core.GetCaret();
    AddDocumentWords(core.GetBuffer(), caret.GetRow(), caret.GetPosition(), vocabulary.delimiters,
                     vocabulary.words);
    model.SetItems(std::move(vocabulary.words), std::move(vocabulary.delimiters));
    const RowColumns::Row row = caret.RowAt(caret.GetRow());
    // In virtual space there is no word before the caret.
    if (caret.GetColumn() > RowColumns::EndColumn(row))
        return model.Open({{}, caret.GetColumn(), caret.GetColumn()});
    return model.Open(WordBefore(row, caret.GetPosition(), model.Delimiters()));
}

bool InsertChosen(EditorCore& core, CompletionModel& model) {
    const std::optional<std::wstring> item = model.Chosen();
    model.Close();
    EditCaret& caret = core.GetCaret();
    if (!item || caret.GetColumn() != model.WordEnd() || model.WordStart() > model.WordEnd())
        return false;
    // Nothing typed yet: the item goes in at the caret (an empty text has no row to select in).
    const int row = caret.GetRow();
    if (model.WordStart() == model.WordEnd())
        caret.GetSelection().Clear(caret.Here());
    else if (!caret.Select(row, model.WordStart(), row, model.WordEnd(), false))
        return false;
    if (core.GetEditor().ReplaceSelection(*item))
        return true;
    caret.GetSelection().Clear(caret.Here());  // refused (read-only): the word as it was
    return false;
}

}  // namespace Completion

void CompletionModel::SetItems(std::vector<std::wstring> items, std::wstring delimiters) {
    items_ = Completion::Sorted(std::move(items));
    delimiters_ = std::move(delimiters);
    if (open_)
        Filter();
}

bool CompletionModel::Open(const Completion::Word& word) {
    filter_ = word.text;
    wordStart_ = word.startCol;
    wordEnd_ = word.endCol;
    filterGiven_ = !filter_.empty();
    Filter();
    open_ = !filtered_.empty();
    return open_;
}

void CompletionModel::Close() {
    open_ = filterGiven_ = highlight_ = false;
}

void CompletionModel::Filter() {
    filtered_.clear();
    for (size_t i = 0; i < items_.size(); ++i)
        if (StartsWithNoCase(items_[i], filter_))
            filtered_.push_back(static_cast<int>(i));
    highlight_ = !filtered_.empty();
    selected_ = filtered_.empty() ? -1 : 0;
    first_ = 0;
    Layout();
}

void CompletionModel::Layout() {
    visible_ = Completion::VisibleRows(Count(), itemHeight_);
    ScrollTo(first_);
}

void CompletionModel::SetItemHeight(int height) {
    itemHeight_ = std::max(height, 1);
    Layout();
    if (selected_ >= 0)
        MakeVisible(selected_);
}

void CompletionModel::ScrollTo(int first) {
    first_ = std::clamp(first, 0, std::max(Count() - visible_, 0));
}

void CompletionModel::MakeVisible(int index) {
    if (index < first_)
        ScrollTo(index);
    else if (index >= first_ + visible_)
        ScrollTo(index - visible_ + 1);
}

int CompletionModel::RowAt(int y) const {
    if (y < 0)
        return -1;
    const int64_t row = first_ + int64_t{y} / itemHeight_;
    return row < std::min<int64_t>(Count(), int64_t{first_} + visible_) ? static_cast<int>(row) : -1;
}

void CompletionModel::Select(int index, bool highlight) {
    if (index < 0 || index >= Count())
        return;
    selected_ = index;
    highlight_ = highlight_ || highlight;
    MakeVisible(index);
}

std::optional<std::wstring> CompletionModel::Chosen() const {
    if (!open_ || !highlight_ || selected_ < 0 || selected_ >= Count())
        return std::nullopt;
    return ItemAt(selected_);
}

CompletionModel::Outcome CompletionModel::NoMatch() {
    if (filterGiven_) {
        Close();
        return Outcome::kClose;
    }
    return Outcome::kStay;
}

CompletionModel::Outcome CompletionModel::OnKey(Key key, int repeat) {
    if (!open_)
        return Outcome::kStay;
    const int last = Count() - 1;
    const int steps = std::clamp(repeat, 1, std::max(Count(), 1));
    const bool moves = key == Key::kUp || key == Key::kDown || key == Key::kPageUp || key == Key::kPageDown ||
                       key == Key::kHome || key == Key::kEnd;
    if (moves && last < 0)
        return Outcome::kStay;  // no rows to move through
    switch (key) {
        case Key::kUp:
        case Key::kDown:
        case Key::kPageUp:
        case Key::kPageDown: {
            const int by = key == Key::kUp || key == Key::kDown ? steps : visible_;
            const int sign = key == Key::kUp || key == Key::kPageUp ? -1 : 1;
            Select(std::clamp(selected_ + sign * by, 0, last), false);
            return Outcome::kStay;
        }
        case Key::kHome:
        case Key::kEnd:
            Select(key == Key::kHome ? 0 : last, false);
            return Outcome::kStay;
        case Key::kInsert: {
            const bool chosen = Chosen().has_value();
            if (!chosen)
                Close();
            return chosen ? Outcome::kInsert : Outcome::kClose;
        }
        case Key::kClose:
            Close();
            return Outcome::kClose;
        case Key::kBackspace:
            if (!filter_.empty())
                filter_.pop_back();
            if (--wordEnd_ <= wordStart_) {
                Close();
                return Outcome::kClose;
            }
            Filter();
            return filtered_.empty() ? NoMatch() : Outcome::kStay;
        case Key::kOther:
            return Outcome::kStay;
    }
    return Outcome::kStay;
}

CompletionModel::Reaction CompletionModel::OnChar(wchar_t c) {
    if (!open_)
        return {};
    // The key-down of a control character already spoke for it; a tab is typed, so the word ends.
    if (c < L' ' && c != L'\t')
        return {};
    const bool high = (c & 0xFC00) == 0xD800, low = (c & 0xFC00) == 0xDC00;
    if (high || low || !Completion::IsWordChar(c, delimiters_)) {
        Close();
        return {Outcome::kClose, true};
    }
    filter_ += c;
    Filter();
    if (filtered_.empty()) {
        if (NoMatch() == Outcome::kClose)
            return {Outcome::kClose, true};
        ++wordEnd_;
        return {};
    }
    // The word typed whole: it goes in as the list has it, instead of the character.
    if (filterGiven_ && EqualNoCase(ItemAt(selected_), filter_))
        return {Outcome::kInsert, false};
    ++wordEnd_;
    return {};
}
