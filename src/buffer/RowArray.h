#pragma once
// The rows of a document, one owned string per row without its line end. Row n lives in slot n
// (slot 0 never holds text), and inserting or removing a row moves only pointers.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class RowArray {
public:
    // The most filler one write may create: blanks between a row's end and the insertion
    // point, or empty rows between the last row and the written one. A position that far out
    // is a bad argument, not a request for gigabytes of blanks.
    static constexpr int kMaxPadding = 1 << 24;

    int GetRowCount() const { return slots_.empty() ? 0 : static_cast<int>(slots_.size() - 1); }
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
        ++changes_;
    }
    // Grows with every change of the rows: whoever keeps something derived from them (the edit
    // control's cache of parse results) sees changes made by anyone else.
    uint64_t GetChangeCount() const { return changes_; }

private:
    bool CanWrite(int row) const { return row >= 1 && row - GetRowCount() - 1 <= kMaxPadding; }
    // The row's string, growing the array and creating the string when missing. Needs CanWrite.
    std::wstring& Writable(int row);

    std::vector<std::unique_ptr<std::wstring>> slots_;
    uint64_t changes_ = 0;
};
