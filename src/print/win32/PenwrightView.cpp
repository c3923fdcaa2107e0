#include "print/win32/PenwrightView.h"

#include <commdlg.h>

#include <algorithm>

#include "editor/win32/GlobalMemory.h"
#include "editor/win32/PenwrightCtrl.h"
#include "platform/StringTable.h"

namespace {

constexpr unsigned kFailedText = 9783;
constexpr unsigned kNoPrinterText = 9784;
constexpr unsigned kNoRoomText = 9785;
constexpr unsigned kNoPagesText = 9786;
constexpr unsigned kBusyText = 9787;

// Where a print to file goes; nothing when the user cancelled.
std::optional<std::wstring> AskOutputFile(HWND owner) {
    wchar_t path[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"*.prn\0*.prn\0*.*\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = L"prn";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&dialog))
        return std::nullopt;
    return path;
}

}  // namespace

bool LocaleMeasuresMetric() {
    wchar_t measure[4] = L"";
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 4) == 0 || measure[0] != L'1';
}

CQELPenwrightView::CQELPenwrightView(CQELPenwrightCtrl& control)
    : control_(control), options_(LocaleMeasuresMetric()), fonts_(pw::win32::DefaultBandFonts()) {}

CQELPenwrightView::~CQELPenwrightView() = default;

HWND CQELPenwrightView::Owner() const {
    return control_.Handle() ? GetAncestor(control_.Handle(), GA_ROOT) : nullptr;
}

std::wstring CQELPenwrightView::DocumentTitle() const {
    if (title_)
        return *title_;
    std::wstring caption(static_cast<size_t>(std::max(GetWindowTextLengthW(Owner()), 0)) + 1, L'\0');
    caption.resize(
        static_cast<size_t>(GetWindowTextW(Owner(), caption.data(), static_cast<int>(caption.size()))));
    std::erase(caption, L'*');
    return caption.empty() ? previewOptions_.title : caption;
}

