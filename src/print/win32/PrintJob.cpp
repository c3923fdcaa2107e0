#include "print/win32/PrintJob.h"

#include <algorithm>

#include "platform/StringTable.h"

namespace pw::win32 {

namespace {

constexpr unsigned kPrintingCaption = 9770;
constexpr unsigned kCountingCaption = 9771;

// Ends a started document that cannot go on.
PrintOutcome Abort(HDC printer, PrintOutcome outcome) {
    AbortDoc(printer);
    return outcome;
}

PrintProgress::Lines ProgressLines(const PrintJobSettings& settings) {
    return {settings.title.substr(0, PrintJobSettings::kDocumentNameLimit), settings.device,
            settings.output.empty() ? settings.port : settings.output};
}

}  // namespace

PrintOutcome CountPagesIfShown(PrintDocument& document, const PrintJobSettings& settings, HWND owner) {
    if (!document.NeedsCount())
        return PrintOutcome::kPrinted;
    PrintProgress counting(owner, pw::LoadString(kCountingCaption), ProgressLines(settings));
    if (counting.Page(1) && document.CountPages([&](int page) { return counting.Page(page); }))
        return PrintOutcome::kPrinted;
    return document.Failed() ? PrintOutcome::kNoRoom : PrintOutcome::kCancelled;
}

PrintOutcome RunPrintJob(PrintDocument& document, HDC printer, const PrintJobSettings& settings, HWND owner) {
    if (const PrintOutcome counted = CountPagesIfShown(document, settings, owner);
        counted != PrintOutcome::kPrinted)
        return counted;
    const PrintProgress::Lines lines = ProgressLines(settings);
    const int from = std::max(settings.fromPage, 1);
    const int to = std::max(settings.toPage, 1);
    const int step = from <= to ? 1 : -1;
    // The first page printed: the range's first that exists (in reverse, the last).
    int first = from;
    while (first != to && !document.PageExists(first)) first += step;
    if (!document.PageExists(first))
        return document.Failed() ? PrintOutcome::kNoRoom : PrintOutcome::kNoPages;

    PrintProgress progress(owner, pw::LoadString(kPrintingCaption), lines);
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = lines.document.c_str();
    info.lpszOutput = settings.output.empty() ? nullptr : settings.output.c_str();
    if (StartDocW(printer, &info) <= 0)
        return PrintOutcome::kFailed;
    for (int page = first;; page += step) {
        if (!document.PageExists(page)) {
            if (step > 0)
                break;  // past the last page
        } else {
            if (!progress.Page(page))
                return Abort(printer, PrintOutcome::kCancelled);
            if (StartPage(printer) <= 0)
                return Abort(printer, PrintOutcome::kFailed);
            const bool printed = document.PrintPage(printer, page);
            if (EndPage(printer) <= 0)
                return Abort(printer, PrintOutcome::kFailed);
            if (!printed)
                return Abort(printer, document.Failed() ? PrintOutcome::kNoRoom : PrintOutcome::kFailed);
        }
        if (page == to)
            break;
    }
    return EndDoc(printer) > 0 ? PrintOutcome::kPrinted : PrintOutcome::kFailed;
}

}  // namespace pw::win32
