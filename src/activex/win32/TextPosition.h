#pragma once
// Windows only: a place in the control's text for automation: the caret (the control's CurrPos)
// or one end of the selection. Rows and display columns are 1-based, string positions 0-based.
// The object reads the control live at every call and keeps the control alive through its owner.
#include <windows.h>
// After windows.h, which it needs.
#include <olectl.h>

#include "activex/win32/Dispatch.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/ComPtr.h"
#include "editor/win32/PenwrightCtrl.h"

// Which place: the two normalised ends are the earlier and the later corner of the selection
// (of its rectangle in block mode) and can only be read.
enum class PositionEnd { kCaret, kAnchor, kMovingEnd, kNormalStart, kNormalEnd };

// Runs a method's body on the control's editing core, guarded; E_UNEXPECTED while it has none.
template <class Body>
HRESULT OnCore(CQELPenwrightCtrl& editor, Body body) {
    return pw::win32::Guarded([&]() -> HRESULT {
        EditorCore* core = editor.Core();
        return core ? body(*core) : E_UNEXPECTED;
    });
}

class CQELPenwrightTextPosition_imp : public pw::win32::DispatchObject<IPenwrightTextPosition> {
public:
    // "Object doesn't support this action", what scripts expect from a place they may not move.
    static constexpr HRESULT kNotSupported = STD_CTL_SCODE(445);

    // `owner` (the control's object) is kept alive as long as this object; `editor` is its window.
    CQELPenwrightTextPosition_imp(IUnknown* owner, CQELPenwrightCtrl& editor, PositionEnd end);

    HRESULT STDMETHODCALLTYPE get_Row(long* row) override;
    HRESULT STDMETHODCALLTYPE put_Row(long row) override;
    HRESULT STDMETHODCALLTYPE get_Col(long* col) override;
    HRESULT STDMETHODCALLTYPE put_Col(long col) override;
    HRESULT STDMETHODCALLTYPE get_StrPos(long* pos) override;
    HRESULT STDMETHODCALLTYPE put_StrPos(long pos) override;
    // The caret moves there (the row kept within the text, the column on a character boundary),
    // any selection collapsed, scrolled into view and painted at once; a selection end moves
    // with the other end kept. Rows and columns below 1 are refused.
    HRESULT STDMETHODCALLTYPE SetPos(long nRow, long nCol) override;
    // The same at the column where the row's character `nStrPos` (0-based) starts.
    HRESULT STDMETHODCALLTYPE SetPosStr(long nRow, long nStrPos) override;

private:
    using Point = CQELPenwrightSelection::Point;
    // The place now, its string position 1-based.
    Point Where(const EditorCore& core) const;
    bool IsReadOnly() const { return end_ == PositionEnd::kNormalStart || end_ == PositionEnd::kNormalEnd; }
    // Why a move to `row` and a column or position `second` (at least `least`) is refused; S_OK
    // when it is not.
    HRESULT Refused(long row, long second, long least) const;
    template <class Field>
    HRESULT Read(long* value, Field field);

    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightCtrl& editor_;
    PositionEnd end_;
};
