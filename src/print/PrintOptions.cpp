#include "print/PrintOptions.h"

#include <algorithm>

CQELPrintOptions::CQELPrintOptions(bool metric) : metric_(metric) {
    std::fill(std::begin(margins_), std::end(margins_), metric ? 1000 : 500);
}

bool CQELPrintOptions::SetMargin(Side side, int32_t value) {
    if (value < 0)
        return false;
    margins_[side] = value;
    return true;
}

int64_t CQELPrintOptions::MarginHimetric(Side side) const {
    const int64_t value = margins_[side];
    return metric_ ? value : value * 254 / 100;
}

int64_t CQELPrintOptions::MarginDevice(Side side, int dotsPerInch) const {
    return MarginHimetric(side) * std::max(dotsPerInch, 0) / 2540;
}

void CQELPrintOptions::SetContrast(int contrast) {
    contrast_ = std::clamp(contrast, 0, 255);
}

CQELPenwrightViewPrintOptions::CQELPenwrightViewPrintOptions(bool metric) : CQELPrintOptions(metric) {
    header.SetFormatString(kHeaderFormat);
    footer.SetFormatString(kFooterFormat);
}
