#pragma once
// What a print job is asked to do: margins in the user's measure (hundredths of a millimetre, or
// thousandths of an inch where the locale measures in U.S. units), orientation, black and white
// with its contrast, and the page header and footer.
#include <cstdint>
#include <string>

#include "print/HeaderFooter.h"

// The printer a job last went to, as the print dialog or the default printer named it.
struct CQELPrinterInfo {
    std::wstring deviceName;
    std::wstring driverName;
    std::wstring portName;
};

class CQELPrintOptions {
public:
    enum Side { kLeft, kTop, kRight, kBottom };

    // Margins of 10 mm, or half an inch, each.
    explicit CQELPrintOptions(bool metric = true);
    virtual ~CQELPrintOptions() = default;

    bool MarginsMeasureMetrics() const { return metric_; }
    int32_t GetMargin(Side side) const { return margins_[side]; }
    // False, and nothing changed, for a negative margin.
    bool SetMargin(Side side, int32_t value);
    // The margin in hundredths of a millimetre, and in device units at `dotsPerInch`; 64 bits,
    // so no margin overflows on the way.
    int64_t MarginHimetric(Side side) const;
    int64_t MarginDevice(Side side, int dotsPerInch) const;

    bool landscape = false;
    bool blackWhite = false;
    int GetContrast() const { return contrast_; }
    // Kept within 0..255 (the darkest grey used: 255 down to 0).
    void SetContrast(int contrast);

    CQELPrintPageHeaderFooter header{true};
    CQELPrintPageHeaderFooter footer{false};
    CQELPrinterInfo printerInfo;

private:
    bool metric_;
    int32_t margins_[4];
    int contrast_ = 0;
};

// The editor's print options: a header with the title, date and time, a footer with the page.
class CQELPenwrightViewPrintOptions : public CQELPrintOptions {
public:
    static constexpr const wchar_t* kHeaderFormat = L"&w &b&b &d &t";
    static constexpr const wchar_t* kFooterFormat = L"Page &p of &P";
    explicit CQELPenwrightViewPrintOptions(bool metric = true);
};

// The print preview's options: the title its window shows before the page numbers.
struct CQELPrintPreviewOptions {
    std::wstring title = L"Penwright";
};
