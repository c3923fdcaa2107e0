#include "activex/win32/ControlObject.h"

#include <stdexcept>

#include "activex/AutomationError.h"
#include "activex/BorderStyle.h"
#include "activex/Identifiers.h"
#include "activex/OleColor.h"
#include "activex/win32/DataManager.h"
#include "activex/win32/OleFont.h"
#include "activex/win32/PrintObjects.h"
#include "activex/win32/TextPosition.h"
#include "activex/win32/TextSelection.h"
#include "editor/win32/Clipboard.h"
#include "editor/win32/FindReplaceDlg.h"
#include "options/win32/OptionsSheet.h"
#include "platform/ModulePath.h"
#include "platform/win32/Module.h"

using pw::win32::Guarded;
using pw::win32::ReturnBool;
using pw::win32::ReturnNew;
using pw::win32::ReturnString;
using pw::win32::StringOf;

namespace {

// The configuration the shipped control reads: a folder beside its DLL.
std::wstring ShippedConfigFile() {
    std::wstring path = pw::ModulePath();
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + L"EditConfig\\Penwright.ini";
}

std::optional<int32_t> SystemColor(int index) {
    if (index < 0 || index > COLOR_MENUBAR)
        return std::nullopt;
    return static_cast<int32_t>(GetSysColor(index));
}
}  // namespace

CPenwrightCtrl::CPenwrightCtrl() {
    if (!window_.Create())
        throw std::runtime_error("no window");
    Editor().SetConfigFile(ShippedConfigFile());
    document_.SetDataManager(Editor().GetBuffer());
    Editor().SetKeyHandler([this](UINT message, int& code, const KeyModifiers& modifiers) {
        FireKey(message == WM_KEYDOWN ? DISPID_KEYDOWN : DISPID_KEYUP, code, modifiers);
    });
    Editor().SetFocusHandler(
        [this](bool gained, HWND other) { TellFocus(gained || window_.Contains(other)); });
}

CPenwrightCtrl::~CPenwrightCtrl() {
    if (CQELPenwrightFindReplaceDlg::ForThread().Target() == &Editor())
        HideFindReplaceDialog();
}

HRESULT CPenwrightCtrl::QueryInterface(REFIID iid, void** out) {
    // The bases of the listed interfaces, which hosts may ask for by themselves.
    void* base = nullptr;
    if (IsEqualIID(iid, IID_IOleWindow))
        base = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(iid, IID_IViewObject))
        base = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStream))
        base = static_cast<IPersistStreamInit*>(this);  // IPersistStream's methods are its first ones
    else if (IsEqualIID(iid, IID_IProvideClassInfo))
        base = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(iid, __uuidof(_DPenwright)))
        base = static_cast<IPenwright*>(this);
    if (!base)
        return DispatchObject::QueryInterface(iid, out);
    AddRef();
    *out = base;
    return S_OK;
}

HRESULT CPenwrightCtrl::Fail(HRESULT code, const std::wstring& description) {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(__uuidof(IPenwright));
        create->SetSource(const_cast<LPOLESTR>(ControlIds::kControlProgId));
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return code;
}

HRESULT CPenwrightCtrl::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, __uuidof(IPenwright)) ? S_OK : S_FALSE;
}

HRESULT CPenwrightCtrl::CheckTrusted() {
    return untrustedCaller_
               ? Fail(CTL_E_PERMISSIONDENIED, L"Permission denied: the host runs untrusted scripts.")
               : S_OK;
}

HRESULT CPenwrightCtrl::CheckRow(long row, bool allowAppend) {
    const long rows = Buffer().GetRowCount();
    return row >= 1 && row <= rows + (allowAppend ? 1 : 0)
               ? S_OK
               : Fail(E_INVALIDARG, L"Row " + std::to_wstring(row) + L" is outside the text (1 to " +
                                        std::to_wstring(rows) + L").");
}

// Stock properties

