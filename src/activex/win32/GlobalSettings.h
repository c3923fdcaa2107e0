#pragma once
// Windows only: the global settings object scripts create by its ProgID: the resource file the
// host names for translated texts, the control's version, that it is a Unicode build, and where
// its file lies.
#include "activex/win32/Dispatch.h"
#include "activex/win32/TypeLibrary.h"

class CPenwrightGlobalSettings : public pw::win32::DispatchObject<IPenwrightGlobalSettings> {
public:
    HRESULT STDMETHODCALLTYPE get_ResourceFile(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE put_ResourceFile(BSTR path) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE get_Unicode(VARIANT_BOOL* unicode) override;
    HRESULT STDMETHODCALLTYPE get_OcxPath(BSTR* path) override;
};
