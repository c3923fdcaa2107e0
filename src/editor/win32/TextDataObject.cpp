#include "editor/win32/TextDataObject.h"

#include <shlobj.h>

#include <new>
#include <vector>

#include "editor/win32/Clipboard.h"
#include "editor/win32/GlobalMemory.h"

namespace pw::win32 {

ComPtr<IDataObject> TextDataObject::Make(std::wstring text, bool block) {
    return ComPtr<IDataObject>::Adopt(new (std::nothrow) TextDataObject(std::move(text), block));
}

HRESULT TextDataObject::Check(const FORMATETC* format) const {
    if (!format)
        return E_INVALIDARG;
    const UINT column = block_ ? Clipboard::ColumnFormat() : 0;
    if (format->cfFormat != CF_UNICODETEXT && (column == 0 || format->cfFormat != column))
        return DV_E_FORMATETC;
    if (format->dwAspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    if (!(format->tymed & TYMED_HGLOBAL))
        return DV_E_TYMED;
    return S_OK;
}

HRESULT TextDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    return Guarded([&] {
        if (!medium)
            return E_INVALIDARG;
        if (const HRESULT checked = Check(format); checked != S_OK)
            return checked;
        Global block = format->cfFormat == CF_UNICODETEXT ? UnicodeBlock(text_) : MarkerBlock();
        if (!block)
            return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block.Release();
        medium->pUnkForRelease = nullptr;
        return S_OK;
    });
}

HRESULT TextDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT TextDataObject::QueryGetData(FORMATETC* format) {
    return Guarded([&] { return Check(format); });
}

HRESULT TextDataObject::GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) {
    return Guarded([&] {
        if (!format || !canonical)
            return E_INVALIDARG;
        *canonical = *format;
        canonical->ptd = nullptr;
        return DATA_S_SAMEFORMATETC;
    });
}

HRESULT TextDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}

HRESULT TextDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    return Guarded([&] {
        if (!formats)
            return E_INVALIDARG;
        *formats = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        std::vector<FORMATETC> held{InMemory(CF_UNICODETEXT)};
        if (const UINT column = block_ ? Clipboard::ColumnFormat() : 0)
            held.push_back(InMemory(column));
        return SHCreateStdEnumFmtEtc(static_cast<UINT>(held.size()), held.data(), formats);
    });
}

HRESULT TextDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TextDataObject::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TextDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace pw::win32