void CQELPenwrightView::Tell(unsigned textId) {
    const std::wstring text = pw::LoadString(textId);
    if (messages_)
        messages_(text);
    else
        MessageBoxW(Owner(), text.c_str(), DocumentTitle().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

pw::win32::PrintPreview* CQELPenwrightView::GetPreview() const {
    return preview_ && preview_->Handle() ? preview_.get() : nullptr;
}

std::optional<CQELPenwrightView::Printer> CQELPenwrightView::ChoosePrinter(bool showDialog) {
    PRINTDLGW choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = Owner();
    const std::optional<pw::win32::RowSpan> selected = SelectedRows();
    choice.Flags = showDialog ? PD_USEDEVMODECOPIESANDCOLLATE | (selected ? 0 : PD_NOSELECTION)
                              : PD_RETURNDEFAULT | PD_NOWARNING;
    choice.nMinPage = 1;
    choice.nMaxPage = pw::win32::PrintJobSettings::kLastPage;
    choice.nFromPage = 1;
    choice.nToPage = pw::win32::PrintJobSettings::kLastPage;
    if (!PrintDlgW(&choice)) {
        if (!showDialog || CommDlgExtendedError() != 0)
            Tell(kNoPrinterText);  // cancelling the dialog is no failure to tell
        return std::nullopt;
    }
    Printer printer;
    const pw::win32::Global names(choice.hDevNames);
    const pw::win32::Global mode(choice.hDevMode);
    {
        const pw::win32::Locked namesLock(names.Get());
        const pw::win32::Locked modeLock(mode.Get());
        auto* settings = static_cast<DEVMODEW*>(modeLock.Data());
        if (settings) {
            if (options_.landscape) {
                settings->dmOrientation = DMORIENT_LANDSCAPE;
                settings->dmFields |= DM_ORIENTATION;
            }
            if (options_.blackWhite) {
                settings->dmColor = DMCOLOR_MONOCHROME;
                settings->dmFields |= DM_COLOR;
            }
        }
        if (const auto* found = static_cast<const DEVNAMES*>(namesLock.Data())) {
            const auto* base = reinterpret_cast<const wchar_t*>(found);
            options_.printerInfo = {base + found->wDeviceOffset, base + found->wDriverOffset,
                                    base + found->wOutputOffset};
            printer.settings.device = options_.printerInfo.deviceName;
            printer.settings.port = options_.printerInfo.portName;
            printer.dc.Reset(CreateDCW(options_.printerInfo.driverName.c_str(),
                                       options_.printerInfo.deviceName.c_str(), nullptr, settings));
        }
    }
    const DWORD flags = choice.Flags;
    if (!printer.dc) {
        Tell(kNoPrinterText);
        return std::nullopt;
    }
    if ((flags & PD_SELECTION) && selected)
        printer.rows = *selected;
    if (flags & PD_PAGENUMS) {
        printer.settings.fromPage = choice.nFromPage;
        printer.settings.toPage = choice.nToPage;
    }
    if (flags & PD_PRINTTOFILE) {
        std::optional<std::wstring> output = AskOutputFile(Owner());
        if (!output)
            return std::nullopt;
        printer.settings.output = std::move(*output);
    }
    return printer;
}

std::unique_ptr<pw::win32::PrintDocument> CQELPenwrightView::MakeDocument(HDC printer,
                                                                          pw::win32::RowSpan rows) {
    return std::make_unique<pw::win32::PrintDocument>(control_, options_, fonts_, DocumentTitle(), printer,
                                                      rows);
}

std::optional<pw::win32::RowSpan> CQELPenwrightView::SelectedRows() const {
    const EditorCore* core = control_.Core();
    if (!core || core->GetCaret().GetSelection().IsEmpty())
        return std::nullopt;
    const CQELPenwrightSelection::Range range = core->GetCaret().GetSelection().Normalized();
    const bool endsAtRowStart = !core->GetCaret().GetSelection().IsBlock() && range.last.col == 1;
    return pw::win32::RowSpan{range.first.row, endsAtRowStart && range.last.row > range.first.row
                                                   ? range.last.row - 1
                                                   : range.last.row};
}

void CQELPenwrightView::ParseForColors() {
    EditorCore* core = control_.Core();
    if (!core || !core->GetOption(EditorOptions::kSyntaxColor) || core->IsParseSettled())
        return;
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    core->GetParser().ParseAll(core->GetBuffer(), true);
    SetCursor(previous);
}

bool CQELPenwrightView::PrintText(HDC dc) {
    if (!dc)
        return PrintText2(true);
    return Print(dc, {});
}

bool CQELPenwrightView::PrintText2(bool showDialog) {
    if (printing_) {
        Tell(kBusyText);
        return false;
    }
    std::optional<Printer> printer = ChoosePrinter(showDialog);
    return printer && Print(printer->dc.Get(), std::move(printer->settings), printer->rows);
}

bool CQELPenwrightView::Print(HDC dc, pw::win32::PrintJobSettings settings, pw::win32::RowSpan rows) {
    if (printing_) {
        Tell(kBusyText);
        return false;
    }
    // Whatever ends the job, the control and its window are given back as they were.
    const HWND owner = Owner();
    struct Scope {
        CQELPenwrightView& view;
        HWND owner;
        bool enabled;
        ~Scope() {
            if (enabled)
                EnableWindow(owner, TRUE);
            view.control_.SetPrinting(false);
            view.printing_ = false;
        }
    } scope{*this, owner, owner && IsWindowEnabled(owner)};
    printing_ = true;
    control_.SetPrinting(true);
    if (scope.enabled)
        EnableWindow(owner, FALSE);
    ParseForColors();
    settings.title = DocumentTitle();
    const std::unique_ptr<pw::win32::PrintDocument> document = MakeDocument(dc, rows);
    switch (pw::win32::RunPrintJob(*document, dc, settings, owner)) {
        case pw::win32::PrintOutcome::kPrinted:
            return true;
        case pw::win32::PrintOutcome::kCancelled:
            return false;
        case pw::win32::PrintOutcome::kFailed:
            Tell(kFailedText);
            return false;
        case pw::win32::PrintOutcome::kNoRoom:
            Tell(kNoRoomText);
            return false;
        case pw::win32::PrintOutcome::kNoPages:
            Tell(kNoPagesText);
            return false;
    }
    return false;
}

bool CQELPenwrightView::PrintPreview(bool showDialog) {
    if (printing_) {
        Tell(kBusyText);
        return false;
    }
    preview_.reset();
    std::optional<Printer> printer = ChoosePrinter(showDialog);
    if (!printer)
        return false;
    ParseForColors();
    std::unique_ptr<pw::win32::PrintDocument> document = MakeDocument(printer->dc.Get(), printer->rows);
    printer->settings.title = DocumentTitle();
    switch (pw::win32::CountPagesIfShown(*document, printer->settings, Owner())) {
        case pw::win32::PrintOutcome::kPrinted:
            break;
        case pw::win32::PrintOutcome::kNoRoom:
            Tell(kNoRoomText);
            return false;
        default:
            return false;
    }
    preview_ = std::make_unique<pw::win32::PrintPreview>(std::move(printer->dc), std::move(document),
                                                         previewOptions_.title,
                                                         [this, showDialog] { PrintText2(showDialog); });
    return preview_->Open(Owner());
}
