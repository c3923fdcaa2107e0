#include "activex/win32/DataManager.h"

#include <string>

#include "lexer/LexText.h"

CQELPenwrightDataManager_imp::CQELPenwrightDataManager_imp(IUnknown* owner, CQELPenwrightCtrl& editor)
    : owner_(owner), editor_(editor) {}

HRESULT CQELPenwrightDataManager_imp::get_FileExt(BSTR* extension) {
    return pw::win32::Guarded([&] {
        const CQELPenwrightBufferManager* buffer = editor_.GetBuffer();
        return pw::win32::ReturnString(buffer ? buffer->GetFileExt() : std::wstring(), extension);
    });
}

HRESULT CQELPenwrightDataManager_imp::put_FileExt(BSTR extension) {
    return pw::win32::Guarded([&] {
        CQELPenwrightBufferManager* buffer = editor_.GetBuffer();
        const std::wstring_view wanted = pw::win32::StringOf(extension);
        if (buffer && !EqualNoCase(buffer->GetFileExt(), wanted)) {
            buffer->SetFileExt(std::wstring(wanted));
            editor_.Refresh();
        }
        return S_OK;
    });
}
