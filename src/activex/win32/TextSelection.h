#pragma once
// Windows only: the control's selection for automation (its Selection): the selected text, read
// and replaced, the block mode, and place objects for its ends.
#include "activex/win32/Dispatch.h"
#include "activex/win32/TextPosition.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/ComPtr.h"
#include "editor/win32/PenwrightCtrl.h"

class CQELPenwrightTextSelection_imp : public pw::win32::DispatchObject<IPenwrightTextSelection> {
public:
    // `owner` (the control's object) is kept alive as long as this object; `editor` is its window.
    CQELPenwrightTextSelection_imp(IUnknown* owner, CQELPenwrightCtrl& editor);

    HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) override;
    // Replaces the selection (or inserts at the caret) as one undo step. A read-only control
    // refuses with CTL_E_PERMISSIONDENIED, so that a script learns its text did not go in.
    HRESULT STDMETHODCALLTYPE put_Text(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_BlockSelectionMode(VARIANT_BOOL* block) override;
    HRESULT STDMETHODCALLTYPE put_BlockSelectionMode(VARIANT_BOOL block) override;
    // New place objects: the anchor, the moving end, the earlier and the later corner.
    HRESULT STDMETHODCALLTYPE get_Start(IDispatch** position) override;
    HRESULT STDMETHODCALLTYPE get_End(IDispatch** position) override;
    HRESULT STDMETHODCALLTYPE get_NormalStart(IDispatch** position) override;
    HRESULT STDMETHODCALLTYPE get_NormalEnd(IDispatch** position) override;
    // Collapses a selection at its moving end.
    HRESULT STDMETHODCALLTYPE Reset() override;

private:
    HRESULT Position(PositionEnd end, IDispatch** position);

    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightCtrl& editor_;
};
