#include "buffer/RowArray.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

void RowArray::Row::Replace(size_t at, size_t count, std::wstring_view text) {
    const size_t length = length_ - count + text.size();
    if (length > std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    wchar_t* chars = chars_.get();
    if (length > capacity_) {
        // Rows as loaded take exactly their length; a row being typed into grows by half.
        const size_t capacity =
            length_ == 0 ? length : std::min<size_t>(std::max(length, size_t{capacity_} * 3 / 2), UINT32_MAX);
        std::unique_ptr<wchar_t[]> grown(new wchar_t[capacity]);
        std::copy_n(chars, at, grown.get());
        std::copy_n(chars + at + count, length_ - at - count, grown.get() + at + text.size());
        chars_ = std::move(grown);
        capacity_ = static_cast<uint32_t>(capacity);
    } else if (const size_t tail = length_ - at - count; tail > 0) {
        std::memmove(chars + at + text.size(), chars + at + count, tail * sizeof(wchar_t));
    }
    std::copy(text.begin(), text.end(), chars_.get() + at);
    length_ = static_cast<uint32_t>(length);
}

void RowArray::OpenSlots(size_t index, size_t count) {
    if (gapEnd_ - gapStart_ < count) {
        // A new gap of at least half the rows again, so that growing costs little per row.
        const size_t used = Used();
        std::vector<Row> grown(used + std::max({count, used / 2, size_t{64}}));
        std::move(slots_.begin(), slots_.begin() + static_cast<ptrdiff_t>(gapStart_), grown.begin());
        std::move_backward(slots_.begin() + static_cast<ptrdiff_t>(gapEnd_), slots_.end(), grown.end());
        gapEnd_ = grown.size() - (slots_.size() - gapEnd_);
        slots_.swap(grown);
    }
    // The gap moves to `index`, carrying the rows between across it.
    if (index < gapStart_) {
        std::move_backward(slots_.begin() + static_cast<ptrdiff_t>(index),
                           slots_.begin() + static_cast<ptrdiff_t>(gapStart_),
                           slots_.begin() + static_cast<ptrdiff_t>(gapEnd_));
        gapEnd_ -= gapStart_ - index;
    } else if (index > gapStart_) {
        std::move(slots_.begin() + static_cast<ptrdiff_t>(gapEnd_),
                  slots_.begin() + static_cast<ptrdiff_t>(gapEnd_ + (index - gapStart_)),
                  slots_.begin() + static_cast<ptrdiff_t>(gapStart_));
        gapEnd_ += index - gapStart_;
    }
    gapStart_ = index + count;
}

std::wstring_view RowArray::GetAt(int row) const {
    if (row < 1 || row > GetRowCount())
        return {};
    return Slot(static_cast<size_t>(row)).View();
}

RowArray::Row& RowArray::Writable(int row) {
    ++changes_;
    if (static_cast<size_t>(row) >= Used())
        OpenSlots(Used(), static_cast<size_t>(row) + 1 - Used());
    return Slot(static_cast<size_t>(row));
}

bool RowArray::InsertAt(int row, std::wstring text) {
    if (!CanWrite(row))
        return false;
    if (row > GetRowCount()) {
        Writable(row) = Row(text);
    } else {
        OpenSlots(static_cast<size_t>(row), 1);
        Slot(static_cast<size_t>(row)) = Row(text);
        ++changes_;
    }
    return true;
}

bool RowArray::InsertRows(int row, std::vector<std::wstring> texts) {
    if (texts.empty())
        return true;
    if (!CanWrite(row))
        return false;
    // All copies made before any source goes, so that the rows lie side by side in memory as
    // they lie in the text: a parse reading them in order then reads memory in order.
    std::vector<Row> fresh;
    fresh.reserve(texts.size());
    for (const std::wstring& text : texts) fresh.emplace_back(text);
    std::vector<std::wstring>().swap(texts);
    const auto at = std::min(static_cast<size_t>(row), Used());
    // The rows before it, empty, then the new ones.
    OpenSlots(at, static_cast<size_t>(row) - at + fresh.size());
    for (size_t i = 0; i < fresh.size(); ++i) Slot(static_cast<size_t>(row) + i) = std::move(fresh[i]);
    ++changes_;
    return true;
}

bool RowArray::RemoveAt(int row, int count) {
    if (row < 1 || row > GetRowCount() || count < 1)
        return false;
    const auto removed = static_cast<size_t>(std::min(count, GetRowCount() - row + 1));
    OpenSlots(static_cast<size_t>(row), 0);
    for (size_t i = 0; i < removed; ++i) slots_[gapEnd_ + i] = Row();
    gapEnd_ += removed;
    ++changes_;
    return true;
}

bool RowArray::InsertChars(int row, int index, std::wstring_view text) {
    int length = GetLength(row);
    if (!CanWrite(row) || (index > length && index - length > kMaxPadding))
        return false;
    Row& r = Writable(row);
    const size_t at = static_cast<size_t>(std::max(index, 0));
    if (at > r.View().size())
        r.Replace(r.View().size(), 0, std::wstring(at - r.View().size(), L' '));
    r.Replace(at, 0, text);
    return true;
}

bool RowArray::DeleteChars(int row, int index, int count) {
    int length = GetLength(row);
    if (index < 0 || count < 1 || index >= length)
        return false;
    Slot(static_cast<size_t>(row))
        .Replace(static_cast<size_t>(index), static_cast<size_t>(std::min(count, length - index)), {});
    ++changes_;
    return true;
}
