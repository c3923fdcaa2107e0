#pragma once
// Windows only: a print job on a printer's device context. The pages are counted first when the
// header or footer shows the count, then printed from the first page asked for to the last (in
// reverse when the first is the larger), each step checked: a failure or a cancel ends the
// document with AbortDoc, so that no half job reaches the printer as if it were whole.
#include <windows.h>

#include <string>

#include "print/win32/PrintDocument.h"
#include "print/win32/PrintProgress.h"

namespace pw::win32 {

struct PrintJobSettings {
    static constexpr int kLastPage = PageNumbers::kNotCounted;
    static constexpr size_t kDocumentNameLimit = 31;

    std::wstring title;   // the document's; its first 31 characters name the job
    std::wstring output;  // a file to print to; empty for the printer's port
    std::wstring device;
    std::wstring port;
    int fromPage = 1;
    int toPage = kLastPage;
};

enum class PrintOutcome {
    kPrinted,
    kCancelled,  // by the user, while counting or printing
    kFailed,     // the printer refused a step
    kNoRoom,     // the margins leave no room for a row
    kNoPages,    // no page of the range exists
};

// Counts the pages first when the header or footer shows the count, in a "Calculating pages..."
// box over `owner`: kPrinted when the pages may be printed.
PrintOutcome CountPagesIfShown(PrintDocument& document, const PrintJobSettings& settings, HWND owner);

// Runs the job with its progress boxes over `owner`.
PrintOutcome RunPrintJob(PrintDocument& document, HDC printer, const PrintJobSettings& settings, HWND owner);

}  // namespace pw::win32
