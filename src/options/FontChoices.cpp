#include "options/FontChoices.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "platform/StringTable.h"

namespace pw::options {

namespace {

constexpr int kPointsPerInch = 72;
constexpr int kMinSize = 1;
constexpr int kMaxSize = 1638;
constexpr int kFallbackSize = 10;
constexpr int kStandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr unsigned kStyleNames = 9795;  // four strings, in FontStyle's order
constexpr int kBoldWeight = 700;        // FW_BOLD
constexpr int kRegularWeight = 400;     // FW_NORMAL

// a * b / c rounded to the nearest, in 64 bits and clamped, so that no profile value overflows.
int Scale(int64_t a, int64_t b, int64_t c) {
    if (c <= 0)
        return 0;
    const int64_t product = a * b;
    const int64_t half = product < 0 ? -c / 2 : c / 2;
    return static_cast<int>(std::clamp<int64_t>((product + half) / c, INT32_MIN, INT32_MAX));
}

}  // namespace

int PointSize(int height, int pixelsPerInch) {
    return Scale(-static_cast<int64_t>(height), kPointsPerInch, pixelsPerInch);
}

int HeightOf(int points, int pixelsPerInch) {
    return Scale(-static_cast<int64_t>(points), pixelsPerInch, kPointsPerInch);
}

int CheckedSize(int points) {
    const int64_t size = std::llabs(static_cast<int64_t>(points));
    return size >= kMinSize && size <= kMaxSize ? static_cast<int>(size) : kFallbackSize;
}

int CheckedSize(std::wstring_view typed) {
    const std::wstring text(typed);
    wchar_t* end = nullptr;
    const long long value = std::wcstoll(text.c_str(), &end, 10);
    const bool number = end != text.c_str() && *end == L'\0';
    return number && value >= -kMaxSize && value <= kMaxSize ? CheckedSize(static_cast<int>(value))
                                                             : kFallbackSize;
}

std::wstring StyleName(FontStyle style) {
    return pw::LoadString(kStyleNames + static_cast<unsigned>(style));
}

FontStyle StyleOf(int weight, bool italic) {
    const bool bold = weight >= kBoldWeight;
    if (bold)
        return italic ? FontStyle::kBoldItalic : FontStyle::kBold;
    return italic ? FontStyle::kItalic : FontStyle::kRegular;
}

int WeightOf(FontStyle style) {
    return style == FontStyle::kBold || style == FontStyle::kBoldItalic ? kBoldWeight : kRegularWeight;
}

bool IsItalic(FontStyle style) {
    return style == FontStyle::kItalic || style == FontStyle::kBoldItalic;
}

bool FontChoices::AddFace(std::wstring_view face) {
    if (face.empty() || std::find(faces_.begin(), faces_.end(), face) != faces_.end())
        return false;
    faces_.emplace_back(face);
    return true;
}

void FontChoices::ClearFace() {
    scripts_.clear();
    rasterSizes_.clear();
}

bool FontChoices::AddScript(std::wstring_view name, int charset) {
    if (std::any_of(scripts_.begin(), scripts_.end(),
                    [&](const FontScript& s) { return s.charset == charset; }))
        return false;
    scripts_.push_back({std::wstring(name), charset});
    return true;
}

void FontChoices::AddRasterSize(int cellHeight, int internalLeading, int pixelsPerInch) {
    const int size = Scale(cellHeight - internalLeading, kPointsPerInch, pixelsPerInch);
    if (size > 0 && std::find(rasterSizes_.begin(), rasterSizes_.end(), size) == rasterSizes_.end())
        rasterSizes_.insert(std::upper_bound(rasterSizes_.begin(), rasterSizes_.end(), size), size);
}

std::vector<std::wstring> FontChoices::Sizes() const {
    const std::vector<int> standard(std::begin(kStandardSizes), std::end(kStandardSizes));
    std::vector<std::wstring> sizes;
    for (const int size : rasterSizes_.empty() ? standard : rasterSizes_)
        sizes.push_back(std::to_wstring(size));
    return sizes;
}

}  // namespace pw::options
