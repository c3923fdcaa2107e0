#pragma once
// Windows only: the edit control's selected text as a drag hands it to other programs, an
// IDataObject offering it as CF_UNICODETEXT in global memory and, for a column block, the column
// marker as the clipboard has it. Every GetData makes a fresh block, the taker's to free.
#include <windows.h>
// After windows.h, which it needs.
#include <objidl.h>

#include <string>

#include "editor/win32/ComObject.h"
#include "editor/win32/ComPtr.h"

namespace pw::win32 {

class TextDataObject final : public ComObject<IDataObject> {
public:
    // The object with the caller's reference; empty when memory fails.
    static ComPtr<IDataObject> Make(std::wstring text, bool block);

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

private:
    TextDataObject(std::wstring text, bool block) : text_(std::move(text)), block_(block) {}
    // S_OK when `format` asks for something held, else why not.
    HRESULT Check(const FORMATETC* format) const;

    std::wstring text_;
    bool block_;
};

}  // namespace pw::win32
