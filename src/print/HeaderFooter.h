#pragma once
// A printed page's header or footer as text: a format with codes for the page number and count,
// the date and time and the title, expanded for one page into a left, a centre and a right part,
// and the band's width shared among the parts so that the tallest is as short as it can be. The
// date and time come from the caller (the system's formats in the user's locale when printing).
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The date and time forms a format may ask for.
enum class DateTimeForm { kShortDate, kLongDate, kTime, kTime24 };

struct PageNumbers {
    static constexpr int kNotCounted = 0xFFFF;  // the count is still being calculated: "*"
    int page = 1;
    int count = kNotCounted;
};

class CQELPrintPageHeaderFooter {
public:
    // Each date or time text is cut to this many characters.
    static constexpr size_t kDateTimeLimit = 200;
    using DateTimeSource = std::function<std::wstring(DateTimeForm)>;

    explicit CQELPrintPageHeaderFooter(bool isHeader = true) : isHeader_(isHeader) {}

    bool IsHeader() const { return isHeader_; }
    const std::wstring& GetFormatString() const { return format_; }
    // A new format: the texts of the old one are gone until it is expanded.
    void SetFormatString(std::wstring_view format);
    // The codes: &d &D (short and long date), &t &T (time, and in 24 hours), &p &P (page, and
    // count: "*" while not counted), &b (the next part), &w (the title, when there is one), &&
    // ("&"), and \n (the two characters) for a line break. An empty format keeps the texts the
    // host set; any other sets all three, parts it does not reach empty.
    void FormatForPage(const PageNumbers& numbers, const std::optional<std::wstring>& title,
                       const DateTimeSource& dateTime);
    bool IsEmpty() const { return left_.empty() && center_.empty() && right_.empty(); }
    // The one part with text (0 left, 1 centre, 2 right; leading blanks are no text), which then
    // takes the whole band; nothing when none or more than one has text.
    std::optional<int> SolePart() const;
    // The format and the texts emptied.
    void Clear();

    const std::wstring& GetTextLeft() const { return left_; }
    const std::wstring& GetTextCenter() const { return center_; }
    const std::wstring& GetTextRight() const { return right_; }
    void SetTextLeft(std::wstring_view text) { left_ = text; }
    void SetTextCenter(std::wstring_view text) { center_ = text; }
    void SetTextRight(std::wstring_view text) { right_ = text; }

private:
    bool isHeader_;
    std::wstring format_;
    std::wstring left_, center_, right_;
};

// How a band of `width` units is shared among the three parts whose single-line widths are
// given: the columns whose estimated line count (the part's width over its column's, rounded up)
// is smallest at its largest, the most even of those winning; columns 1 unit wide when the band
// is too narrow to share. Nothing when there is no width or no text to share it.
struct BandColumns {
    int left = 1;
    int center = 1;
    int right = 1;
};
std::optional<BandColumns> ShareBandWidth(int width, int leftWidth, int centerWidth, int rightWidth);
