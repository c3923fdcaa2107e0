#include "print/HeaderFooter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

namespace {

// The form a date or time code asks for: &d &D &t &T.
DateTimeForm DateTimeFormOf(wchar_t code) {
    switch (code) {
        case L'd':
            return DateTimeForm::kShortDate;
        case L'D':
            return DateTimeForm::kLongDate;
        case L't':
            return DateTimeForm::kTime;
        default:
            return DateTimeForm::kTime24;
    }
}

}  // namespace

void CQELPrintPageHeaderFooter::SetFormatString(std::wstring_view format) {
    format_ = format;
    left_.clear();
    center_.clear();
    right_.clear();
}

void CQELPrintPageHeaderFooter::Clear() {
    SetFormatString({});
}

std::optional<int> CQELPrintPageHeaderFooter::SolePart() const {
    std::optional<int> sole;
    int index = 0;
    for (const std::wstring* text : {&left_, &center_, &right_}) {
        if (text->find_first_not_of(L" \t\r\n") != std::wstring::npos) {
            if (sole)
                return std::nullopt;
            sole = index;
        }
        ++index;
    }
    return sole;
}

void CQELPrintPageHeaderFooter::FormatForPage(const PageNumbers& numbers,
                                              const std::optional<std::wstring>& title,
                                              const DateTimeSource& dateTime) {
    if (format_.empty())
        return;
    // One pass from left to right: what a code puts in is never read as codes again.
    std::array<std::wstring, 3> parts;
    size_t part = 0;
    auto dateOrTime = [&](DateTimeForm form) {
        std::wstring text = dateTime ? dateTime(form) : std::wstring();
        text.resize(std::min(text.size(), kDateTimeLimit));
        return text;
    };
    for (size_t i = 0; i < format_.size(); ++i) {
        const wchar_t c = format_[i];
        const wchar_t next = i + 1 < format_.size() ? format_[i + 1] : L'\0';
        std::wstring& out = parts[part];
        if (c == L'\\' && next == L'n') {
            out += L'\n';
            ++i;
            continue;
        }
        if (c != L'&') {
            out += c;
            continue;
        }
        ++i;
        switch (next) {
            case L'&':
                out += L'&';
                break;
            case L'p':
                out += std::to_wstring(numbers.page);
                break;
            case L'P':
                out += numbers.count == PageNumbers::kNotCounted ? L"*" : std::to_wstring(numbers.count);
                break;
            case L'd':
            case L'D':
            case L't':
            case L'T':
                out += dateOrTime(DateTimeFormOf(next));
                break;
            case L'w':
                out += title ? *title : L"&w";
                break;
            case L'b':
                // A third "&b" and beyond stay in the right part as they are.
                if (part < 2)
                    ++part;
                else
                    out += L"&b";
                break;
            default:  // not a code: kept as written
                out += L'&';
                --i;
                break;
        }
    }
    left_ = std::move(parts[0]);
    center_ = std::move(parts[1]);
    right_ = std::move(parts[2]);
}

std::optional<BandColumns> ShareBandWidth(int width, int leftWidth, int centerWidth, int rightWidth) {
    if (width <= 0 || (leftWidth <= 0 && centerWidth <= 0 && rightWidth <= 0))
        return std::nullopt;
    const int64_t wl = std::max(leftWidth, 1), wc = std::max(centerWidth, 1), wr = std::max(rightWidth, 1);
    auto lines = [](int64_t text, int64_t column) { return (text + column - 1) / column; };
    const int third = width / 3, ninth = width / 9;
    BandColumns best;
    int64_t bestScore = INT64_MAX, bestDeviation = INT64_MAX;
    // A band under nine units has no column a ninth wide: it keeps the one-unit columns.
    if (ninth < 1)
        return best;
    for (int l = ninth; l <= width / 2 - ninth; l += 15) {
        for (int c = ninth; c <= width - ninth - l; c += 15) {
            const int r = width - l - c;
            const int64_t centerLines = lines(wc, c);
            if (centerLines > bestScore)
                continue;
            const int64_t rightLines = lines(wr, r);
            if (rightLines > bestScore)
                break;  // wider centres only narrow the right part further
            const int64_t score = std::max({lines(wl, l), centerLines, rightLines});
            const int64_t deviation = std::abs(third - l) + std::abs(third - c) + std::abs(third - r);
            if (score < bestScore || (score == bestScore && deviation < bestDeviation)) {
                bestScore = score;
                bestDeviation = deviation;
                best = {l, c, r};
            }
        }
    }
    return best;
}
