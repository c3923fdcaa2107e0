#pragma once
// Windows only: the control's printing options for automation: the print options with their
// header, footer and last printer, and the preview's options. Each object works on the view's
// options live and keeps the control alive through its owner.
#include <string>
#include <string_view>

#include "activex/win32/Dispatch.h"
#include "activex/win32/TypeLibrary.h"
#include "editor/win32/ComPtr.h"
#include "print/win32/PenwrightView.h"

class CQELPrintOptions_imp : public pw::win32::DispatchObject<IPenwrightPrintOptions> {
public:
    // `owner` (the control's object) is kept alive as long as this object; `view` is its printing.
    CQELPrintOptions_imp(IUnknown* owner, CQELPenwrightView& view);

    // Margins in the user's measure (see MarginsMeasureMetrics); negative ones are refused.
    HRESULT STDMETHODCALLTYPE get_MarginLeft(long* margin) override;
    HRESULT STDMETHODCALLTYPE put_MarginLeft(long margin) override;
    HRESULT STDMETHODCALLTYPE get_MarginRight(long* margin) override;
    HRESULT STDMETHODCALLTYPE put_MarginRight(long margin) override;
    HRESULT STDMETHODCALLTYPE get_MarginTop(long* margin) override;
    HRESULT STDMETHODCALLTYPE put_MarginTop(long margin) override;
    HRESULT STDMETHODCALLTYPE get_MarginBottom(long* margin) override;
    HRESULT STDMETHODCALLTYPE put_MarginBottom(long margin) override;
    HRESULT STDMETHODCALLTYPE get_BlackWhitePrinting(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_BlackWhitePrinting(VARIANT_BOOL on) override;
    // Kept within 0..255.
    HRESULT STDMETHODCALLTYPE get_BlackWhiteContrast(long* contrast) override;
    HRESULT STDMETHODCALLTYPE put_BlackWhiteContrast(long contrast) override;
    HRESULT STDMETHODCALLTYPE get_Landscape(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_Landscape(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_MarginsMeasureMetrics(VARIANT_BOOL* metric) override;
    HRESULT STDMETHODCALLTYPE get_Header(IPenwrightPageHeaderFooter** header) override;
    HRESULT STDMETHODCALLTYPE get_Footer(IPenwrightPageHeaderFooter** footer) override;
    HRESULT STDMETHODCALLTYPE get_PrinterInfo(IPenwrightPrinterInfo** info) override;

private:
    HRESULT GetMargin(CQELPrintOptions::Side side, long* margin);
    HRESULT SetMargin(CQELPrintOptions::Side side, long margin);
    HRESULT Band(bool header, IPenwrightPageHeaderFooter** band);

    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightView& view_;
};

// The page header (`header`) or footer.
class CQELPrintPageHeaderFooter_imp : public pw::win32::DispatchObject<IPenwrightPageHeaderFooter> {
public:
    CQELPrintPageHeaderFooter_imp(IUnknown* owner, CQELPenwrightView& view, bool header);

    // A new font object each time, from the band's font; a font given is read back into it,
    // none is refused.
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** font) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* font) override;
    HRESULT STDMETHODCALLTYPE get_FormatString(BSTR* format) override;
    HRESULT STDMETHODCALLTYPE put_FormatString(BSTR format) override;
    HRESULT STDMETHODCALLTYPE get_TextLeft(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_TextLeft(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_TextCenter(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_TextCenter(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_TextRight(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_TextRight(BSTR text) override;
    // The format and the texts emptied, the font the system's icon-title font again.
    HRESULT STDMETHODCALLTYPE Clear() override;

private:
    using Setter = void (CQELPrintPageHeaderFooter::*)(std::wstring_view);
    CQELPrintPageHeaderFooter& Band() const;
    LOGFONTW& Font() const;
    HRESULT Set(Setter set, BSTR text);

    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightView& view_;
    bool header_;
};

// The printer a job last went to; read only.
class CQELPrinterInfo_imp : public pw::win32::DispatchObject<IPenwrightPrinterInfo> {
public:
    CQELPrinterInfo_imp(IUnknown* owner, CQELPenwrightView& view);

    HRESULT STDMETHODCALLTYPE get_DeviceName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_DriverName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_PortName(BSTR* name) override;

private:
    const CQELPrinterInfo& Info() const { return view_.GetPrintOptions().printerInfo; }

    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightView& view_;
};

class CQELPrintPreviewOptions_imp : public pw::win32::DispatchObject<IPenwrightPrintPreviewOptions> {
public:
    CQELPrintPreviewOptions_imp(IUnknown* owner, CQELPenwrightView& view);

    // What the preview window's caption shows before the page numbers.
    HRESULT STDMETHODCALLTYPE get_Title(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE put_Title(BSTR title) override;

private:
    pw::win32::ComPtr<IUnknown> owner_;
    CQELPenwrightView& view_;
};
