#pragma once
// The rows of a document, one owned run of characters per row without its line end. Row n lives
// in slot n (slot 0 never holds text). The slots are a gap buffer: inserting or removing rows
// moves only the slots between the last such edit and this one, so that typing line breaks in
// a file of millions of rows does not shift them all each time. A slot is a pointer and two
// lengths, and a row's characters are one allocation of exactly what was loaded: per row the
// text costs its characters and little else.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class RowArray {
public:
    // The most filler one write may create: blanks between a row's end and the insertion
    // point, or empty rows between the last row and the written one. A position that far out
    // is a bad argument, not a request for gigabytes of blanks.
    static constexpr int kMaxPadding = 1 << 24;

    int GetRowCount() const { return Used() == 0 ? 0 : static_cast<int>(Used() - 1); }
    // Empty for a row that does not exist or has no string yet.
    std::wstring_view GetAt(int row) const;
    int GetLength(int row) const { return static_cast<int>(GetAt(row).size()); }

    // Inserts a row before `row`; at or past the end the missing rows up to it are created empty.
    // False (nothing changed) for row < 1 or a gap wider than kMaxPadding.
    bool InsertAt(int row, std::wstring text);
    // InsertAt for many rows at once, in one move of the rows after them: a pasted megabyte
    // must not shift the rest of the text once per line.
    bool InsertRows(int row, std::vector<std::wstring> texts);
    // Removes `count` rows from `row` on (clipped at the last row); false when none was removed.
    bool RemoveAt(int row, int count = 1);
    // Inserts at a 0-based index, creating the row when missing. An index past the row's end pads
    // with blanks up to it; a negative index inserts at the start.
    bool InsertChars(int row, int index, std::wstring_view text);
    // Fails when the row does not exist, index < 0, count < 1 or index is at or past the end;
    // count is clipped to the characters after index.
    bool DeleteChars(int row, int index, int count);
    void RemoveAll() {
        slots_.clear();
        gapStart_ = gapEnd_ = 0;
        ++changes_;
    }
    // Grows with every change of the rows: whoever keeps something derived from them (the edit
    // control's cache of parse results) sees changes made by anyone else.
    uint64_t GetChangeCount() const { return changes_; }

private:
    // One row's characters: none, or an allocation of `capacity` holding `length`.
    class Row {
    public:
        Row() = default;
        explicit Row(std::wstring_view text) { Replace(0, 0, text); }
        // A row moved from is empty: the gap's slots are rows nobody has written.
        Row(Row&& other) noexcept { *this = std::move(other); }
        Row& operator=(Row&& other) noexcept {
            chars_ = std::move(other.chars_);
            length_ = std::exchange(other.length_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
            return *this;
        }
        std::wstring_view View() const { return {chars_.get(), length_}; }
        // Replaces `count` characters from `at` (both within the row) by `text`.
        void Replace(size_t at, size_t count, std::wstring_view text);

    private:
        std::unique_ptr<wchar_t[]> chars_;
        uint32_t length_ = 0;
        uint32_t capacity_ = 0;
    };

    bool CanWrite(int row) const { return row >= 1 && row - GetRowCount() - 1 <= kMaxPadding; }
    // The slots in use, the gap left out.
    size_t Used() const { return slots_.size() - (gapEnd_ - gapStart_); }
    Row& Slot(size_t index) { return slots_[index < gapStart_ ? index : index + (gapEnd_ - gapStart_)]; }
    const Row& Slot(size_t index) const {
        return slots_[index < gapStart_ ? index : index + (gapEnd_ - gapStart_)];
    }
    // Empty slots at `index` for `count` new rows, which the caller fills.
    void OpenSlots(size_t index, size_t count);
    // The row, growing the array with empty rows up to it. Needs CanWrite.
    Row& Writable(int row);

    std::vector<Row> slots_;
    size_t gapStart_ = 0, gapEnd_ = 0;  // slots [gapStart_, gapEnd_) hold no row
    uint64_t changes_ = 0;
};
