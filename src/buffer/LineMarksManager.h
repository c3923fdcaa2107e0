#pragma once
// Per-row marks of named kinds for one buffer, kept on their text as rows come and go. The
// painter asks about every visible row, so each kind's marks are a sorted array searched by
// bisection.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/LineMark.h"

// The kinds this editor uses. Any other string is a kind too; kinds compare case-sensitively.
namespace LineMarkKind {
inline constexpr std::wstring_view Bookmark = L"Bookmark";
inline constexpr std::wstring_view Breakpoint = L"Breakpoint";
inline constexpr std::wstring_view Collapsed = L"Collapsed";
}  // namespace LineMarkKind

// What UpdateLineMarks is told about an edit. With DeleteFirst or DeleteSecond no mark moves.
namespace LineMarkAction {
inline constexpr int RowsInserted = 0x01;  // marks after the first row move down
inline constexpr int RowsRemoved = 0x02;   // marks between the rows go, those from the second move up
inline constexpr int DeleteFirst = 0x10;   // drop the marks on the first (smaller) row
inline constexpr int DeleteSecond = 0x20;  // drop the marks on the second (larger) row
inline constexpr int MoveFirst = 0x40;     // the marks on the first row move too
}  // namespace LineMarkAction

// The marks of one kind, by strictly increasing row. Indexes are 1-based; 0 means none.
class LineMarkList {
public:
    int Count() const { return static_cast<int>(marks_.size()); }
    const LineMark* At(int index) const;
    int Find(int row) const;      // the mark on `row`
    int FindPrev(int row) const;  // the last mark on `row` or before it
    int FindNext(int row) const;  // the first mark on `row` or after it

    void Set(int row, LineMarkParam param);
    void Delete(int row);
    void Clear() { marks_.clear(); }
    void Update(int lo, int hi, int action);

private:
    std::vector<LineMark> marks_;
};

class CQELPenwrightLineMarksManager {
public:
    virtual ~CQELPenwrightLineMarksManager() = default;

    // Whether the row has a mark of the kind; its parameter is copied to `param` when given.
    bool HasMark(int row, std::wstring_view kind, LineMarkParam* param = nullptr) const;
    // Adds the mark or replaces the parameter of the one on that row. Rows below 1 are refused.
    bool SetMark(int row, std::wstring_view kind, LineMarkParam param = {});
    void DeleteMark(int row, std::wstring_view kind);
    // Removes the mark when the row has one, else sets it; answers whether the row has it now.
    bool ToggleMark(int row, std::wstring_view kind, LineMarkParam param = {});
    void RemoveAll(std::wstring_view kind);  // the kind stays known

    // The last mark on `row` or before it (FindPrevMark), or the first on `row` or after it
    // (FindNextMark): answers its index and sets `row` to its row, or answers 0 and sets -1.
    int FindPrevMark(int& row, std::wstring_view kind) const;
    int FindNextMark(int& row, std::wstring_view kind) const;
    int GetLastMarkIndex(std::wstring_view kind) const;

    // Walking the marks of a kind: start from GetFirstMarkPosition and call GetNextMark until
    // the position is 0; each call answers the mark at the position and advances it.
    int GetFirstMarkPosition(std::wstring_view /*kind*/) const { return -1; }
    std::optional<LineMark> GetNextMark(int& position, std::wstring_view kind) const;
    std::optional<LineMark> GetMarkAt(int index, std::wstring_view kind) const;

    // Moves and drops the marks of every kind after rows row1..row2 changed as `action` says
    // (LineMarkAction flags). Rows below 1 are ignored.
    virtual void UpdateLineMarks(int row1, int row2, int action);

private:
    const LineMarkList* ListOf(std::wstring_view kind) const;

    std::map<std::wstring, LineMarkList, std::less<>> lists;
};
