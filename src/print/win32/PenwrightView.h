#pragma once
// Windows only: printing an edit control's text, the entry points a host calls: on a printer
// context the host gives, on the default printer or one the print dialog chooses, and the
// preview. While a job runs the control is read only and its top-level window disabled, and a
// second job is refused; the control's own view of the text (its top row, its layout) is never
// touched, since pages are printed from row numbers.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "print/PrintOptions.h"
#include "print/win32/PrintDocument.h"
#include "print/win32/PrintJob.h"
#include "print/win32/PrintPreview.h"

class CQELPenwrightCtrl;

// Whether the user's locale measures in metric units (margins in hundredths of a millimetre).
bool LocaleMeasuresMetric();

class CQELPenwrightView {
public:
    // The control must outlive the view.
    explicit CQELPenwrightView(CQELPenwrightCtrl& control);
    ~CQELPenwrightView();

    CQELPenwrightViewPrintOptions& GetPrintOptions() { return options_; }
    CQELPrintPreviewOptions& GetPreviewOptions() { return previewOptions_; }
    pw::win32::BandFonts& GetBandFonts() { return fonts_; }
    // What "&w" shows and what names the job. Without one, the top-level window's caption
    // (its "*" modified marks removed), else the preview's title.
    void SetTitle(std::optional<std::wstring> title) { title_ = std::move(title); }

    // Where failures are told: a message box over the control's top-level window unless set.
    using MessageSink = std::function<void(const std::wstring& text)>;
    void SetMessageSink(MessageSink sink) { messages_ = std::move(sink); }

    bool IsPrinting() const { return printing_; }
    // Prints on `dc`, a printer context the host keeps; through the print dialog when null.
    bool PrintText(HDC dc);
    // Prints on the default printer, or on the one the print dialog chooses.
    bool PrintText2(bool showDialog);
    // Opens the preview on the default printer's pages, or the chosen printer's; its print button
    // prints the same way. False when no printer was chosen or the pages could not be counted.
    bool PrintPreview(bool showDialog);
    // The preview, while its window is open.
    pw::win32::PrintPreview* GetPreview() const;

private:
    struct Printer {
        pw::win32::DeviceContext dc;
        pw::win32::PrintJobSettings settings;
        pw::win32::RowSpan rows;
    };
    // The printer and the pages to print; nothing when the user cancelled or there is none.
    std::optional<Printer> ChoosePrinter(bool showDialog);
    bool Print(HDC dc, pw::win32::PrintJobSettings settings, pw::win32::RowSpan rows = {});
    std::unique_ptr<pw::win32::PrintDocument> MakeDocument(HDC printer, pw::win32::RowSpan rows);
    // The rows the selection touches (a stream ending at a row's start leaves that row out);
    // nothing without a selection.
    std::optional<pw::win32::RowSpan> SelectedRows() const;
    // The whole text parsed, so that every printed row has its colours.
    void ParseForColors();
    std::wstring DocumentTitle() const;
    void Tell(unsigned textId);
    HWND Owner() const;

    CQELPenwrightCtrl& control_;
    CQELPenwrightViewPrintOptions options_;
    CQELPrintPreviewOptions previewOptions_;
    pw::win32::BandFonts fonts_;
    std::optional<std::wstring> title_;
    MessageSink messages_;
    bool printing_ = false;
    std::unique_ptr<pw::win32::PrintPreview> preview_;
};
