#pragma once
// Windows only: the control's text buffer for automation (its DataManager): the file extension
// that chooses the language the text is coloured as.
#include "activex/win32/Dispatch.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/ComPtr.h"
#include "editor/win32/PenwrightCtrl.h"

class CQELPenwrightDataManager_imp : public pw::win32::DispatchObject<IPenwrightDataManager> {
public:
    // `owner` (the control's object) is kept alive as long as this object; `editor` is its window.
    CQELPenwrightDataManager_imp(IUnknown* owner, CQELPenwrightCtrl& editor);

    // Empty while the control has no buffer.
    HRESULT STDMETHODCALLTYPE get_FileExt(BSTR* extension) override;
    // Another extension (case aside) takes the language of its schema and colours the text anew.
    HRESULT STDMETHODCALLTYPE put_FileExt(BSTR extension) override;

private:
    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightCtrl& editor_;
};
