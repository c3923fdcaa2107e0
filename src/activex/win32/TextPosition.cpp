#include "activex/win32/TextPosition.h"

#include <algorithm>

namespace {

// Rows past the text mean its last row.
int RowWithin(const EditorCore& core, long row) {
    return static_cast<int>(std::min<long>(row, std::max(core.GetBuffer().GetRowCount(), 1)));
}

}  // namespace

CQELPenwrightTextPosition_imp::CQELPenwrightTextPosition_imp(IUnknown* owner, CQELPenwrightCtrl& editor,
                                                             PositionEnd end)
    : owner_(owner), editor_(editor), end_(end) {}

CQELPenwrightTextPosition_imp::Point CQELPenwrightTextPosition_imp::Where(const EditorCore& core) const {
    const EditCaret& caret = core.GetCaret();
    const CQELPenwrightSelection& selection = caret.GetSelection();
    switch (end_) {
        case PositionEnd::kCaret:
            return caret.Here();
        case PositionEnd::kAnchor:
            return selection.GetStart();
        case PositionEnd::kMovingEnd:
            return selection.GetEnd();
        case PositionEnd::kNormalStart:
        case PositionEnd::kNormalEnd:
            break;
    }
    const bool last = end_ == PositionEnd::kNormalEnd;
    if (!selection.IsBlock()) {
        const CQELPenwrightSelection::Range range = selection.Normalized();
        return last ? range.last : range.first;
    }
    // A block's corner may take its row from one end and its column from the other, so its
    // string position is found in that row.
    const Point& a = selection.GetStart();
    const Point& b = selection.GetEnd();
    const int row = last ? std::max(a.row, b.row) : std::min(a.row, b.row);
    const int col = last ? std::max(a.col, b.col) : std::min(a.col, b.col);
    return {row, col, core.GetBuffer().DisplayColToCharIndex(row, col) + 1};
}

template <class Field>
HRESULT CQELPenwrightTextPosition_imp::Read(long* value, Field field) {
    if (!value)
        return E_POINTER;
    return OnCore(editor_, [&](EditorCore& core) {
        *value = field(Where(core));
        return S_OK;
    });
}

HRESULT CQELPenwrightTextPosition_imp::get_Row(long* row) {
    return Read(row, [](const Point& p) { return p.row; });
}

HRESULT CQELPenwrightTextPosition_imp::put_Row(long row) {
    return OnCore(editor_, [&](EditorCore& core) { return SetPos(row, Where(core).col); });
}

HRESULT CQELPenwrightTextPosition_imp::get_Col(long* col) {
    return Read(col, [](const Point& p) { return p.col; });
}

HRESULT CQELPenwrightTextPosition_imp::put_Col(long col) {
    return OnCore(editor_, [&](EditorCore& core) { return SetPos(Where(core).row, col); });
}

HRESULT CQELPenwrightTextPosition_imp::get_StrPos(long* pos) {
    return Read(pos, [](const Point& p) { return std::max(p.pos - 1, 0); });
}

HRESULT CQELPenwrightTextPosition_imp::put_StrPos(long pos) {
    return OnCore(editor_, [&](EditorCore& core) { return SetPosStr(Where(core).row, pos); });
}

HRESULT CQELPenwrightTextPosition_imp::Refused(long row, long second, long least) const {
    if (IsReadOnly())
        return kNotSupported;
    return row < 1 || second < least ? E_INVALIDARG : S_OK;
}

HRESULT CQELPenwrightTextPosition_imp::SetPos(long nRow, long nCol) {
    if (const HRESULT refused = Refused(nRow, nCol, 1); FAILED(refused))
        return refused;
    return OnCore(editor_, [&](EditorCore& core) {
        const int row = RowWithin(core, nRow);
        const int col = static_cast<int>(nCol);
        EditCaret& caret = core.GetCaret();
        CQELPenwrightSelection& selection = caret.GetSelection();
        if (end_ == PositionEnd::kCaret) {
            // The caret snaps to a character boundary; the shown selection makes it repaint all.
            caret.SetCaretPos(row, col, true, true);
            selection.Clear(caret.Here());
            editor_.UpdateNow();
            return S_OK;
        }
        // The other end stays where it is: the caret's place when nothing is selected.
        const bool anchor = end_ == PositionEnd::kAnchor;
        Point other = caret.Here();
        if (!selection.IsEmpty())
            other = anchor ? selection.GetEnd() : selection.GetStart();
        const bool moved = anchor ? caret.Select(row, col, other.row, other.col, true)
                                  : caret.Select(other.row, other.col, row, col, true);
        return moved ? S_OK : E_FAIL;
    });
}

HRESULT CQELPenwrightTextPosition_imp::SetPosStr(long nRow, long nStrPos) {
    if (const HRESULT refused = Refused(nRow, nStrPos, 0); FAILED(refused))
        return refused;
    return OnCore(editor_, [&](EditorCore& core) {
        const int row = RowWithin(core, nRow);
        return SetPos(row, core.GetBuffer().CharIndexToDisplayCol(row, static_cast<int>(nStrPos)));
    });
}
