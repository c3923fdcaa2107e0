#include "activex/win32/TextSelection.h"

#include <olectl.h>

CQELPenwrightTextSelection_imp::CQELPenwrightTextSelection_imp(IUnknown* owner, CQELPenwrightCtrl& editor)
    : owner_(owner), editor_(editor) {}

HRESULT CQELPenwrightTextSelection_imp::get_Text(BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return OnCore(editor_, [&](EditorCore& core) {
        return pw::win32::ReturnString(core.GetCaret().GetSelectedText(), text);
    });
}

HRESULT CQELPenwrightTextSelection_imp::put_Text(BSTR text) {
    return OnCore(editor_, [&](EditorCore& core) {
        if (!editor_.CanEdit())
            return CTL_E_PERMISSIONDENIED;
        EditCaret& caret = core.GetCaret();
        const CQELPenwrightSelection& selection = caret.GetSelection();
        if (!selection.IsEmpty()) {
            const CQELPenwrightSelection::Point start = selection.Normalized().first;
            caret.MoveTo(start.row, start.col);
        }
        return core.GetEditor().ReplaceSelection(pw::win32::StringOf(text)) ? S_OK : E_FAIL;
    });
}

HRESULT CQELPenwrightTextSelection_imp::get_BlockSelectionMode(VARIANT_BOOL* block) {
    if (!block)
        return E_POINTER;
    return OnCore(editor_, [&](EditorCore& core) {
        return pw::win32::ReturnBool(core.GetCaret().GetSelection().IsBlock(), block);
    });
}

HRESULT CQELPenwrightTextSelection_imp::put_BlockSelectionMode(VARIANT_BOOL block) {
    return OnCore(editor_, [&](EditorCore& core) {
        CQELPenwrightSelection& selection = core.GetCaret().GetSelection();
        selection.Set(selection.GetStart(), selection.GetEnd(), pw::win32::BoolOf(block));
        if (!selection.IsEmpty())
            editor_.Invalidate();
        return S_OK;
    });
}

HRESULT CQELPenwrightTextSelection_imp::Position(PositionEnd end, IDispatch** position) {
    return pw::win32::ReturnNew(position, [&]() -> IDispatch* {
        return new CQELPenwrightTextPosition_imp(owner_.Get(), editor_, end);
    });
}

HRESULT CQELPenwrightTextSelection_imp::get_Start(IDispatch** position) {
    return Position(PositionEnd::kAnchor, position);
}

HRESULT CQELPenwrightTextSelection_imp::get_End(IDispatch** position) {
    return Position(PositionEnd::kMovingEnd, position);
}

HRESULT CQELPenwrightTextSelection_imp::get_NormalStart(IDispatch** position) {
    return Position(PositionEnd::kNormalStart, position);
}

HRESULT CQELPenwrightTextSelection_imp::get_NormalEnd(IDispatch** position) {
    return Position(PositionEnd::kNormalEnd, position);
}

HRESULT CQELPenwrightTextSelection_imp::Reset() {
    return OnCore(editor_, [&](EditorCore& core) {
        CQELPenwrightSelection& selection = core.GetCaret().GetSelection();
        if (!selection.IsEmpty()) {
            selection.Clear(selection.GetEnd());
            editor_.Invalidate();
        }
        return S_OK;
    });
}
