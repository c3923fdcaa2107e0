#include "activex/win32/PrintObjects.h"

#include <optional>

#include "activex/win32/OleFont.h"

using pw::win32::Guarded;
using pw::win32::ReturnBool;
using pw::win32::ReturnString;

namespace {

// A long into `out`, guarded: E_POINTER without a place.
template <class Value>
HRESULT ReturnLong(Value value, long* out) {
    if (!out)
        return E_POINTER;
    return Guarded([&] {
        *out = static_cast<long>(value());
        return S_OK;
    });
}

}  // namespace

CQELPrintOptions_imp::CQELPrintOptions_imp(IUnknown* owner, CQELPenwrightView& view)
    : owner_(owner), view_(view) {}

HRESULT CQELPrintOptions_imp::GetMargin(CQELPrintOptions::Side side, long* margin) {
    return ReturnLong([&] { return view_.GetPrintOptions().GetMargin(side); }, margin);
}

HRESULT CQELPrintOptions_imp::SetMargin(CQELPrintOptions::Side side, long margin) {
    return Guarded([&] { return view_.GetPrintOptions().SetMargin(side, margin) ? S_OK : E_INVALIDARG; });
}

HRESULT CQELPrintOptions_imp::get_MarginLeft(long* margin) {
    return GetMargin(CQELPrintOptions::kLeft, margin);
}

HRESULT CQELPrintOptions_imp::put_MarginLeft(long margin) {
    return SetMargin(CQELPrintOptions::kLeft, margin);
}

HRESULT CQELPrintOptions_imp::get_MarginRight(long* margin) {
    return GetMargin(CQELPrintOptions::kRight, margin);
}

HRESULT CQELPrintOptions_imp::put_MarginRight(long margin) {
    return SetMargin(CQELPrintOptions::kRight, margin);
}

HRESULT CQELPrintOptions_imp::get_MarginTop(long* margin) {
    return GetMargin(CQELPrintOptions::kTop, margin);
}

HRESULT CQELPrintOptions_imp::put_MarginTop(long margin) {
    return SetMargin(CQELPrintOptions::kTop, margin);
}

HRESULT CQELPrintOptions_imp::get_MarginBottom(long* margin) {
    return GetMargin(CQELPrintOptions::kBottom, margin);
}

HRESULT CQELPrintOptions_imp::put_MarginBottom(long margin) {
    return SetMargin(CQELPrintOptions::kBottom, margin);
}

HRESULT CQELPrintOptions_imp::get_BlackWhitePrinting(VARIANT_BOOL* on) {
    return Guarded([&] { return ReturnBool(view_.GetPrintOptions().blackWhite, on); });
}

HRESULT CQELPrintOptions_imp::put_BlackWhitePrinting(VARIANT_BOOL on) {
    return Guarded([&] {
        view_.GetPrintOptions().blackWhite = pw::win32::BoolOf(on);
        return S_OK;
    });
}

HRESULT CQELPrintOptions_imp::get_BlackWhiteContrast(long* contrast) {
    return ReturnLong([&] { return view_.GetPrintOptions().GetContrast(); }, contrast);
}

HRESULT CQELPrintOptions_imp::put_BlackWhiteContrast(long contrast) {
    return Guarded([&] {
        view_.GetPrintOptions().SetContrast(contrast);
        return S_OK;
    });
}

HRESULT CQELPrintOptions_imp::get_Landscape(VARIANT_BOOL* on) {
    return Guarded([&] { return ReturnBool(view_.GetPrintOptions().landscape, on); });
}

HRESULT CQELPrintOptions_imp::put_Landscape(VARIANT_BOOL on) {
    return Guarded([&] {
        view_.GetPrintOptions().landscape = pw::win32::BoolOf(on);
        return S_OK;
    });
}

HRESULT CQELPrintOptions_imp::get_MarginsMeasureMetrics(VARIANT_BOOL* metric) {
    return Guarded([&] { return ReturnBool(view_.GetPrintOptions().MarginsMeasureMetrics(), metric); });
}

HRESULT CQELPrintOptions_imp::Band(bool header, IPenwrightPageHeaderFooter** band) {
    return pw::win32::ReturnNew(
        band, [&] { return new CQELPrintPageHeaderFooter_imp(owner_.Get(), view_, header); });
}

HRESULT CQELPrintOptions_imp::get_Header(IPenwrightPageHeaderFooter** header) {
    return Band(true, header);
}

HRESULT CQELPrintOptions_imp::get_Footer(IPenwrightPageHeaderFooter** footer) {
    return Band(false, footer);
}

