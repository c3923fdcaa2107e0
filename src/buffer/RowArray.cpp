#include "buffer/RowArray.h"

#include <algorithm>

std::wstring_view RowArray::GetAt(int row) const {
    if (row < 1 || row > GetRowCount() || !slots_[row])
        return {};
    return *slots_[row];
}

std::wstring& RowArray::Writable(int row) {
    ++changes_;
    if (static_cast<size_t>(row) >= slots_.size())
        slots_.resize(static_cast<size_t>(row) + 1);
    auto& slot = slots_[row];
    if (!slot)
        slot = std::make_unique<std::wstring>();
    return *slot;
}

bool RowArray::InsertAt(int row, std::wstring text) {
    if (!CanWrite(row))
        return false;
    if (row > GetRowCount()) {
        Writable(row) = std::move(text);
    } else {
        slots_.insert(slots_.begin() + row, std::make_unique<std::wstring>(std::move(text)));
        ++changes_;
    }
    return true;
}

bool RowArray::InsertRows(int row, std::vector<std::wstring> texts) {
    if (texts.empty())
        return true;
    if (!CanWrite(row))
        return false;
    if (static_cast<size_t>(row) > slots_.size())
        slots_.resize(static_cast<size_t>(row));  // the rows before it, empty
    std::vector<std::unique_ptr<std::wstring>> fresh;
    fresh.reserve(texts.size());
    for (std::wstring& text : texts) fresh.push_back(std::make_unique<std::wstring>(std::move(text)));
    slots_.insert(slots_.begin() + row, std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
    ++changes_;
    return true;
}

bool RowArray::RemoveAt(int row, int count) {
    if (row < 1 || row > GetRowCount() || count < 1)
        return false;
    auto first = slots_.begin() + row;
    slots_.erase(first, first + std::min(count, GetRowCount() - row + 1));
    ++changes_;
    return true;
}

bool RowArray::InsertChars(int row, int index, std::wstring_view text) {
    int length = GetLength(row);
    if (!CanWrite(row) || (index > length && index - length > kMaxPadding))
        return false;
    std::wstring& s = Writable(row);
    size_t at = static_cast<size_t>(std::max(index, 0));
    if (at > s.size())
        s.resize(at, L' ');
    s.insert(at, text);
    return true;
}

bool RowArray::DeleteChars(int row, int index, int count) {
    int length = GetLength(row);
    if (index < 0 || count < 1 || index >= length)
        return false;
    slots_[row]->erase(static_cast<size_t>(index), static_cast<size_t>(std::min(count, length - index)));
    ++changes_;
    return true;
}