HRESULT CPenwrightCtrl::get_hWnd(long* window) {
    if (!window)
        return E_POINTER;
    *window = static_cast<long>(reinterpret_cast<LONG_PTR>(window_.Handle()));
    return S_OK;
}

HRESULT CPenwrightCtrl::get_Enabled(VARIANT_BOOL* enabled) {
    return ReturnBool(IsWindowEnabled(Editor().Handle()), enabled);
}

HRESULT CPenwrightCtrl::put_Enabled(VARIANT_BOOL enabled) {
    EnableWindow(window_.Handle(), enabled != VARIANT_FALSE);
    EnableWindow(Editor().Handle(), enabled != VARIANT_FALSE);
    return S_OK;
}

HRESULT CPenwrightCtrl::get_Font(IFontDisp** font) {
    if (!font)
        return E_POINTER;
    *font = nullptr;
    return Guarded([&] {
        if (!font_)
            if (const HRESULT made = pw::win32::NewFontDisp(Editor().GetPainter()->GetLogFont(), font_.Out());
                FAILED(made))
                return made;
        font_->AddRef();
        *font = font_.Get();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::putref_Font(IFontDisp* font) {
    return Guarded([&] {
        const std::optional<LOGFONTW> log = pw::win32::ScreenFontOf(font);
        if (!log)
            return Fail(E_INVALIDARG, L"That is no font.");
        Editor().SetFont(&*log, false);
        font_ = pw::win32::ComPtr<IFontDisp>(font);
        RedrawControl();
        SetModifiedFlag();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::AboutBox() {
    const std::wstring text =
        std::wstring(L"Penwright source code edit control\nVersion ") + ControlIds::kVersion;
    MessageBoxW(window_.Handle(), text.c_str(), L"About Penwright", MB_OK | MB_ICONINFORMATION);
    return S_OK;
}

// Options and document

HRESULT CPenwrightCtrl::get_BorderStyle(long* style) {
    if (!style)
        return E_POINTER;
    *style = borderStyle_;
    return S_OK;
}

HRESULT CPenwrightCtrl::put_BorderStyle(long style) {
    if (style != borderStyle_) {
        borderStyle_ = style;
        ApplyBorderStyle();
        SetModifiedFlag();
    }
    return S_OK;
}

void CPenwrightCtrl::ApplyBorderStyle() {
    const std::optional<BorderFrame> frame = BorderFrameOf(borderStyle_);
    if (!frame)
        return;
    const HWND hwnd = window_.Handle();
    auto set = [&](int index, LONG_PTR bit, bool on) {
        const LONG_PTR style = GetWindowLongPtrW(hwnd, index);
        SetWindowLongPtrW(hwnd, index, on ? style | bit : style & ~bit);
    };
    set(GWL_STYLE, WS_BORDER, frame->border);
    set(GWL_EXSTYLE, WS_EX_STATICEDGE, frame->staticEdge);
    set(GWL_EXSTYLE, WS_EX_CLIENTEDGE, frame->clientEdge);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HRESULT CPenwrightCtrl::get_DataManager(IDispatch** data) {
    return ReturnNew(
        data, [&] { return new CQELPenwrightDataManager_imp(static_cast<IPenwright*>(this), Editor()); });
}

HRESULT CPenwrightCtrl::get_ConfigFile(BSTR* path) {
    return Guarded([&] { return ReturnString(Editor().GetConfigFile(), path); });
}

HRESULT CPenwrightCtrl::put_ConfigFile(BSTR path) {
    if (const HRESULT trusted = CheckTrusted(); FAILED(trusted))
        return trusted;
    return Guarded([&] {
        Editor().SetConfigFile(std::wstring(StringOf(path)));
        SetModifiedFlag();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::get_Text(BSTR* text) {
    return Guarded([&] { return ReturnString(Editor().GetWholeText(), text); });
}

HRESULT CPenwrightCtrl::put_Text(BSTR text) {
    return Guarded([&] {
        // A null string is the empty text.
        ReplaceText([&] {
            Buffer().SetWholeText(StringOf(text));
            return true;
        });
        SetModifiedFlag();
        return S_OK;
    });
}

void CPenwrightCtrl::ReplaceText(const std::function<bool()>& replace) {
    CQELPenwrightBufferManager& buffer = Buffer();
    if (!replace())
        return;
    buffer.GetLineMarks().RemoveAll(LineMarkKind::Collapsed);
    RowColorMaps& colors = Editor().Core()->GetRowColors();
    colors.SetText(-1, -1);
    colors.SetBack(-1, -1);
    buffer.GetUndoManager().Clear();
    buffer.GetUndoManager().MarkSaved();
    Editor().TextReplaced();
    Editor().Invalidate();
}

HRESULT CPenwrightCtrl::get_TopRow(long* row) {
    if (!row)
        return E_POINTER;
    *row = Editor().GetTopRow();
    return S_OK;
}

HRESULT CPenwrightCtrl::put_TopRow(long row) {
    Editor().SetTopRow(static_cast<int>(row));
    Editor().UpdateNow();
    return S_OK;
}

HRESULT CPenwrightCtrl::GetOption(EditorOptions::Option option, VARIANT_BOOL* on) {
    return ReturnBool(Editor().GetOption(option), on);
}

HRESULT CPenwrightCtrl::SetOption(EditorOptions::Option option, VARIANT_BOOL on) {
    return Guarded([&] {
        Editor().SetOption(option, on != VARIANT_FALSE, false);
        SetModifiedFlag();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::get_EnableSyntaxColorization(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kSyntaxColor, on);
}
HRESULT CPenwrightCtrl::put_EnableSyntaxColorization(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kSyntaxColor, on);
}
HRESULT CPenwrightCtrl::get_ShowLineNumbers(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kLineNumbers, on);
}
HRESULT CPenwrightCtrl::put_ShowLineNumbers(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kLineNumbers, on);
}
HRESULT CPenwrightCtrl::get_ShowSelectionMargin(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kSelMargin, on);
}
HRESULT CPenwrightCtrl::put_ShowSelectionMargin(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kSelMargin, on);
}
HRESULT CPenwrightCtrl::get_ShowScrollBarVert(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kVScrollBar, on);
}
HRESULT CPenwrightCtrl::put_ShowScrollBarVert(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kVScrollBar, on);
}
HRESULT CPenwrightCtrl::get_ShowScrollBarHorz(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kHScrollBar, on);
}
HRESULT CPenwrightCtrl::put_ShowScrollBarHorz(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kHScrollBar, on);
}
HRESULT CPenwrightCtrl::get_EnableVirtualSpace(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kVirtualSpace, on);
}
HRESULT CPenwrightCtrl::put_EnableVirtualSpace(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kVirtualSpace, on);
}
HRESULT CPenwrightCtrl::get_EnableAutoIndent(VARIANT_BOOL* on) {
    return GetOption(EditorOptions::kAutoIndent, on);
}
HRESULT CPenwrightCtrl::put_EnableAutoIndent(VARIANT_BOOL on) {
    return SetOption(EditorOptions::kAutoIndent, on);
}

HRESULT CPenwrightCtrl::get_ShowWhiteSpace(VARIANT_BOOL* on) {
    return ReturnBool(Editor().GetWhiteSpace(), on);
}

HRESULT CPenwrightCtrl::put_ShowWhiteSpace(VARIANT_BOOL on) {
    Editor().SetWhiteSpace(on != VARIANT_FALSE);
    SetModifiedFlag();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_ReadOnly(VARIANT_BOOL* on) {
    return ReturnBool(readOnly_, on);
}

HRESULT CPenwrightCtrl::put_ReadOnly(VARIANT_BOOL on) {
    readOnly_ = on != VARIANT_FALSE;
    SetModifiedFlag();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_Modified(VARIANT_BOOL* modified) {
    return ReturnBool(Buffer().IsModified(), modified);
}

HRESULT CPenwrightCtrl::put_Modified(VARIANT_BOOL modified) {
    UndoManager& undo = Buffer().GetUndoManager();
    modified == VARIANT_FALSE ? undo.MarkSaved() : undo.MarkUnsaved();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_TabSize(long* size) {
    if (!size)
        return E_POINTER;
    *size = Buffer().GetTabSize();
    return S_OK;
}

HRESULT CPenwrightCtrl::put_TabSize(long size) {
    return Editor().SetTabSize(static_cast<int>(size)) ? S_OK
                                                       : Fail(E_INVALIDARG, L"The tab size must be 1 to 64.");
}

HRESULT CPenwrightCtrl::OpenFile(BSTR fileName) {
    if (const HRESULT trusted = CheckTrusted(); FAILED(trusted))
        return trusted;
    return Guarded([&] {
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        const std::wstring path = pw::FullPath(std::wstring(StringOf(fileName)));
        bool opened = false;
        // A file read whose directory entry could not be read afterwards is still opened.
        ReplaceText([&] { return opened = document_.OnOpenDocument(path) || !document_.GetLastFileError(); });
        SetCursor(previous);
        if (!opened)
            return FileFailure();
        fileName_ = path;
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::FileFailure() {
    if (!document_.GetLastFileError())
        return Fail(E_FAIL, L"The file could not be used.");
    const AutomationError error = FileError(*document_.GetLastFileError());
    return Fail(error.code, error.description);
}

HRESULT CPenwrightCtrl::SaveFile() {
    if (fileName_.empty())
        return Fail(E_FAIL, L"The text has no file name yet: save it with SaveFileAs.");
    return SaveFileAs(nullptr);
}

HRESULT CPenwrightCtrl::SaveFileAs(BSTR fileName) {
    if (const HRESULT trusted = CheckTrusted(); FAILED(trusted))
        return trusted;
    return Guarded([&] {
        const std::wstring path = fileName ? pw::FullPath(std::wstring(StringOf(fileName))) : fileName_;
        const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        const bool saved = document_.OnSaveDocument(path) || !document_.GetLastFileError();
        SetCursor(previous);
        if (!saved)
            return FileFailure();
        fileName_ = path;
        Editor().Refresh();
        return S_OK;
    });
}

// Marks and view

HRESULT CPenwrightCtrl::AddRemoveBookmark(long row) {
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    Editor().Core()->GetEditor().ToggleBookmark(static_cast<int>(row));
    return S_OK;
}

HRESULT CPenwrightCtrl::AddRemoveBreakPoint(long row) {
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    Editor().Core()->GetEditor().ToggleBreakpoint(static_cast<int>(row));
    return S_OK;
}

HRESULT CPenwrightCtrl::PrevBookmark() {
    return Guarded([&] { return Editor().Core()->GetEditor().PreviousBookmark() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::NextBookmark() {
    return Guarded([&] { return Editor().Core()->GetEditor().NextBookmark() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::RefreshColors() {
    return Guarded([&] {
        Editor().Refresh();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::RedrawControl() {
    Editor().Core()->RecalcLayout();
    InvalidateRect(Editor().Handle(), nullptr, FALSE);
    InvalidateRect(window_.Handle(), nullptr, FALSE);
    UpdateWindow(window_.Handle());
    return S_OK;
}

// Caret and selection

HRESULT CPenwrightCtrl::get_CurrRow(long* row) {
    if (!row)
        return E_POINTER;
    *row = Editor().Core()->GetCaret().GetRow();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_CurrCol(long* col) {
    if (!col)
        return E_POINTER;
    *col = Editor().Core()->GetCaret().GetColumn();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_CurrRowPos(long* pos) {
    if (!pos)
        return E_POINTER;
    *pos = Editor().Core()->GetCaret().GetPosition();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_CurrPos(IDispatch** position) {
    return ReturnNew(position, [&] {
        return new CQELPenwrightTextPosition_imp(static_cast<IPenwright*>(this), Editor(),
                                                 PositionEnd::kCaret);
    });
}

HRESULT CPenwrightCtrl::get_Selection(IDispatch** selection) {
    return ReturnNew(selection, [&] {
        return new CQELPenwrightTextSelection_imp(static_cast<IPenwright*>(this), Editor());
    });
}

HRESULT CPenwrightCtrl::SetRowBkColor(long row, OLE_COLOR color) {
    return SetHostRowColor(row, color, &RowColorMaps::SetBack);
}

HRESULT CPenwrightCtrl::SetRowColor(long row, OLE_COLOR color) {
    return SetHostRowColor(row, color, &RowColorMaps::SetText);
}

HRESULT CPenwrightCtrl::SetHostRowColor(long row, OLE_COLOR color, void (RowColorMaps::*set)(int, int32_t)) {
    const std::optional<int32_t> value = RowColorArgument(color, SystemColor);
    if (!value || (row != -1 && FAILED(CheckRow(row))))
        return Fail(E_INVALIDARG, L"No such row or colour.");
    (Editor().Core()->GetRowColors().*set)(static_cast<int>(row), *value);
    Editor().Invalidate();
    return S_OK;
}

// The find dialog

HRESULT CPenwrightCtrl::ShowFindReplaceDialog(VARIANT_BOOL replace) {
    return Guarded([&] { return Editor().ShowFindDialog(replace != VARIANT_FALSE) ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::HideFindReplaceDialog() {
    const HWND dialog = CQELPenwrightFindReplaceDlg::ForThread().Handle();
    if (dialog)
        SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return S_OK;
}

HRESULT CPenwrightCtrl::get_FindReplaceDialogVisible(long* visible) {
    if (!visible)
        return E_POINTER;
    const CQELPenwrightFindReplaceDlg& dialog = CQELPenwrightFindReplaceDlg::ForThread();
    *visible = dialog.Handle() && IsWindowVisible(dialog.Handle()) ? (dialog.Model().replaceMode ? 2 : 1) : 0;
    return S_OK;
}

// Untrusted callers may open it too: it writes the profile and schema files only when the user
// applies changes there.
HRESULT CPenwrightCtrl::ShowOptionsDialog() {
    return Guarded([&] {
        pw::options::OptionsHost host;
        host.ctrl = &Editor();
        pw::options::OptionsSheet sheet(host);
        return sheet.Show(GetAncestor(Editor().Handle(), GA_ROOT)) < 0
                   ? Fail(E_FAIL, L"The options dialog could not be shown.")
                   : S_OK;
    });
}

// Printing

HRESULT CPenwrightCtrl::get_PrintOptions(IDispatch** options) {
    return ReturnNew(options,
                     [&] { return new CQELPrintOptions_imp(static_cast<IPenwright*>(this), view_); });
}

HRESULT CPenwrightCtrl::get_PrintPreviewOptions(IDispatch** options) {
    return ReturnNew(options,
                     [&] { return new CQELPrintPreviewOptions_imp(static_cast<IPenwright*>(this), view_); });
}

HRESULT CPenwrightCtrl::PrintText(long dc) {
    // A device context from automation carries only its low 32 bits; handles are sign-extended.
    const auto context = reinterpret_cast<HDC>(static_cast<LONG_PTR>(dc));
    if (context)
        if (const HRESULT trusted = CheckTrusted(); FAILED(trusted))
            return trusted;
    return Guarded([&] { return view_.PrintText(context) ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::PrintText2(VARIANT_BOOL showDialog) {
    if (showDialog == VARIANT_FALSE)
        if (const HRESULT trusted = CheckTrusted(); FAILED(trusted))
            return trusted;
    return Guarded([&] { return view_.PrintText2(showDialog != VARIANT_FALSE) ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::PrintPreview(VARIANT_BOOL showDialog) {
    return Guarded([&] { return view_.PrintPreview(showDialog != VARIANT_FALSE) ? S_OK : S_FALSE; });
}

// Clipboard and undo

HRESULT CPenwrightCtrl::get_CanCut(VARIANT_BOOL* can) {
    return ReturnBool(!Editor().Core()->GetCaret().GetSelection().IsEmpty(), can);
}

HRESULT CPenwrightCtrl::get_CanCopy(VARIANT_BOOL* can) {
    return get_CanCut(can);
}

HRESULT CPenwrightCtrl::get_CanPaste(VARIANT_BOOL* can) {
    return ReturnBool(IsClipboardFormatAvailable(CF_UNICODETEXT), can);
}

HRESULT CPenwrightCtrl::get_CanUndo(VARIANT_BOOL* can) {
    return ReturnBool(Editor().Core()->GetEditor().CanUndo(), can);
}

HRESULT CPenwrightCtrl::get_CanRedo(VARIANT_BOOL* can) {
    return ReturnBool(Editor().Core()->GetEditor().CanRedo(), can);
}

HRESULT CPenwrightCtrl::Cut() {
    return Guarded([&] { return Editor().Core()->GetEditor().Cut() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::Copy() {
    return Guarded([&] { return Editor().Core()->GetEditor().Copy() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::Paste() {
    return Guarded([&] { return Editor().Core()->GetEditor().Paste() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::Undo() {
    return Guarded([&] { return Editor().Core()->GetEditor().Undo() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::Redo() {
    return Guarded([&] { return Editor().Core()->GetEditor().Redo() ? S_OK : S_FALSE; });
}

// Rows

HRESULT CPenwrightCtrl::get_RowsCount(long* rows) {
    if (!rows)
        return E_POINTER;
    *rows = Buffer().GetRowCount();
    return S_OK;
}

HRESULT CPenwrightCtrl::get_RowTextLength(long row, long* length) {
    if (!length)
        return E_POINTER;
    *length = 0;
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    *length = Buffer().GetLineTextLength(static_cast<int>(row));
    return S_OK;
}

HRESULT CPenwrightCtrl::get_TextLength(long* length) {
    if (!length)
        return E_POINTER;
    const CQELPenwrightBufferManager& buffer = Buffer();
    int64_t total = 0;
    for (int row = 1; row <= buffer.GetRowCount(); ++row) total += buffer.GetLineTextLength(row);
    *length = static_cast<long>(std::min<int64_t>(total, LONG_MAX));
    return S_OK;
}

HRESULT CPenwrightCtrl::get_RowText(long row, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    return Guarded([&] { return ReturnString(Buffer().GetLineView(static_cast<int>(row)), text); });
}

// The host's row edits are undo steps like any other: unrecorded ones would make the steps
// before them replay at shifted places.
HRESULT CPenwrightCtrl::put_RowText(long row, BSTR text) {
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    return Guarded([&] {
        return Editor().Core()->GetEditor().SetRowText(static_cast<int>(row), StringOf(text), true) ? S_OK
                                                                                                    : S_FALSE;
    });
}

HRESULT CPenwrightCtrl::InsertRow(long row, BSTR text) {
    if (const HRESULT valid = CheckRow(row, true); FAILED(valid))
        return valid;
    return Guarded([&] {
        return Editor().Core()->GetEditor().InsertRow(static_cast<int>(row), StringOf(text), true) ? S_OK
                                                                                                   : S_FALSE;
    });
}

HRESULT CPenwrightCtrl::RemoveRow(long row) {
    if (const HRESULT valid = CheckRow(row); FAILED(valid))
        return valid;
    return Guarded(
        [&] { return Editor().Core()->GetEditor().RemoveRow(static_cast<int>(row), true) ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::SelectAll() {
    Editor().Core()->GetCaret().SelectAll();
    return S_OK;
}

HRESULT CPenwrightCtrl::ClearUndoBuffer() {
    Buffer().GetUndoManager().Forget();
    return S_OK;
}

HRESULT CPenwrightCtrl::IndentSelection() {
    return Guarded([&] { return Editor().Core()->GetEditor().IndentSelection() ? S_OK : S_FALSE; });
}

HRESULT CPenwrightCtrl::UnindentSelection() {
    return Guarded([&] { return Editor().Core()->GetEditor().UnindentSelection() ? S_OK : S_FALSE; });
}
