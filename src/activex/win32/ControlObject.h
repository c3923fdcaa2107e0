#pragma once
// Windows only: the ActiveX control a host places on a form. A thin layer over one edit control
// (CQELPenwrightCtrl, in ControlWindow): automation forwards to the editor and its buffer, the
// editor's notifications become events, and the host's document keeps a few properties. The
// OLE embedding (in-place activation, drawing, focus, key pre-translation) is in
// ControlEmbedding.cpp, events in ControlEvents.cpp, persistence in ControlPersistence.cpp.
#include <windows.h>
// After windows.h, which they need.
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "activex/ControlProperties.h"
#include "activex/win32/ControlWindow.h"
#include "activex/win32/Dispatch.h"
#include "activex/win32/EventPoint.h"
#include "activex/win32/TypeLibrary.h"
#include "buffer/PenwrightDoc.h"
#include "editor/win32/ComPtr.h"
#include "print/win32/PenwrightView.h"

// The system headers declare no identifier for __uuidof with this interface.
__CRT_UUID_DECL(IObjectSafety, 0xCB5BDC81, 0x93C1, 0x11CF, 0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64)

class CPenwrightCtrl final
    : public pw::win32::DispatchObject<IPenwright, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                                       IOleControl, IViewObject2, IPersistStreamInit, IPersistPropertyBag,
                                       IProvideClassInfo2, IConnectionPointContainer, IObjectSafety,
                                       ISupportErrorInfo>,
      private ControlWindowOwner {
public:
    CPenwrightCtrl();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;

    // IPenwright
    HRESULT STDMETHODCALLTYPE get_hWnd(long* window) override;
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override;
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL enabled) override;
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** font) override;
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* font) override;
    HRESULT STDMETHODCALLTYPE AboutBox() override;
    HRESULT STDMETHODCALLTYPE get_BorderStyle(long* style) override;
    HRESULT STDMETHODCALLTYPE put_BorderStyle(long style) override;
    HRESULT STDMETHODCALLTYPE get_DataManager(IDispatch** data) override;
    HRESULT STDMETHODCALLTYPE get_ConfigFile(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE put_ConfigFile(BSTR path) override;
    HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_Text(BSTR text) override;
    HRESULT STDMETHODCALLTYPE get_TopRow(long* row) override;
    HRESULT STDMETHODCALLTYPE put_TopRow(long row) override;
    HRESULT STDMETHODCALLTYPE get_EnableSyntaxColorization(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_EnableSyntaxColorization(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ShowLineNumbers(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ShowLineNumbers(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ShowSelectionMargin(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ShowSelectionMargin(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ShowScrollBarVert(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ShowScrollBarVert(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ShowScrollBarHorz(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ShowScrollBarHorz(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_EnableVirtualSpace(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_EnableVirtualSpace(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_EnableAutoIndent(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_EnableAutoIndent(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ShowWhiteSpace(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ShowWhiteSpace(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_ReadOnly(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_ReadOnly(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_Modified(VARIANT_BOOL* on) override;
    HRESULT STDMETHODCALLTYPE put_Modified(VARIANT_BOOL on) override;
    HRESULT STDMETHODCALLTYPE get_TabSize(long* size) override;
    HRESULT STDMETHODCALLTYPE put_TabSize(long size) override;
    HRESULT STDMETHODCALLTYPE OpenFile(BSTR fileName) override;
    HRESULT STDMETHODCALLTYPE SaveFile() override;
    HRESULT STDMETHODCALLTYPE SaveFileAs(BSTR fileName) override;
    HRESULT STDMETHODCALLTYPE AddRemoveBookmark(long row) override;
    HRESULT STDMETHODCALLTYPE AddRemoveBreakPoint(long row) override;
    HRESULT STDMETHODCALLTYPE PrevBookmark() override;
    HRESULT STDMETHODCALLTYPE NextBookmark() override;
    HRESULT STDMETHODCALLTYPE RefreshColors() override;
    HRESULT STDMETHODCALLTYPE RedrawControl() override;
    HRESULT STDMETHODCALLTYPE get_CurrRow(long* row) override;
    HRESULT STDMETHODCALLTYPE get_CurrCol(long* col) override;
    HRESULT STDMETHODCALLTYPE get_CurrRowPos(long* pos) override;
    HRESULT STDMETHODCALLTYPE get_CurrPos(IDispatch** position) override;
    HRESULT STDMETHODCALLTYPE get_Selection(IDispatch** selection) override;
    HRESULT STDMETHODCALLTYPE SetRowBkColor(long row, OLE_COLOR color) override;
    HRESULT STDMETHODCALLTYPE SetRowColor(long row, OLE_COLOR color) override;
    HRESULT STDMETHODCALLTYPE ShowFindReplaceDialog(VARIANT_BOOL replace) override;
    HRESULT STDMETHODCALLTYPE HideFindReplaceDialog() override;
    HRESULT STDMETHODCALLTYPE get_FindReplaceDialogVisible(long* visible) override;
    HRESULT STDMETHODCALLTYPE get_PrintOptions(IDispatch** options) override;
    HRESULT STDMETHODCALLTYPE get_PrintPreviewOptions(IDispatch** options) override;
    HRESULT STDMETHODCALLTYPE PrintText(long dc) override;
    HRESULT STDMETHODCALLTYPE PrintText2(VARIANT_BOOL showDialog) override;
    HRESULT STDMETHODCALLTYPE PrintPreview(VARIANT_BOOL showDialog) override;
    HRESULT STDMETHODCALLTYPE get_CanCut(VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE get_CanCopy(VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE get_CanPaste(VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE get_CanUndo(VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE get_CanRedo(VARIANT_BOOL* can) override;
    HRESULT STDMETHODCALLTYPE Cut() override;
    HRESULT STDMETHODCALLTYPE Copy() override;
    HRESULT STDMETHODCALLTYPE Paste() override;
    HRESULT STDMETHODCALLTYPE Undo() override;
    HRESULT STDMETHODCALLTYPE Redo() override;
    HRESULT STDMETHODCALLTYPE get_RowsCount(long* rows) override;
    HRESULT STDMETHODCALLTYPE get_RowTextLength(long row, long* length) override;
    HRESULT STDMETHODCALLTYPE get_TextLength(long* length) override;
    HRESULT STDMETHODCALLTYPE get_RowText(long row, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE put_RowText(long row, BSTR text) override;
    HRESULT STDMETHODCALLTYPE InsertRow(long row, BSTR text) override;
    HRESULT STDMETHODCALLTYPE RemoveRow(long row) override;
    HRESULT STDMETHODCALLTYPE SelectAll() override;
    HRESULT STDMETHODCALLTYPE ClearUndoBuffer() override;
    HRESULT STDMETHODCALLTYPE IndentSelection() override;
    HRESULT STDMETHODCALLTYPE UnindentSelection() override;
    HRESULT STDMETHODCALLTYPE ShowOptionsDialog() override;

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** data) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, of both in-place interfaces
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, of both persistence interfaces
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    // IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;
    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    // IObjectSafety
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                        DWORD* enabled) override;
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    ~CPenwrightCtrl() override;

    // ControlWindowOwner
    LRESULT OnEditorNotify(const NMHDR& header) override;
    void OnMouseActivate() override;

    CQELPenwrightCtrl& Editor() { return window_.Editor(); }
    CQELPenwrightBufferManager& Buffer() { return *Editor().GetBuffer(); }
    HRESULT GetOption(EditorOptions::Option option, VARIANT_BOOL* on);
    HRESULT SetOption(EditorOptions::Option option, VARIANT_BOOL on);
    // One row's colour (-1: every row's) through `set`, the argument translated from OLE_COLOR.
    HRESULT SetHostRowColor(long row, OLE_COLOR color, void (RowColorMaps::*set)(int, int32_t));
    // The row must be one of the text's (`allowAppend`: or the one past the last).
    HRESULT CheckRow(long row, bool allowAppend = false);
    // A failed call's HRESULT, its description handed to automation as the error information.
    HRESULT Fail(HRESULT code, const std::wstring& description);
    // Members that touch files or devices, refused once a host asked for safety for untrusted
    // callers.
    HRESULT CheckTrusted();
    void SetModifiedFlag() { dirty_ = true; }
    void ApplyBorderStyle();
    // Replaces the whole text as a host does when `replace` did: marks and row colours of the old
    // text go, the new text is unmodified with nothing to undo, the view starts at its top.
    void ReplaceText(const std::function<bool()>& replace);
    // The document's last file error for automation.
    HRESULT FileFailure();
    void FireMouse(DISPID id, short button, const int32_t* values);
    void FireKey(DISPID id, int& keyCode, const KeyModifiers& modifiers);

    // Embedding
    HRESULT ActivateInPlace(bool uiActivate);
    void ReadAmbients();
    void TellFocus(bool inside);

    PersistedProperties Snapshot();
    void Apply(const PersistedProperties& properties);

    ControlWindow window_{*this};
    CQELPenwrightView view_{window_.Editor()};
    CQELPenwrightDoc document_;
    EventPoint events_{*this, __uuidof(_DPenwrightEvents)};
    long borderStyle_ = 0;
    bool readOnly_ = false;
    bool dirty_ = false;
    bool untrustedCaller_ = false;  // a host asked for safety for untrusted callers
    bool lastKeyCancelled_ = false;
    std::wstring fileName_;
    // The selection at the last caret move, so that SelChange fires only when it changed.
    std::pair<CQELPenwrightSelection::Point, CQELPenwrightSelection::Point> lastSelection_;
    pw::win32::ComPtr<IFontDisp> font_;

    pw::win32::ComPtr<IOleClientSite> site_;
    pw::win32::ComPtr<IOleInPlaceSite> inPlaceSite_;
    pw::win32::ComPtr<IOleInPlaceFrame> frame_;
    pw::win32::ComPtr<IOleInPlaceUIWindow> uiWindow_;
    pw::win32::ComPtr<IOleAdviseHolder> adviseHolder_;
    pw::win32::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    bool userMode_ = true;
    bool inPlaceActive_ = false;
    bool uiActive_ = false;
    SIZEL extent_{5080, 2540};  // 2 by 1 inch in hundredths of a millimetre, until the host says
};
