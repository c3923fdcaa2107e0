#pragma once
// Windows only: the edit control's text on a printer's pages. Pages are laid out on the
// printer's device context and drawn one at a time into it or into any context made like it (a
// metafile for the preview), in hundredths of an inch: margins, the header with a rule below it,
// the rows, and the footer with a rule above it.
#include <windows.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>

#include "print/Pagination.h"
#include "print/PrintOptions.h"

class CQELPenwrightCtrl;

namespace pw::win32 {

// One logical unit a hundredth of an inch, from the printable area's top left.
void SetPageMapping(HDC dc);
// The printable area in those units, once the mapping is set.
RECT PageRect(HDC dc);

// The date or time as the user's locale writes it.
std::wstring LocalDateTime(DateTimeForm form);

// The rows printed: the whole text, or a selection's.
struct RowSpan {
    int first = 1;
    int last = INT_MAX;
};

struct BandFonts {
    LOGFONTW header;
    LOGFONTW footer;
};
// The system's icon-title font for both.
BandFonts DefaultBandFonts();

class PrintDocument {
public:
    static constexpr int kRuleWidth = 2;  // the rule's thickness
    static constexpr int kTextGap = 7;    // between a rule and the text

    // Lays pages of `rows` out on `printer` (the control must outlive the document). `title` is
    // what "&w" shows; nothing leaves the code as written.
    PrintDocument(CQELPenwrightCtrl& control, const CQELPrintOptions& options, const BandFonts& fonts,
                  std::optional<std::wstring> title, HDC printer, RowSpan rows = {},
                  CQELPrintPageHeaderFooter::DateTimeSource dateTime = LocalDateTime);

    // Whether the header or the footer shows the page count, which must be counted first.
    bool NeedsCount() const;
    // Counts the pages, telling `carryOn` of each one after the first (it may stop the count);
    // nothing when stopped or when the page cannot hold a row.
    std::optional<int> CountPages(const std::function<bool(int page)>& carryOn = {});
    // The count "&P" shows: PageNumbers::kNotCounted until counted.
    int PageCount() const { return count_; }

    // Whether the page has something to print, laying out the pages before it as needed.
    bool PageExists(int page) { return pagination_.Exists(page); }
    // Draws an existing page into `dc`: the printer's, or a context with its resolution. False
    // when the page has no room for a row.
    bool PrintPage(HDC dc, int page);
    // Whether a page had no room for a row.
    bool Failed() const { return pagination_.Failed() || noRoom_; }

private:
    // The rows the page starting at `firstRow` takes; drawn unless `measureOnly`. Nothing when
    // the text area cannot hold a row.
    std::optional<int> LayOut(HDC dc, int page, int firstRow, bool measureOnly);

    CQELPenwrightCtrl& control_;
    const CQELPrintOptions& options_;
    BandFonts fonts_;
    std::optional<std::wstring> title_;
    HDC printer_;
    int lastRow_;
    CQELPrintPageHeaderFooter::DateTimeSource dateTime_;
    Pagination pagination_;
    int count_ = PageNumbers::kNotCounted;
    bool noRoom_ = false;
};

}  // namespace pw::win32
