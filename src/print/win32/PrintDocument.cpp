#include "print/win32/PrintDocument.h"

#include <algorithm>

#include "editor/InkSurface.h"
#include "editor/RowPrinter.h"
#include "editor/win32/Gdi.h"
#include "editor/win32/PenwrightCtrl.h"
#include "print/win32/BandPainter.h"

namespace pw::win32 {

namespace {

constexpr int kUnitsPerInch = 100;

bool ShowsPageCount(const std::wstring& format) {
    for (size_t i = 0; i + 1 < format.size(); ++i)
        if (format[i] == L'&' && format[++i] == L'P')
            return true;  // "&&P" is skipped whole: an "&" and a "P"
    return false;
}

}  // namespace

void SetPageMapping(HDC dc) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, kUnitsPerInch, kUnitsPerInch, nullptr);
    SetViewportExtEx(dc, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY), nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
}

RECT PageRect(HDC dc) {
    POINT corners[2] = {{0, 0}, {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)}};
    DPtoLP(dc, corners, 2);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

std::wstring LocalDateTime(DateTimeForm form) {
    wchar_t text[CQELPrintPageHeaderFooter::kDateTimeLimit + 1]{};
    const int size = static_cast<int>(std::size(text));
    switch (form) {
        case DateTimeForm::kShortDate:
        case DateTimeForm::kLongDate:
            GetDateFormatW(LOCALE_USER_DEFAULT,
                           form == DateTimeForm::kShortDate ? DATE_SHORTDATE : DATE_LONGDATE, nullptr,
                           nullptr, text, size);
            break;
        case DateTimeForm::kTime:
        case DateTimeForm::kTime24:
            GetTimeFormatW(LOCALE_USER_DEFAULT, form == DateTimeForm::kTime24 ? TIME_FORCE24HOURFORMAT : 0,
                           nullptr, nullptr, text, size);
            break;
    }
    return text;
}

BandFonts DefaultBandFonts() {
    const LOGFONTW font = DefaultBandFont();
    return {font, font};
}

PrintDocument::PrintDocument(CQELPenwrightCtrl& control, const CQELPrintOptions& options,
                             const BandFonts& fonts, std::optional<std::wstring> title, HDC printer,
                             RowSpan rows, CQELPrintPageHeaderFooter::DateTimeSource dateTime)
    : control_(control),
      options_(options),
      fonts_(fonts),
      title_(std::move(title)),
      printer_(printer),
      lastRow_(std::min(rows.last, control.GetBuffer() ? control.GetBuffer()->GetRowCount() : 0)),
      dateTime_(std::move(dateTime)),
      pagination_(
          lastRow_, [this](int page, int firstRow) { return LayOut(printer_, page, firstRow, true); },
          std::max(rows.first, 1)) {}

bool PrintDocument::NeedsCount() const {
    return ShowsPageCount(options_.header.GetFormatString()) ||
           ShowsPageCount(options_.footer.GetFormatString());
}

std::optional<int> PrintDocument::CountPages(const std::function<bool(int page)>& carryOn) {
    const std::optional<int> count = pagination_.CountPages(carryOn);
    if (count)
        count_ = *count;
    return count;
}

bool PrintDocument::PrintPage(HDC dc, int page) {
    if (!pagination_.Exists(page))
        return false;
    const std::optional<int> consumed = LayOut(dc, page, pagination_.FirstRow(page), false);
    if (!consumed) {
        noRoom_ = true;
        return false;
    }
    pagination_.Printed(page, *consumed);
    return true;
}

std::optional<int> PrintDocument::LayOut(HDC dc, int page, int firstRow, bool measureOnly) {
    const int saved = SaveDC(dc);
    SetPageMapping(dc);
    RECT area = PageRect(dc);
    auto margin = [&](CQELPrintOptions::Side side) {
        return static_cast<int>(std::clamp<int64_t>(options_.MarginDevice(side, kUnitsPerInch), 0, 1 << 24));
    };
    area.left += margin(CQELPrintOptions::kLeft);
    area.top += margin(CQELPrintOptions::kTop);
    area.right -= margin(CQELPrintOptions::kRight);
    area.bottom -= margin(CQELPrintOptions::kBottom);

    CQELPrintPageHeaderFooter header = options_.header;
    CQELPrintPageHeaderFooter footer = options_.footer;
    header.FormatForPage({page, count_}, title_, dateTime_);
    footer.FormatForPage({page, count_}, title_, dateTime_);
    SetBkColor(dc, RGB(255, 255, 255));
    const int grey = options_.blackWhite ? options_.GetContrast() : -1;
    // The bands and rules are black, or the darkest grey in black and white.
    const auto ink = static_cast<COLORREF>(grey >= 0 ? InkOnPaper(0, grey) : 0);
    SetTextColor(dc, ink);
    const DCHandle paper(dc);

    // Below the header, 3 units down, a rule 2 units thick, and the text 7 units further.
    RECT text = area;
    RECT headerBand = area;
    if (DrawBand(dc, header, fonts_.header, headerBand, measureOnly) > 0) {
        if (!measureOnly)
            paper.FillSolid(RECT{area.left, headerBand.bottom, area.right, headerBand.bottom + kRuleWidth},
                            ink);
        text.top = headerBand.bottom + kRuleWidth + kTextGap;
    }
    // The footer mirrors it, measured first so that the text stops above it.
    RECT footerBand = area;
    const bool hasFooter = DrawBand(dc, footer, fonts_.footer, footerBand, true) > 0;
    if (hasFooter)
        text.bottom = footerBand.top - kRuleWidth - kTextGap;

    int consumed = 0;
    if (text.bottom > text.top && text.right > text.left)
        consumed = control_.PrintRows(paper, text, firstRow, measureOnly ? PrintFlag::kMeasureOnly : 0, grey,
                                      lastRow_);
    if (hasFooter && !measureOnly) {
        RECT band = area;
        DrawBand(dc, footer, fonts_.footer, band, false);
        paper.FillSolid(RECT{area.left, band.top - kRuleWidth, area.right, band.top}, ink);
    }
    RestoreDC(dc, saved);
    if (consumed == 0 && firstRow <= lastRow_)
        return std::nullopt;  // not even one row fits between the margins
    return consumed;
}

}  // namespace pw::win32