HRESULT CQELPrintOptions_imp::get_PrinterInfo(IPenwrightPrinterInfo** info) {
    return pw::win32::ReturnNew(info, [&] { return new CQELPrinterInfo_imp(owner_.Get(), view_); });
}

CQELPrintPageHeaderFooter_imp::CQELPrintPageHeaderFooter_imp(IUnknown* owner, CQELPenwrightView& view,
                                                             bool header)
    : owner_(owner), view_(view), header_(header) {}

CQELPrintPageHeaderFooter& CQELPrintPageHeaderFooter_imp::Band() const {
    CQELPenwrightViewPrintOptions& options = view_.GetPrintOptions();
    return header_ ? options.header : options.footer;
}

LOGFONTW& CQELPrintPageHeaderFooter_imp::Font() const {
    pw::win32::BandFonts& fonts = view_.GetBandFonts();
    return header_ ? fonts.header : fonts.footer;
}

HRESULT CQELPrintPageHeaderFooter_imp::get_Font(IFontDisp** font) {
    return Guarded([&] { return pw::win32::NewFontDisp(Font(), font); });
}

HRESULT CQELPrintPageHeaderFooter_imp::putref_Font(IFontDisp* font) {
    return Guarded([&] {
        const std::optional<LOGFONTW> screenFont = pw::win32::ScreenFontOf(font);
        if (!screenFont)
            return E_INVALIDARG;
        Font() = *screenFont;
        return S_OK;
    });
}

HRESULT CQELPrintPageHeaderFooter_imp::Set(Setter set, BSTR text) {
    return Guarded([&] {
        (Band().*set)(pw::win32::StringOf(text));
        return S_OK;
    });
}

HRESULT CQELPrintPageHeaderFooter_imp::get_FormatString(BSTR* format) {
    return Guarded([&] { return ReturnString(Band().GetFormatString(), format); });
}

HRESULT CQELPrintPageHeaderFooter_imp::put_FormatString(BSTR format) {
    return Set(&CQELPrintPageHeaderFooter::SetFormatString, format);
}

HRESULT CQELPrintPageHeaderFooter_imp::get_TextLeft(BSTR* text) {
    return Guarded([&] { return ReturnString(Band().GetTextLeft(), text); });
}

HRESULT CQELPrintPageHeaderFooter_imp::put_TextLeft(BSTR text) {
    return Set(&CQELPrintPageHeaderFooter::SetTextLeft, text);
}

HRESULT CQELPrintPageHeaderFooter_imp::get_TextCenter(BSTR* text) {
    return Guarded([&] { return ReturnString(Band().GetTextCenter(), text); });
}

HRESULT CQELPrintPageHeaderFooter_imp::put_TextCenter(BSTR text) {
    return Set(&CQELPrintPageHeaderFooter::SetTextCenter, text);
}

HRESULT CQELPrintPageHeaderFooter_imp::get_TextRight(BSTR* text) {
    return Guarded([&] { return ReturnString(Band().GetTextRight(), text); });
}

HRESULT CQELPrintPageHeaderFooter_imp::put_TextRight(BSTR text) {
    return Set(&CQELPrintPageHeaderFooter::SetTextRight, text);
}

HRESULT CQELPrintPageHeaderFooter_imp::Clear() {
    return Guarded([&] {
        Band().Clear();
        const pw::win32::BandFonts defaults = pw::win32::DefaultBandFonts();
        Font() = header_ ? defaults.header : defaults.footer;
        return S_OK;
    });
}

CQELPrinterInfo_imp::CQELPrinterInfo_imp(IUnknown* owner, CQELPenwrightView& view)
    : owner_(owner), view_(view) {}

HRESULT CQELPrinterInfo_imp::get_DeviceName(BSTR* name) {
    return Guarded([&] { return ReturnString(Info().deviceName, name); });
}

HRESULT CQELPrinterInfo_imp::get_DriverName(BSTR* name) {
    return Guarded([&] { return ReturnString(Info().driverName, name); });
}

HRESULT CQELPrinterInfo_imp::get_PortName(BSTR* name) {
    return Guarded([&] { return ReturnString(Info().portName, name); });
}

CQELPrintPreviewOptions_imp::CQELPrintPreviewOptions_imp(IUnknown* owner, CQELPenwrightView& view)
    : owner_(owner), view_(view) {}

HRESULT CQELPrintPreviewOptions_imp::get_Title(BSTR* title) {
    return Guarded([&] { return ReturnString(view_.GetPreviewOptions().title, title); });
}

HRESULT CQELPrintPreviewOptions_imp::put_Title(BSTR title) {
    return Guarded([&] {
        view_.GetPreviewOptions().title = pw::win32::StringOf(title);
        return S_OK;
    });
}
