#include "buffer/LineMarksManager.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace {

bool RowBefore(const LineMark& mark, int row) {
    return mark.row < row;
}

}  // namespace

const LineMark* LineMarkList::At(int index) const {
    return index >= 1 && index <= Count() ? &marks_[static_cast<size_t>(index - 1)] : nullptr;
}

int LineMarkList::Find(int row) const {
    int i = FindNext(row);
    return i && marks_[static_cast<size_t>(i - 1)].row == row ? i : 0;
}

int LineMarkList::FindPrev(int row) const {
    auto it = std::upper_bound(marks_.begin(), marks_.end(), row,
                               [](int r, const LineMark& mark) { return r < mark.row; });
    return static_cast<int>(it - marks_.begin());
}

int LineMarkList::FindNext(int row) const {
    auto it = std::lower_bound(marks_.begin(), marks_.end(), row, RowBefore);
    return it == marks_.end() ? 0 : static_cast<int>(it - marks_.begin()) + 1;
}

void LineMarkList::Set(int row, LineMarkParam param) {
    auto it = std::lower_bound(marks_.begin(), marks_.end(), row, RowBefore);
    if (it != marks_.end() && it->row == row)
        it->param = std::move(param);
    else
        marks_.insert(it, LineMark{row, std::move(param)});
}

void LineMarkList::Delete(int row) {
    if (int i = Find(row))
        marks_.erase(marks_.begin() + (i - 1));
}

void LineMarkList::Update(int lo, int hi, int action) {
    using namespace LineMarkAction;
    const int64_t d = static_cast<int64_t>(hi) - lo;
    const bool deleting = action & (DeleteFirst | DeleteSecond);
    std::vector<LineMark> kept;
    kept.reserve(marks_.size());
    int lastRow = 0;  // rows are 1-based: 0 is "nothing kept yet"
    for (LineMark& mark : marks_) {
        if (mark.row < lo || (mark.row == lo && !(action & (DeleteFirst | MoveFirst)))) {
            lastRow = mark.row;
            kept.push_back(std::move(mark));
            continue;
        }
        if (((action & RowsRemoved) && mark.row < hi) || ((action & DeleteFirst) && mark.row == lo) ||
            ((action & DeleteSecond) && mark.row == hi))
            continue;
        int64_t row = mark.row;
        if (!deleting)
            row += action & RowsRemoved ? -d : d;
        // Two marks moved onto one row keep the earlier; a mark pushed past the last possible
        // row has no row left to stand on.
        if (row == lastRow || row > INT_MAX)
            continue;
        mark.row = lastRow = static_cast<int>(row);
        kept.push_back(std::move(mark));
    }
    marks_ = std::move(kept);
}

const LineMarkList* CQELPenwrightLineMarksManager::ListOf(std::wstring_view kind) const {
    auto it = lists.find(kind);
    return it == lists.end() ? nullptr : &it->second;
}

bool CQELPenwrightLineMarksManager::HasMark(int row, std::wstring_view kind, LineMarkParam* param) const {
    const LineMarkList* list = ListOf(kind);
    const LineMark* mark = list ? list->At(list->Find(row)) : nullptr;
    if (mark && param)
        *param = mark->param;
    return mark != nullptr;
}

bool CQELPenwrightLineMarksManager::SetMark(int row, std::wstring_view kind, LineMarkParam param) {
    if (row < 1)
        return false;
    auto it = lists.find(kind);
    if (it == lists.end())
        it = lists.emplace(std::wstring(kind), LineMarkList()).first;
    it->second.Set(row, std::move(param));
    return true;
}

void CQELPenwrightLineMarksManager::DeleteMark(int row, std::wstring_view kind) {
    auto it = lists.find(kind);
    if (it != lists.end())
        it->second.Delete(row);
}

bool CQELPenwrightLineMarksManager::ToggleMark(int row, std::wstring_view kind, LineMarkParam param) {
    if (HasMark(row, kind)) {
        DeleteMark(row, kind);
        return false;
    }
    return SetMark(row, kind, std::move(param));
}

void CQELPenwrightLineMarksManager::RemoveAll(std::wstring_view kind) {
    auto it = lists.find(kind);
    if (it != lists.end())
        it->second.Clear();
}

int CQELPenwrightLineMarksManager::FindPrevMark(int& row, std::wstring_view kind) const {
    const LineMarkList* list = ListOf(kind);
    int index = list ? list->FindPrev(row) : 0;
    row = index ? list->At(index)->row : -1;
    return index;
}

int CQELPenwrightLineMarksManager::FindNextMark(int& row, std::wstring_view kind) const {
    const LineMarkList* list = ListOf(kind);
    int index = list ? list->FindNext(row) : 0;
    row = index ? list->At(index)->row : -1;
    return index;
}

int CQELPenwrightLineMarksManager::GetLastMarkIndex(std::wstring_view kind) const {
    const LineMarkList* list = ListOf(kind);
    return list ? list->Count() : 0;
}

std::optional<LineMark> CQELPenwrightLineMarksManager::GetNextMark(int& position,
                                                                   std::wstring_view kind) const {
    const LineMarkList* list = ListOf(kind);
    const LineMark* mark = list ? list->At(position == -1 ? 1 : position) : nullptr;
    if (!mark) {
        // Ending the walk here keeps a caller's loop from running forever on a bad position.
        position = 0;
        return std::nullopt;
    }
    position = position == -1 ? 2 : position + 1;
    if (position > list->Count())
        position = 0;
    return *mark;
}

std::optional<LineMark> CQELPenwrightLineMarksManager::GetMarkAt(int index, std::wstring_view kind) const {
    const LineMarkList* list = ListOf(kind);
    const LineMark* mark = list ? list->At(index) : nullptr;
    return mark ? std::optional<LineMark>(*mark) : std::nullopt;
}

void CQELPenwrightLineMarksManager::UpdateLineMarks(int row1, int row2, int action) {
    int lo = std::min(row1, row2);
    int hi = std::max(row1, row2);
    if (lo < 1)
        return;
    for (auto& [kind, list] : lists) list.Update(lo, hi, action);
}
